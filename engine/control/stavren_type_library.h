#pragma once

#include "platform/com/type_library.h"

// STAVRENLib 1.0: the type library the Stavren module carries.
const com::TypeLibrary& StavrenTypeLibrary();
