#pragma once
// The operation run of the command-line program: builds the file list (the
// listed files, or a folder scan), runs the one operation over every file
// through the operation facade, renames extracted pages and leaves the
// result text in the run state.

#include "cli/mod_master.h"
#include "operations/error_trap.h"
#include "operations/tiff_pdf_commands.h"
#include "platform/safe_file/file_identity.h"
#include "platform/safe_file/page_placement.h"
#include "platform/safe_file/private_folder.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

class CommandLineRun {
public:
    // Statements of the run count as statements of Main (`mainTrap`).
    CommandLineRun(ModMaster& master, ErrorTrap& mainTrap);

    // Runs the operation over every input file.
    void Run(PageOperation operation);

    // Adds one record per TIFF file of `folder` (and, with subfolders, of
    // every subfolder below it, a folder's own files first) to
    // facade.colOrderedData, in name order. Symbolic links to folders are
    // not followed, nor is a run's private folder entered (its pages are no
    // input). A file whose name is no text cannot be reached; it is
    // kept aside and reported as failed, as is a folder that cannot be
    // scanned. Counts every file found in `fileCount`.
    void LoadFilesFolder(const QString& folder, TiffPdfCommands& facade, bool keepPageCounts, std::int32_t& fileCount);

    // Moves the extracted pages first..last (1-based; -1, -1: every page the
    // engine wrote) from `extractFolder`, where the engine named them
    // page<index>.tif, to <prefix><page><ext> in the folder it was made in,
    // by the rule of platform/safe_file/page_placement.h. A final name that
    // is one of the run's source files (the same file, however the path is
    // spelt) is never replaced. False when any page could not be given its
    // final name (the system's reason is logged), or when a page of the
    // `pageCount` pages the engine reported is missing (a negative count is
    // no count; the missing pages are logged and told in `missing`). A
    // page that fails stays where it is.
    bool RenamePageFiles(const QString& ext, std::int32_t pageCount, const QString& outputFolder,
                         const QString& sourceFileName, std::int16_t first, std::int16_t last, bool forceSourcePrefix,
                         safe_file::PrivateFolder& extractFolder, std::int64_t* missing = nullptr);

private:
    void RunDelete();
    void RunInsert();
    void RunOutput();
    // Extracts (all pages, or the 1-based range) of one file through the
    // run's private folder inside the output folder and renames the pages;
    // false also when fewer pages reached their names than the file has,
    // counted just before its pages are written.
    bool ExtractOne(const QString& path, const QString& fileName, bool range, std::int32_t first, std::int32_t last,
                    bool forceSourcePrefix);
    // Removes the run's private folder (it is empty between files).
    void FinishExtractFolder();
    bool SplitOne(const QString& path, std::int16_t page, const QString& prefix);
    QString NamePrefix(const QString& sourceFileName, bool forceSourcePrefix) const;
    void AddSourceFile(const QString& path);
    // Whether a new file at `path` would replace one of the run's sources.
    bool IsSourceFile(const QString& path) const;
    bool IsSource(const safe_file::FileIdentity& id) const;
    // The TIFF files the folder scan found, those it could not reach included.
    qsizetype FilesFound() const;
    // One failure line (`prefix` & path & CR LF) per file the scan could not
    // reach and per folder it could not scan.
    QString UnreachedLines(const QString& prefix) const;
    void ScanFolder(const QString& folder, TiffPdfCommands& facade, bool keepPageCounts, std::int32_t& fileCount,
                    QSet<QString>& visited);

    ModMaster& master_;
    CommandLineState& state_;
    ErrorTrap& trap_;
    TiffPdfCommands facade_;
    bool folderInput_ = false;
    // How extracted pages take their names: replacing what stands there,
    // except the run's sources (added as the files are listed).
    safe_file::PlaceRule placeRule_;
    // Where the engine writes the pages of one file after another. Made for
    // the first file; a file that leaves pages in it has it kept, and the
    // next file gets a new one.
    std::optional<safe_file::PrivateFolder> extractFolder_;
    // Files of the scan whose names are no text, and folders it could not
    // scan (unreadable, or named by no text): each fails the run.
    QStringList unreachableFiles_;
    QStringList unscannedFolders_;
};
