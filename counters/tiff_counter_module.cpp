// The module VelmoraCounters: the TIFF page counter.

#include "counters/counter_module.h"
#include "counters/tiff_page_counter.h"

namespace {
counters::CounterModule<counters::TiffPageCounter> g_module(counters::CLSID_TiffPageCounter, "TiffPageCounter");
} // namespace

VELMORA_COUNTER_MODULE_EXPORTS(g_module)
