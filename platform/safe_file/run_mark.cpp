#include "platform/safe_file/run_mark.h"

#include "platform/safe_file/stale_debris.h"
#include "platform/safe_file/temporary_name.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace safe_file {

namespace {

// "velmora run <token> <inode>\n", the inode that of the folder marked, in
// 16 hex digits: a copy of a killed run's folder is a new folder, the
// user's, and its mark does not fit it. (The device is left out: a disk
// may come back under another device number.)
constexpr char kMarkText[] = "velmora run ";
constexpr std::size_t kTokenDigits = 32;
constexpr std::size_t kIdDigits = 16;
constexpr std::size_t kMarkSize = sizeof(kMarkText) - 1 + kTokenDigits + 1 + kIdDigits + 1;

std::string Hex(std::uint64_t value)
{
    static const char digits[] = "0123456789abcdef";
    std::string text(kIdDigits, '0');
    for (std::size_t i = kIdDigits; i-- > 0; value >>= 4)
        text[i] = digits[value & 15];
    return text;
}

std::string FolderId(const struct stat& folder)
{
    return " " + Hex(static_cast<std::uint64_t>(folder.st_ino));
}

// 128 bits that tell one run from another.
std::string RunToken()
{
    unsigned char bytes[kTokenDigits / 2] = {};
    if (::getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
        // No entropy yet: the process and the clock tell runs apart too.
        std::uint64_t mix = static_cast<std::uint64_t>(::getpid()) << 32;
        mix ^= static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        for (std::size_t i = 0; i < sizeof bytes; ++i) {
            mix = mix * 6364136223846793005ull + 1442695040888963407ull;
            bytes[i] = static_cast<unsigned char>(mix >> 56);
        }
    }
    static const char digits[] = "0123456789abcdef";
    std::string token;
    for (const unsigned char b : bytes) {
        token += digits[b >> 4];
        token += digits[b & 15];
    }
    return token;
}

bool IsMarkText(const char* text, std::size_t size)
{
    const std::size_t lead = sizeof(kMarkText) - 1;
    if (size != kMarkSize || std::memcmp(text, kMarkText, lead) != 0 || text[size - 1] != '\n')
        return false;
    for (std::size_t i = lead; i < size - 1; ++i) {
        const bool gap = i == lead + kTokenDigits;
        if (gap ? text[i] != ' ' : !((text[i] >= '0' && text[i] <= '9') || (text[i] >= 'a' && text[i] <= 'f')))
            return false;
    }
    return true;
}

// Whether `name` is an engine page file or a part of a split in two.
bool IsRunOutputName(const std::string& name)
{
    const std::string part = kSplitPartPrefix;
    return EnginePageIndex(name) >= 0 || name == part + "1.tif" || name == part + "2.tif";
}

} // namespace

std::int64_t EnginePageIndex(const std::string& name)
{
    static const std::string kPage = "page";
    static const std::string kExt = ".tif";
    if (name.size() <= kPage.size() + kExt.size() || name.compare(0, kPage.size(), kPage) != 0
        || name.compare(name.size() - kExt.size(), kExt.size(), kExt) != 0)
        return -1;
    std::int64_t index = 0;
    for (std::size_t i = kPage.size(); i < name.size() - kExt.size(); ++i) {
        const char c = name[i];
        // The engine writes no sign, no leading zero and at most 10 digits.
        if (c < '0' || c > '9' || (c == '0' && i == kPage.size() && name.size() - kExt.size() > i + 1)
            || i - kPage.size() >= 10)
            return -1;
        index = index * 10 + (c - '0');
    }
    return index;
}

bool IsRunFileName(const std::string& name)
{
    if (name == kRunMarkName || IsRunOutputName(name))
        return true;
    // "<name>.velmora.tmp" or "<name>.velmora-<n>.tmp" of such a name.
    if (!IsTemporaryName(name))
        return false;
    const std::size_t mark = name.rfind(".velmora");
    return mark != std::string::npos && mark > 0 && IsRunOutputName(name.substr(0, mark));
}

int WriteRunMark(int folderFd)
{
    struct stat folder {};
    if (::fstat(folderFd, &folder) != 0)
        return errno;
    const int fd = ::openat(folderFd, kRunMarkName, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    const std::string text = kMarkText + RunToken() + FolderId(folder) + "\n";
    int error = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) ? 0 : EIO;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0)
        ::unlinkat(folderFd, kRunMarkName, 0);
    return error;
}

bool HasRunMark(int folderFd, bool ownOnly)
{
    const int fd = ::openat(folderFd, kRunMarkName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat st {};
    struct stat folder {};
    char text[kMarkSize + 1];
    bool marked = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && (!ownOnly || st.st_uid == ::geteuid())
                  && st.st_size == static_cast<off_t>(kMarkSize)
                  && ::pread(fd, text, sizeof text, 0) == static_cast<ssize_t>(kMarkSize)
                  && IsMarkText(text, kMarkSize);
    if (marked && ownOnly)
        marked = ::fstat(folderFd, &folder) == 0
                 && std::string(text + kMarkSize - (1 + kIdDigits) - 1, 1 + kIdDigits) == FolderId(folder);
    ::close(fd);
    return marked;
}

bool IsRunFolderAt(int parentFd, const char* name)
{
    if (!IsPrivateFolderName(name))
        return false;
    const int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool marked = HasRunMark(fd, false);
    ::close(fd);
    return marked;
}

bool IsRunFolder(const std::string& folder)
{
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    const std::size_t slash = path.rfind('/');
    const std::string parent = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (!IsPrivateFolderName(name.c_str()))
        return false;
    const int parentFd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parentFd < 0)
        return false;
    const bool run = IsRunFolderAt(parentFd, name.c_str());
    ::close(parentFd);
    return run;
}

} // namespace safe_file
