// The floor of a split: what writing the same bytes into the same files
// costs at the least, one open, one write and one close per file, with
// every byte at hand in one mapping of one file.
//
//   floor_split pack FOLDER PACK     (not timed) packs every file of FOLDER
//                                    into PACK: names, sizes and bytes
//   floor_split write PACK FOLDER    (timed) maps PACK and writes each of
//                                    its files into FOLDER (new files only)
//
// run.sh packs the page files a VelmoraCMD run wrote and times "write"
// against VelmoraCMD writing them.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The whole file, read into memory that is not cleared first, followed by
// a NUL; `size` its length.
std::unique_ptr<char[]> ReadWhole(const std::string& path, std::size_t& size)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        if (fd >= 0)
            ::close(fd);
        return nullptr;
    }
    size = static_cast<std::size_t>(st.st_size);
    std::unique_ptr<char[]> bytes(new char[size + 1]);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, bytes.get() + done, size - done);
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes[done] = '\0';
    return done == size ? std::move(bytes) : nullptr;
}

bool WriteAll(int fd, const char* p, std::size_t length)
{
    while (length > 0) {
        const ssize_t n = ::write(fd, p, length);
        if (n <= 0)
            return false;
        p += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

// The pack: a first line with the number of files, one line "size name"
// per file, then the files' bytes one after another.
int Pack(const std::string& folder, const std::string& pack)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        std::perror(folder.c_str());
        return 1;
    }
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(dir))
        if (e->d_name[0] != '.')
            names.emplace_back(e->d_name);
    ::closedir(dir);
    std::string index = std::to_string(names.size()) + "\n";
    std::string bytes;
    for (const std::string& name : names) {
        std::size_t size = 0;
        const std::unique_ptr<char[]> file = ReadWhole(folder + "/" + name, size);
        if (!file) {
            std::perror(name.c_str());
            return 1;
        }
        index += std::to_string(size) + " " + name + "\n";
        bytes.append(file.get(), size);
    }
    const int fd = ::open(pack.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || !WriteAll(fd, index.data(), index.size()) || !WriteAll(fd, bytes.data(), bytes.size())
        || ::close(fd) != 0) {
        std::perror(pack.c_str());
        return 1;
    }
    return 0;
}

int Write(const std::string& pack, const std::string& folder)
{
    // Mapped, not read: each byte is then copied once, into its file, as
    // the kernel copies a page's data for the program measured.
    const int packFd = ::open(pack.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (packFd < 0 || ::fstat(packFd, &st) != 0) {
        std::perror(pack.c_str());
        return 1;
    }
    void* mapped =
        ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, packFd, 0);
    ::close(packFd);
    if (mapped == MAP_FAILED) {
        std::perror(pack.c_str());
        return 1;
    }
    const char* p = static_cast<const char*>(mapped);
    char* end = nullptr;
    const unsigned long count = std::strtoul(p, &end, 10);
    p = end + 1;
    std::vector<std::pair<std::size_t, std::string>> files;
    for (unsigned long i = 0; i < count; ++i) {
        const std::size_t size = std::strtoull(p, &end, 10);
        const char* name = end + 1;
        const char* newline = std::strchr(name, '\n');
        files.emplace_back(size, std::string(name, newline));
        p = newline + 1;
    }
    const char* data = p;
    for (const auto& [size, name] : files) {
        const std::string path = folder + "/" + name;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 || !WriteAll(fd, data, size) || ::close(fd) != 0) {
            std::perror(path.c_str());
            return 1;
        }
        data += size;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "pack") == 0)
        return Pack(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "write") == 0)
        return Write(argv[2], argv[3]);
    std::fprintf(stderr, "usage: %s pack FOLDER PACK | write PACK FOLDER\n", argv[0]);
    return 2;
}
