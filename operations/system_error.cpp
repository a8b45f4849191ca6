#include "operations/system_error.h"

#include "operations/m_temp_file.h"

RunTimeError SystemError(std::int32_t errorCode)
{
    return RunTimeError(static_cast<long>(errorCode | 10000), ApiErrorText(errorCode));
}
