#pragma once
// Where the split dialog lets the page engine write, and how the pages it
// wrote reach their final names without touching anything else.
//
// The engine names extracted pages "page<k>.tif" inside the folder it is
// given. So it is given a private folder made inside the output folder
// (same file system, so moving a page out is a rename), and each page is
// moved out under its final name:
//
//     SplitExtractionFolder scratch(outputFolder);
//     engine.ExtractAllTIFFpages(source, scratch.Path());
//     PlacePageFile(scratch.PageFile(0), outputFolder + "/scan_01.tif", replace, sources);
//     scratch.ReleaseLeftovers();   // pages nobody renamed
//
// The folder is removed when the object goes, unless a page is still in it:
// a page is never deleted to tidy up, and the folder is then kept under a
// visible name (platform/safe_file/private_folder.h).

#include "platform/safe_file/private_folder.h"

#include <QString>
#include <QStringList>

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
    // The name the engine gives the page of 0-based index k in it.
    QString PageFile(long long k) const;
    // The number of files in it.
    int FileCount() const;

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

enum class PlaceOutcome {
    Missing,         // there was no page file: nothing happened
    Moved,           // the page now has the target name
    KeptExisting,    // a file of the target name stays; the page was dropped
    SourceProtected, // the target is a file being split; it stays, the page was dropped
};

// Moves the page file to the target name. An existing target is replaced
// (in one step) when `replace` is set, else kept and the page dropped; a
// target that is one of `protectedFiles` (the same file, whatever the path
// spelling) is never replaced. The replacement follows the rule of
// platform/safe_file/replace_rule.h (a link is replaced as a name; a file
// the user may not write, a folder or a FIFO is refused). Raises the
// system's error (number Or 10000) when the file system refuses the move,
// and 75 when it refuses the removal of a dropped page.
PlaceOutcome PlacePageFile(const QString& page, const QString& target, bool replace, const QStringList& protectedFiles);

// True when a new file at `path` would replace one of `files`: the entry
// under path (a final link counts as itself) and a file are the same file,
// by device and inode.
bool IsOneOf(const QString& path, const QStringList& files);
