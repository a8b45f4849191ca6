#include "engine/page_operations.h"

#include "platform/safe_file/temporary_name.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stavren {

std::string ExtractedPageFile(const std::string& folder, std::int32_t index)
{
    return folder + "/page" + std::to_string(index) + ".tif";
}

std::string TempSiblingName(const std::string& input)
{
    return safe_file::FreeTemporaryName(input);
}

bool CanOpenFile(const std::string& name)
{
    // Without O_NONBLOCK, opening a FIFO would wait for a writer.
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st {};
    const bool isFolder = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
    ::close(fd);
    return !isFolder;
}

} // namespace stavren
