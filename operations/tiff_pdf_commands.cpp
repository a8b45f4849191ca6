#include "operations/tiff_pdf_commands.h"

#include "operations/error_trap.h"
#include "operations/file_pattern.h"
#include "operations/message_loop.h"
#include "operations/mod_general.h"
#include "operations/running_program.h"
#include "operations/system_error.h"
#include "platform/com/com.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QVariant>

#include <limits>

namespace {

const QString kClassName = QStringLiteral("TiffPdfCommands");
const ProcedureTraps Trap(ObjectKind::ClassModule, kClassName);

TiffPdfCommands::ProgressCallback& ProgressCallbackRef()
{
    static TiffPdfCommands::ProgressCallback callback;
    return callback;
}

com::Ptr<com::Object> CreatePageEngine()
{
    return com::CreateObject(QString::fromUtf16(kPageEngineProgId));
}

QVariant PageNumber(std::int16_t page)
{
    return QVariant::fromValue<short>(page);
}

// The control's reply as a Boolean: any non-zero value is true; nothing
// (an empty reply) is false; a text that is no number is a type mismatch.
bool ReplyToBoolean(const QVariant& reply)
{
    if (!reply.isValid() || reply.isNull())
        return false;
    switch (reply.typeId()) {
    case QMetaType::Bool: return reply.toBool();
    case QMetaType::QString: {
        const QString text = reply.toString().trimmed();
        if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
        bool ok = false;
        const double d = text.toDouble(&ok);
        if (!ok)
            throw RunTimeError(rterr::TypeMismatch);
        return d != 0.0;
    }
    default: {
        bool ok = false;
        const double d = reply.toDouble(&ok);
        if (!ok)
            throw RunTimeError(rterr::TypeMismatch);
        return d != 0.0;
    }
    }
}

bool Call(const com::Ptr<com::Object>& control, const char* method, const QVariantList& args)
{
    return ReplyToBoolean(com::Invoke(control, QString::fromLatin1(method), args));
}

// The error that stands for why the page engine failed: the system's
// reason (`error`, an errno value) and why pages were refused
// (`refusal`), as the control left them. The two may be unrelated (a full
// disk at one page, another page damaged), so they are listed side by side.
RunTimeError EngineFailure(int error, const QString& refusal)
{
    if (error == 0)
        return RunTimeError(rterr::InvalidFileFormat, refusal);
    const RunTimeError system = SystemError(error);
    if (refusal.isEmpty())
        return system;
    return RunTimeError(system.number(), system.description() + QStringLiteral("; ") + refusal);
}

// Calls a page-engine method. When it fails for a reason of the system (a
// full disk, the file size limit, a refused replacement, a file another run
// keeps locked) or refuses pages (damaged, not rewritable, past what an
// operation may read), that reason goes to the error log under the calling
// procedure and statement, and its text to `reason`; the result stays the
// method's own.
bool CallEngine(const com::Ptr<com::Object>& control, const char* method, const QVariantList& args,
                const ErrorTrap& trap, QString& reason)
{
    com::SetLastError(0);
    com::GetErrorInfo();
    const bool result = Call(control, method, args);
    const int error = com::GetLastError();
    const QString refusal = com::GetErrorInfo();
    if (!result && (error != 0 || !refusal.isEmpty())) {
        const RunTimeError failure = EngineFailure(error, refusal);
        reason = failure.description();
        trap.Log(failure);
    }
    return result;
}

// Replaces `target` with a copy of `source`: the copy is written beside the
// target and renamed over it, so a failed copy leaves the target as it was.
bool ReplaceWithCopy(const QString& source, const QString& target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 n = in.read(buffer, sizeof buffer);
        if (n < 0) {
            out.cancelWriting();
            return false;
        }
        if (n == 0)
            break;
        if (out.write(buffer, n) != n) {
            out.cancelWriting();
            return false;
        }
    }
    // commit() does not report buffered bytes that could not be written.
    if (!out.flush()) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

// Statement numbering of a method: the desktop program numbers from the
// desktop table, the command-line program from its own (or not at all).
struct Numbering {
    ErrorTrap& trap;
    bool numbered;
    int offset;
    void operator()(int desktopLine) const
    {
        if (numbered)
            trap.Line(desktopLine - offset);
    }
};

// What the command-line program's copy of a TIFF method does otherwise: its
// statement numbers are the desktop's less `offset`, or none at all, and it
// may keep a failure out of the error log.
struct CommandLineCopy {
    bool numbered = true;
    int offset = 0;
    bool logs = true;
};

// The error tail the TIFF methods share. `body` numbers its statements with
// the Numbering it is given, creates the page-engine control in the holder
// it is given and releases it; a failure anywhere releases the control and
// gives False, with one error-log line.
// `reason` gets the text of why the method failed, where it is known.
template <typename Body>
bool RunTiffMethod(const char* procedure, CommandLineCopy copy, QString& reason, Body body)
{
    reason.clear();
    ErrorTrap trap = Trap(procedure);
    const bool commandLine = IsCommandLineProgram();
    const Numbering line{trap, !commandLine || copy.numbered, commandLine ? copy.offset : 0};
    com::Ptr<com::Object> control;
    try {
        return body(line, control, trap);
    } catch (...) {
        control.reset();
        reason = trap.Error().description();
        if (!commandLine || copy.logs)
            trap.Log();
        return false;
    }
}

// Statements 90 to 140 of the split and extract methods: the control is
// created, messages run, the arguments are built, the engine is called,
// messages run again and the control is released.
template <typename Arguments>
bool CallBetweenYields(const Numbering& line, com::Ptr<com::Object>& control, const ErrorTrap& trap, const char* method,
                       QString& reason, Arguments arguments)
{
    line(90);
    control = CreatePageEngine();
    line(100);
    YieldToMessageLoop();
    line(110);
    const QVariantList args = arguments();
    line(120);
    const bool result = CallEngine(control, method, args, trap, reason);
    line(130);
    YieldToMessageLoop();
    line(140);
    control.reset();
    return result;
}

} // namespace

