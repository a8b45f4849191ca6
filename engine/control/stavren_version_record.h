#pragma once

#include "platform/com/version_record.h"

// The module's version record: version 1.0.0.1, US English, Unicode.
const com::VersionRecord& StavrenVersionRecord();
