#include "platform/safe_file/temporary_name.h"

#include "platform/safe_file/stale_debris.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace safe_file {

namespace {

constexpr int kAttempts = 32;
constexpr std::size_t kNameMax = 255;
const std::string kEnding = ".velmora";
const std::string kTmp = ".tmp";

std::string Hex16(const std::string& text)
{
    std::uint64_t h = 1469598103934665603ull; // FNV-1a
    for (unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ull;
    }
    static const char digits[] = "0123456789abcdef";
    std::string out(16, '0');
    for (int i = 15; i >= 0; --i, h >>= 4)
        out[static_cast<std::size_t>(i)] = digits[h & 15];
    return out;
}

bool AllOf(const std::string& s, std::size_t from, std::size_t to, bool hex)
{
    if (from >= to)
        return false;
    for (std::size_t i = from; i < to; ++i) {
        const char c = s[i];
        const bool digit = c >= '0' && c <= '9';
        if (!digit && !(hex && c >= 'a' && c <= 'f'))
            return false;
    }
    return true;
}

bool EndsWith(const std::string& s, const std::string& end)
{
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

constexpr char kMarkAttribute[] = "user.velmora";
constexpr char kMarkValue[] = "run";

} // namespace

void MarkTemporaryFile(int fd)
{
    (void)::fsetxattr(fd, kMarkAttribute, kMarkValue, sizeof kMarkValue - 1, 0);
}

void UnmarkTemporaryFile(int fd)
{
    (void)::fremovexattr(fd, kMarkAttribute);
}

bool IsMarkedTemporaryFile(int fd)
{
    char value[sizeof kMarkValue] = {};
    return ::fgetxattr(fd, kMarkAttribute, value, sizeof value) == static_cast<ssize_t>(sizeof kMarkValue - 1)
           && std::memcmp(value, kMarkValue, sizeof kMarkValue - 1) == 0;
}

std::string TemporaryName(const std::string& target, int attempt, bool shortForm)
{
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    const std::string counter = attempt > 0 ? "-" + std::to_string(attempt + 1) : std::string();
    std::string name = base + kEnding + counter + kTmp;
    if (shortForm || name.size() > kNameMax)
        name = kEnding + "-" + Hex16(base) + counter + kTmp;
    return folder + name;
}

bool IsTemporaryName(const std::string& n)
{
    if (!EndsWith(n, kTmp))
        return false;
    const std::size_t stem = n.size() - kTmp.size();
    // "<name>.velmora.tmp"
    if (EndsWith(n.substr(0, stem), kEnding))
        return stem > kEnding.size();
    // "<name>.velmora-<n>.tmp" and ".velmora-<hex>[-<n>].tmp"
    const std::size_t mark = n.rfind(kEnding + "-", stem);
    if (mark == std::string::npos)
        return false;
    const std::size_t from = mark + kEnding.size() + 1;
    if (mark == 0) {
        const std::size_t dash = n.find('-', from);
        const std::size_t hexEnd = dash == std::string::npos || dash > stem ? stem : dash;
        return hexEnd - from == 16 && AllOf(n, from, hexEnd, true)
               && (hexEnd == stem || AllOf(n, hexEnd + 1, stem, false));
    }
    return AllOf(n, from, stem, false);
}

int CreateTemporarySibling(const std::string& target, mode_t mode, std::string& name)
{
    bool shortForm = false;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const std::string candidate = TemporaryName(target, attempt, shortForm);
        for (int tries = 0; tries < 2; ++tries) {
            const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
            if (fd >= 0) {
                // Held until the descriptor closes: a live run's file is
                // never taken for debris.
                (void)::flock(fd, LOCK_EX | LOCK_NB);
                // Marked as a run's before anything is written, where the
                // file system keeps such marks.
                MarkTemporaryFile(fd);
                name = candidate;
                return fd;
            }
            if (errno == ENAMETOOLONG && !shortForm) {
                shortForm = true;
                attempt = -1;
                break;
            }
            if (errno != EEXIST)
                return -1;
            if (tries == 0 && !RemoveStaleFile(AT_FDCWD, candidate))
                break;
        }
    }
    errno = EEXIST;
    return -1;
}

std::string FreeTemporaryName(const std::string& target)
{
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const std::string candidate = TemporaryName(target, attempt, false);
        struct stat st {};
        if (::lstat(candidate.c_str(), &st) != 0)
            return candidate;
    }
    return TemporaryName(target, 0, true);
}

} // namespace safe_file