void TiffPdfCommands::SetProgressCallback(ProgressCallback callback)
{
    ProgressCallbackRef() = std::move(callback);
}

void TiffPdfCommands::ShowProgress(int value)
{
    if (const ProgressCallback& callback = ProgressCallbackRef())
        callback(value);
}

bool TiffPdfCommands::AppendFileTiffFile(const QString& SrcFile, const QString& AppendFromtiff,
                                         std::int16_t insertAtpageno)
{
    const QString src = SrcFile;
    const QString from = AppendFromtiff;
    const auto body = [&](const Numbering& line, com::Ptr<com::Object>& control, const ErrorTrap& trap) {
        line(10);
        line(20);
        if (src.isEmpty() || from.isEmpty() || insertAtpageno < 0) {
            line(30);
            return false;
        }
        line(60);
        control = CreatePageEngine();
        line(70);
        const QVariantList args{QVariant(src), PageNumber(insertAtpageno), QVariant(from)};
        line(80);
        const bool result = CallEngine(control, page_engine::kAddTIFFPages, args, trap, lastFailureReason_);
        line(90);
        YieldToMessageLoop();
        line(100);
        control.reset();
        return result;
    };
    return RunTiffMethod("AppendFileTiffFile", {.logs = false}, lastFailureReason_, body);
}

bool TiffPdfCommands::DeleteTiffPage(const QString& SrcFile, std::int16_t DeletePageno)
{
    const QString src = SrcFile;
    const auto body = [&](const Numbering& line, com::Ptr<com::Object>& control, const ErrorTrap& trap) {
        line(10);
        line(20);
        control = CreatePageEngine();
        line(30);
        const QVariantList args{QVariant(src), PageNumber(DeletePageno)};
        line(40);
        const bool result = CallEngine(control, page_engine::kDeleteTIFFPages, args, trap, lastFailureReason_);
        line(50);
        control.reset();
        return result;
    };
    return RunTiffMethod("DeleteTiffPage", {.logs = false}, lastFailureReason_, body);
}

bool TiffPdfCommands::SplitTiffFiles(const QString& SourceFilePath, std::int16_t PageNo, const QString& OutputFolder,
                                     const QString& filename)
{
    const QString source = SourceFilePath;
    const QString folder = OutputFolder;
    const QString prefix = filename;
    // The command-line program's copy has no statement numbers (logs 0).
    const auto body = [&](const Numbering& line, com::Ptr<com::Object>& control, const ErrorTrap& trap) {
        line(10);
        return CallBetweenYields(line, control, trap, page_engine::kSplitTIFF, lastFailureReason_, [&] {
            const QString dir = ValidateDir(folder);
            const QString part1 = dir + prefix + QStringLiteral("1.tif");
            const QString part2 = dir + prefix + QStringLiteral("2.tif");
            return QVariantList{QVariant(source), PageNumber(PageNo), QVariant(part1), QVariant(part2)};
        });
    };
    return RunTiffMethod("SplitTiffFiles", {.numbered = false}, lastFailureReason_, body);
}

