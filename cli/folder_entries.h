#pragma once
// The entries of one folder, read by the bytes of their names. A name that
// is not valid text in the file-name encoding cannot be handed on as a
// path (it would name another file, or none); such an entry is still
// listed, marked as unreachable, so that a run can report it instead of
// passing over it in silence.

#include <QString>

#include <optional>
#include <vector>

struct FolderEntry {
    enum class Kind {
        File,   // a regular file, or a link to one
        Folder, // a real folder (links to folders are not followed)
        Other,  // pipes, sockets, devices, dangling links
    };
    QString name; // as text; undecodable bytes are replaced
    Kind kind;
    bool reachable; // the text names exactly this entry
};

// The entries of `folder` ("." and ".." left out) in name order; nothing
// when the folder cannot be read.
std::optional<std::vector<FolderEntry>> ListFolderEntries(const QString& folder);
