#include "operations/mod_os_version.h"

bool IsWindowsVista() noexcept
{
    return false;
}