bool TiffPdfCommands::ExtractTIFFpagesbyRange(const QString& strInputTIFF, std::int16_t iStartPage,
                                              std::int16_t iEndPage, const QString& StrOutputDir)
{
    const QString input = strInputTIFF;
    const QString outputDir = StrOutputDir;
    const auto body = [&](const Numbering& line, com::Ptr<com::Object>& control, const ErrorTrap& trap) {
        line(60);
        return CallBetweenYields(line, control, trap, page_engine::kExtractPages, lastFailureReason_, [&] {
            return QVariantList{QVariant(input), PageNumber(iStartPage), PageNumber(iEndPage),
                                QVariant(ValidateDir(outputDir))};
        });
    };
    return RunTiffMethod("ExtractTIFFpagesbyRange", {.offset = 50}, lastFailureReason_, body);
}

bool TiffPdfCommands::ExtractAllTIFFpages(const QString& SourceFilePath, const QString& OutputFolder)
{
    const QString source = SourceFilePath;
    const QString folder = OutputFolder;
    const auto body = [&](const Numbering& line, com::Ptr<com::Object>& control, const ErrorTrap& trap) {
        line(60);
        return CallBetweenYields(line, control, trap, page_engine::kExtractAllTIFFpages, lastFailureReason_, [&] {
            return QVariantList{QVariant(source), QVariant(ValidateDir(folder))};
        });
    };
    return RunTiffMethod("ExtractAllTIFFpages", {.offset = 50}, lastFailureReason_, body);
}

bool TiffPdfCommands::CombineOrderTiff()
{
    FileProccessed = 0;
    if (FileNameToSave.isEmpty())
        return false;

    // The two alternating intermediate files live in a private folder that
    // goes away with this call.
    QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/velmora-combine-XXXXXX"));
    if (!scratch.isValid())
        return false;
    const QString t1 = scratch.filePath(QStringLiteral("test_stavren1.tif"));
    const QString t2 = scratch.filePath(QStringLiteral("test_stavren2.tif"));
    const bool showProgress = !IsCommandLineProgram();
    const auto setProgress = [showProgress](int value) {
        if (!showProgress)
            return;
        ShowProgress(value);
    };

    com::Ptr<com::Object> control;
    try {
        control = CreatePageEngine();
        bool first = true;
        bool merged = false;
        bool intoT1 = true; // the next alternating merge writes T1 (from T2)
        QString firstInput;
        const RecordCollection records = colOrderedData;
        for (const clsColSetOrderGrid& record : records) {
            YieldToMessageLoop();
            const QString path = ValidateDir(record.FileLocation()) + record.filename();
            if (first) {
                firstInput = path;
                first = false;
            } else if (!merged) {
                merged = true;
                if (!Call(control, page_engine::kMergeTIFF, {QVariant(firstInput), QVariant(path), QVariant(t2)})) {
                    control.reset();
                    return false;
                }
            } else {
                const QString from = intoT1 ? t2 : t1;
                const QString into = intoT1 ? t1 : t2;
                const bool ok =
                    Call(control, page_engine::kMergeTIFF, {QVariant(from), QVariant(path), QVariant(into)});
                QFile::remove(from);
                intoT1 = !intoT1;
                if (!ok) {
                    control.reset();
                    return false;
                }
            }
            if (FileProccessed == std::numeric_limits<std::int16_t>::max())
                throw RunTimeError(rterr::Overflow);
            ++FileProccessed;
            setProgress(FileProccessed);
        }
        if (FileExists(t2)) {
            if (!ReplaceWithCopy(t2, FileNameToSave))
                throw RunTimeError(rterr::PathFileAccessError);
            QFile::remove(t2);
        } else if (FileExists(t1)) {
            if (!ReplaceWithCopy(t1, FileNameToSave))
                throw RunTimeError(rterr::PathFileAccessError);
            QFile::remove(t1);
        }
        setProgress(0);
        control.reset();
        return true;
    } catch (...) {
        control.reset();
        if (!IsCommandLineProgram()) {
            // Keep what was merged so far.
            try {
                if (FileExists(t2))
                    ReplaceWithCopy(t2, FileNameToSave);
                else if (FileExists(t1))
                    ReplaceWithCopy(t1, FileNameToSave);
            } catch (...) {
            }
        }
        return false;
    }
}

bool TiffPdfCommands::FileExists(const QString& sFIle)
{
    try {
        if (sFIle.isEmpty())
            return false;
        const QFileInfo info(sFIle);
        const QString name = info.fileName();
        const auto isNormalFile = [](const QFileInfo& fi) {
            return fi.exists() && fi.isFile() && !fi.fileName().startsWith(QLatin1Char('.'));
        };
        if (!name.contains(QLatin1Char('*')) && !name.contains(QLatin1Char('?')))
            return isNormalFile(info);
        const QDir dir = info.dir();
        const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort);
        for (const QFileInfo& entry : entries)
            if (isNormalFile(entry) && PathMatchSpec(entry.fileName(), name))
                return true;
        return false;
    } catch (...) {
        return false;
    }
}
