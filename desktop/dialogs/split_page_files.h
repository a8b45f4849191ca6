#pragma once
// Where the split dialog lets the page engine write, and how the pages it
// wrote reach their final names without touching anything else.
//
// The engine names extracted pages "page<k>.tif" inside the folder it is
// given. So it is given a private folder made inside the output folder
// (same file system, so moving a page out is a rename), and each page is
// moved out under its final name, by the rule both programs share
// (platform/safe_file/page_placement.h):
//
//     SplitExtractionFolder scratch(outputFolder);
//     engine.ExtractAllTIFFpages(source, scratch.Path());
//     scratch.PlacePages(0, pages - 1, pages, nameOf, replace, sources);
//     scratch.ReleaseLeftovers();   // pages nobody renamed
//
// Every move goes into the output folder the private folder was made in,
// wherever it now is. The folder is removed when the object goes, unless a
// page is still in it: a page is never deleted to tidy up, and the folder
// is then kept under a visible name (platform/safe_file/private_folder.h).

#include "platform/safe_file/file_identity.h"
#include "platform/safe_file/page_placement.h"
#include "platform/safe_file/private_folder.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// The files being split, by device and inode, taken once for the run: no
// page or part is ever put in their place.
using ProtectedFiles = std::vector<safe_file::FileIdentity>;
ProtectedFiles IdentitiesOf(const QStringList& files);

enum class PlaceOutcome {
    Missing,         // there was no such file: nothing happened
    Moved,           // the file now has the target name
    KeptExisting,    // a file of the target name stays; the file was dropped
    SourceProtected, // the target is a file being split; it stays, the file was dropped
};

class SplitExtractionFolder {
public:
    // Makes a new private folder inside outputFolder; IsValid() tells
    // whether that worked.
    explicit SplitExtractionFolder(const QString& outputFolder);
    SplitExtractionFolder(const SplitExtractionFolder&) = delete;
    SplitExtractionFolder& operator=(const SplitExtractionFolder&) = delete;

    bool IsValid() const { return folder_.Valid(); }
    // The folder, without a trailing "/"; empty when it could not be made.
    const QString& Path() const { return path_; }
    // Whether Path() still leads to it (the output folder was not moved).
    bool AtItsPath() const { return folder_.AtItsPath(); }
    // The number of files in it.
    int FileCount() const;

    // Moves the file `name` of the folder to `target` (a name) in the
    // output folder. An existing target is replaced (in one step) when
    // `replace` is set, else kept and the file dropped; a target that is one
    // of `protectedFiles` (the same file, whatever the path spelling) is
    // never replaced, and the file is dropped. The replacement follows the
    // rule of platform/safe_file/replace_rule.h (a link is replaced as a
    // name; a file the user may not write, a folder or a FIFO is refused).
    // Raises the system's error (its number combined with 10000 by a bitwise Or) when the move is refused.
    PlaceOutcome Place(const QString& name, const QString& target, bool replace, const ProtectedFiles& protectedFiles);

    // Moves the engine's page files of 0-based index first..last to
    // nameOf(k), by the rule of Place, up to the first refused move (the
    // later pages stay where they are); `engineCount` is the page count the
    // engine reported (negative: unknown), and each page of it not found is
    // counted missing. nameOf may raise.
    safe_file::PagePlacement PlacePages(long long first, long long last, long long engineCount,
                                        const std::function<QString(long long)>& nameOf, bool replace,
                                        const ProtectedFiles& protectedFiles);

    // Moves every file still in the folder to the output folder under its
    // own name, never over an existing file. The names of the files moved,
    // in page order; FileCount() tells what stayed.
    QStringList ReleaseLeftovers();
    // Removes the folder when it is empty, else keeps it under its visible
    // name; the kept folder, or "" when it was removed. (The destructor does
    // the same when this was not called.)
    QString Finish();

private:
    safe_file::PrivateFolder folder_;
    QString path_;
};

// True when a new file at `path` would replace one of `files`: the entry
// under path (a final link counts as itself) and a file are the same file,
// by device and inode.
bool IsOneOf(const QString& path, const ProtectedFiles& files);
