#include "cli/folder_entries.h"

#include "cli/command_line_arguments.h"

#include <QFile>

#include <algorithm>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

FolderEntry::Kind KindOf(int folderFd, const dirent& entry)
{
    switch (entry.d_type) {
    case DT_REG: return FolderEntry::Kind::File;
    case DT_DIR: return FolderEntry::Kind::Folder;
    case DT_LNK: {
        // A link counts as a file when it leads to one; links to folders
        // are never followed.
        struct stat target {};
        if (fstatat(folderFd, entry.d_name, &target, 0) == 0 && S_ISREG(target.st_mode))
            return FolderEntry::Kind::File;
        return FolderEntry::Kind::Other;
    }
    case DT_UNKNOWN: {
        struct stat own {};
        if (fstatat(folderFd, entry.d_name, &own, AT_SYMLINK_NOFOLLOW) != 0)
            return FolderEntry::Kind::Other;
        if (S_ISDIR(own.st_mode))
            return FolderEntry::Kind::Folder;
        if (S_ISREG(own.st_mode))
            return FolderEntry::Kind::File;
        struct stat target {};
        if (S_ISLNK(own.st_mode) && fstatat(folderFd, entry.d_name, &target, 0) == 0 && S_ISREG(target.st_mode))
            return FolderEntry::Kind::File;
        return FolderEntry::Kind::Other;
    }
    default: return FolderEntry::Kind::Other;
    }
}

} // namespace

std::optional<std::vector<FolderEntry>> ListFolderEntries(const QString& folder)
{
    DIR* dir = opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return std::nullopt;
    std::vector<FolderEntry> entries;
    while (const dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        const QByteArray bytes(entry->d_name);
        const QString name = NameText(bytes);
        entries.push_back({name, KindOf(dirfd(dir), *entry), QFile::encodeName(name) == bytes});
    }
    closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return entries;
}
