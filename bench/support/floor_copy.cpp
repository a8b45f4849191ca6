// The I/O floor of a page operation: a program that writes the same bytes
// into the same files as the operation, and does nothing else, so that a
// benchmark can tell what an operation costs beyond its writes.
//   bench_floor pack PACK FILE...   stores the files named (the outputs of
//                                   one run of the operation), each under
//                                   its name as given, in the file PACK;
//                                   @LIST names the files listed in LIST,
//                                   one a line
//   bench_floor write PACK [FOLDER] writes every file stored in PACK under
//                                   its stored name (relative names in
//                                   FOLDER): open, one write, close
// `write` maps the pack instead of reading it, so that it costs one open
// and one mapping whatever its size; each file then takes exactly open,
// write and close (a file beyond the largest single write takes more
// writes). Run it from the folder the names were given in when they are
// relative.

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr char kMagic[8] = {'V', 'F', 'L', 'O', 'O', 'R', '1', '\n'};

// Each file stands in the pack as: its name's length (4 bytes), its size
// (8 bytes), both in this machine's byte order, the name, then the bytes.
struct Header {
    std::uint32_t nameLength;
    std::uint64_t size;
} __attribute__((packed));

int Fail(const std::string& what)
{
    std::fprintf(stderr, "bench_floor: %s: %s\n", what.c_str(), std::strerror(errno));
    return 1;
}

bool WriteAll(int fd, const void* data, std::size_t length)
{
    const auto* p = static_cast<const unsigned char*>(data);
    while (length > 0) {
        const ssize_t n = ::write(fd, p, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

bool ReadAll(const std::string& name, std::vector<unsigned char>& bytes)
{
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    bytes.resize(ok ? static_cast<std::size_t>(st.st_size) : 0);
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t n = ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        ok = n > 0 || (n < 0 && errno == EINTR);
        done += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    ::close(fd);
    return ok;
}

// The names of the arguments: each as given, or for @LIST the lines of LIST.
std::vector<std::string> Names(char** args, int count)
{
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        const std::string arg = args[i];
        if (arg.size() < 2 || arg[0] != '@') {
            names.push_back(arg);
            continue;
        }
        std::ifstream list(arg.substr(1));
        for (std::string line; std::getline(list, line);)
            if (!line.empty())
                names.push_back(line);
    }
    return names;
}

int Pack(const std::string& pack, const std::vector<std::string>& names)
{
    const int out = ::open(pack.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0)
        return Fail(pack);
    bool ok = WriteAll(out, kMagic, sizeof kMagic);
    std::vector<unsigned char> bytes;
    for (std::size_t i = 0; ok && i < names.size(); ++i) {
        const std::string& name = names[i];
        if (!ReadAll(name, bytes)) {
            ::close(out);
            return Fail(name);
        }
        const Header h{static_cast<std::uint32_t>(name.size()), bytes.size()};
        ok = WriteAll(out, &h, sizeof h) && WriteAll(out, name.data(), name.size())
             && WriteAll(out, bytes.data(), bytes.size());
    }
    if (::close(out) != 0 || !ok)
        return Fail(pack);
    return 0;
}

int Write(const std::string& pack)
{
    const int in = ::open(pack.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (in < 0 || ::fstat(in, &st) != 0)
        return Fail(pack);
    const auto size = static_cast<std::size_t>(st.st_size);
    void* map = size > 0 ? ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, in, 0) : MAP_FAILED;
    ::close(in);
    if (map == MAP_FAILED)
        return Fail(pack);
    const auto* p = static_cast<const unsigned char*>(map);
    if (size < sizeof kMagic || std::memcmp(p, kMagic, sizeof kMagic) != 0) {
        errno = EINVAL;
        return Fail(pack);
    }
    std::size_t at = sizeof kMagic;
    while (at < size) {
        Header h;
        if (size - at < sizeof h) {
            errno = EINVAL;
            return Fail(pack);
        }
        std::memcpy(&h, p + at, sizeof h);
        at += sizeof h;
        if (size - at < h.nameLength || size - at - h.nameLength < h.size) {
            errno = EINVAL;
            return Fail(pack);
        }
        const std::string name(reinterpret_cast<const char*>(p + at), h.nameLength);
        at += h.nameLength;
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0 || !WriteAll(fd, p + at, static_cast<std::size_t>(h.size)) || ::close(fd) != 0)
            return Fail(name);
        at += static_cast<std::size_t>(h.size);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "pack" && argc >= 3)
        return Pack(argv[2], Names(argv + 3, argc - 3));
    // A folder given after the pack is where relative names are written.
    if (mode == "write" && (argc == 3 || argc == 4)) {
        if (argc == 4 && ::chdir(argv[3]) != 0)
            return Fail(argv[3]);
        return Write(argv[2]);
    }
    std::fprintf(stderr, "usage: bench_floor pack PACK FILE...|@LIST | bench_floor write PACK [FOLDER]\n");
    return 2;
}
