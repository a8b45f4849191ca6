// The module VelmoraPdfCounter: the PDF page counter (and the only module that loads qpdf).

#include "counters/counter_module.h"
#include "counters/pdf_page_counter.h"

namespace {
counters::CounterModule<counters::PdfPageCounter> g_module(counters::CLSID_PdfPageCounter, "PdfPageCounter");
} // namespace

VELMORA_COUNTER_MODULE_EXPORTS(g_module)
