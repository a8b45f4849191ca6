#pragma once
// modMaster: the command-line program's run. One command line names the input
// files (or a folder) and one page operation; the run validates the line,
// runs the operation over every file and reports one result text.

#include "operations/tiff_pdf_commands.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>

// Exit status of VelmoraCMD.
enum ExitStatus : int {
    ExitSuccess = 0,        // the operation succeeded for every file
    ExitFileFailed = 1,     // the operation failed for at least one file or folder
    ExitInvalidCommand = 2, // the command line did not validate
    ExitRunError = 3,       // the run stopped on an unexpected error
    ExitResultLost = 4,     // the result could not be written ("Log.txt", or standard error)
};

// Counts the pages of a TIFF file, walking its chain no further than
// `atMost` pages (a file with more counts `atMost`); a negative count when
// it cannot. Raises a RunTimeError when the counter itself fails.
using PageCountFunction = std::function<std::int32_t(const QString& path, std::int32_t atMost)>;
constexpr std::int32_t kAllPages = 0x7FFFFFFF;

// The page operation a command line names by its operation switch.
enum class PageOperation {
    Insert, // " /a ": insert the pages of one file into every input file
    Output, // " /o ": extract every page or a page range, or split in two
    Delete, // " /del ": delete one page from every input file
};

// The command line taken apart and the run's result: written by Main and
// ValidateCmdLine, read by the operation run and the report.
struct CommandLineState {
    QString CommandText;
    QString ResultMessage;
    QStringList InputList;
    QString AppendSource;
    QString OutputArgument;
    // Parsed once by Main from the operation switch; none when the line
    // has no operation switch (ValidateCmdLine then refuses it).
    std::optional<PageOperation> Operation;
    std::int32_t DeletePageNumber = 0;
    QString NameBase;
    QString NameSeparator;
    bool SilentMode = false;
    bool RecurseSubfolders = false;
    QString LogTimeStamp;
    QString StorageFolderWithSlash;
    PageCountFunction CountPages;
};

class ModMaster {
public:
    // The whole run over one command line (arguments joined by blanks).
    // Returns the exit status.
    int Main(const QString& commandLine);

    // Checks CommandText with the operation Main parsed from it
    // (State().Operation), fills the run state; on the first failed check
    // sets ResultMessage and returns false.
    bool ValidateCmdLine();

    // "/i ", else "/d " (noting " /r "), else "".
    QString GetInputSwitch();
    // " /a ", else " /o ", else " /del ", else "".
    QString GetOperationSwitch() const;
    // The operation GetOperationSwitch finds, as a typed value.
    std::optional<PageOperation> ParseOperation() const;
    // The text of an operation's switch (" /a ", " /o ", " /del ").
    static QString SwitchText(PageOperation operation);

    // True when name holds none of / \ : * ? " < > |.
    static bool IsValidFileName(const QString& name);

    // Where a switch text stands in the command line, without regard to
    // case; -1 when it stands nowhere. A switch counts only at the start of
    // the line or after a blank, and only where a blank or the end of the
    // line follows it: the same text inside a path is path.
    qsizetype FindSwitch(const QString& switchText) const;

    // The argument of the switch `switchText`: from right after it to the
    // next switch of the line ("/" and a switch word, at the start of the
    // argument or after a blank, followed by a blank or the end), or to the
    // end of the line when none follows.
    QString SwitchArgument(const QString& switchText) const;

    // One item of InputList as the run takes it: as it stands when it names
    // an existing file exactly (a folder with folder input; with `numbered`,
    // its text before the last "?"), else without the blanks around it:
    // lists are typed as "a.tif | b.tif", yet "a.tif " is a name of its own.
    QString InputItem(const QString& rawItem, bool numbered);

    // Whether the run of the parsed operation counts pages: a folder scan
    // counts every file, an insert the files it appends to, and an
    // extraction the pages it is to find (a page range on file input is
    // also checked against the file). A delete, or a split in two, of
    // listed files never creates the page counter.
    bool RunCountsPages();

    // The argument of the operation's switch: the rest of the line after it.
    QString OperationArgument(PageOperation operation) const;

    CommandLineState& State() { return state_; }

private:
    friend class CommandLineRun;
    CommandLineState state_;
    bool anyFileFailed_ = false; // a file or a folder of the scan failed
};

// Reports `message`: a message box, or with "/silent" an entry appended to
// "Log.txt" in the storage folder. False when the entry could not be
// written (the result is then written to standard error instead), or when
// a box that stands on standard error could not be written there.
bool WriteErrorLog(CommandLineState& state, const QString& message);
