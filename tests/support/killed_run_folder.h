#pragma once
// What a run killed while it extracts pages leaves in its output folder:
// its private folder, made and marked as every run makes it, with the files
// the run had written. A child process makes it and ends without finishing
// anything, as a killed run would.

#include "platform/safe_file/private_folder.h"

#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

// The private folder's path, or "" when it could not be made. `files`: the
// names and contents of the files written into it.
inline std::string KilledRunFolder(const std::string& parent,
                                   const std::vector<std::pair<std::string, std::string>>& files)
{
    int ends[2];
    if (::pipe(ends) != 0)
        return std::string();
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ends[0]);
        auto* folder = new safe_file::PrivateFolder(parent);
        for (const auto& [name, content] : files) {
            const int fd = ::open((folder->Path() + "/" + name).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
            if (fd >= 0) {
                (void)!::write(fd, content.data(), content.size());
                ::close(fd);
            }
        }
        (void)!::write(ends[1], folder->Path().data(), folder->Path().size());
        ::_exit(0);
    }
    ::close(ends[1]);
    std::string path;
    char buffer[4096];
    for (ssize_t n; child > 0 && (n = ::read(ends[0], buffer, sizeof buffer)) > 0;)
        path.append(buffer, static_cast<std::size_t>(n));
    ::close(ends[0]);
    int status = 0;
    if (child > 0)
        ::waitpid(child, &status, 0);
    return path;
}
