// TiffPdfCommands: the PDF and image operations. Each creates its outside
// server for the one call (or calls the outside library), and turns every
// run-time error into a false result with one line in the error log.

#include "operations/tiff_pdf_commands.h"

#include "operations/error_trap.h"
#include "operations/file_folder_scan.h"
#include "operations/message_loop.h"
#include "operations/mod_general.h"
#include "operations/pdf_libraries.h"
#include "operations/running_program.h"
#include "platform/com/com.h"

#include <QDir>
#include <QStringList>

namespace {

const QString kClassName = QStringLiteral("TiffPdfCommands");
const QString kConverter = QStringLiteral("PdfConvert.Converter.1");
const QString kInfoEditor = QStringLiteral("PdfInfo.InfoEditor.1");
const QString kSplitMerge = QStringLiteral("PdfPages.SplitMerge.1");

QVariant Short(int value)
{
    return QVariant::fromValue<short>(static_cast<short>(value));
}

QString RecordPath(const clsColSetOrderGrid& record)
{
    return ValidateDir(record.FileLocation()) + record.filename();
}

QString JoinedPaths(const RecordCollection& records, std::int16_t& processed)
{
    QStringList paths;
    processed = 0;
    for (const clsColSetOrderGrid& record : records) {
        paths << RecordPath(record);
        ++processed;
    }
    return paths.join(QLatin1Char('|'));
}

// The pdfsm functions of one merge or split, looked up in the order they
// are called: the opening function, pdfSetFunction, pdfClose.
struct PdfsmCalls {
    explicit PdfsmCalls(const char* openerName) : opener(openerName) {}
    // Opens `path` with the opening function; a refusal raises 5.
    int Open(const QString& path) const { return pdflib::Opened(open(pdflib::Text(path).constData()), opener); }

    const char* opener;
    pdflib::OpenFn open = pdflib::Pdfsm().Function<pdflib::OpenFn>(opener);
    pdflib::SetFunctionFn setFunction = pdflib::Pdfsm().Function<pdflib::SetFunctionFn>("pdfSetFunction");
    pdflib::CloseFn close = pdflib::Pdfsm().Function<pdflib::CloseFn>("pdfClose");
};

const ProcedureTraps Trap(ObjectKind::ClassModule, kClassName);

} // namespace

bool TiffPdfCommands::ConvertPDFToImage(const QString& strPDF, const QString& strImage, std::int32_t param)
{
    return Trapped(Trap("ConvertPDFToImage"), false, [&](ErrorTrap& trap) {
        trap.Line(10);
        if (strPDF.isEmpty() || strImage.isEmpty())
            return false;
        trap.Line(20);
        com::Ptr<com::Object> server = com::CreateObject(kConverter);
        trap.Line(30);
        YieldToMessageLoop();
        trap.Line(40);
        com::Invoke(server, QStringLiteral("PDFToImage"),
                    {strPDF, strImage, Short(100), Short(100), Short(0), param, 0});
        return true;
    });
}

bool TiffPdfCommands::ConverImageToTiff(const QString& strInputImage, const QString& strOutputImage,
                                        std::int32_t nTiffEncoding)
{
    return Trapped(Trap("ConverImageToTiff"), false, [&](ErrorTrap& trap) {
        trap.Line(10);
        if (strInputImage.isEmpty() || strOutputImage.isEmpty())
            return false;
        trap.Line(20);
        com::Ptr<com::Object> server = com::CreateObject(kConverter);
        trap.Line(30);
        YieldToMessageLoop();
        trap.Line(40);
        com::Invoke(server, QStringLiteral("ConvertImageToTiff"), {strInputImage, strOutputImage, nTiffEncoding});
        return true;
    });
}

bool TiffPdfCommands::UpdatePdfMetaData(const QString& SrcFile, const QString& Password, const QString& Keys_values,
                                        const QString& OutputFilename)
{
    return Trapped(Trap("UpdatePdfMetaData"), false, [&](ErrorTrap& trap) {
        trap.Line(10);
        if (Keys_values.isEmpty())
            return false;
        trap.Line(20);
        com::Ptr<com::Object> server = com::CreateObject(kInfoEditor);
        trap.Line(30);
        com::Invoke(server, QStringLiteral("UpdatePDFInfo"), {SrcFile, Password, Keys_values, OutputFilename});
        return true;
    });
}

std::int16_t TiffPdfCommands::GetNoOfPagesFromPDF(const QString& filename, QString& /*Password*/)
{
    return Trapped(Trap("GetNoOfPagesFromPDF"), std::int16_t{0}, [&](ErrorTrap& trap) {
        trap.Line(10);
        com::Ptr<com::Object> server = com::CreateObject(kSplitMerge);
        trap.Line(20);
        const QVariant answer = com::Invoke(server, QStringLiteral("GetNumberOfPages"), {filename, QString()});
        trap.Line(30);
        return com::CoerceArgument(answer, QMetaType(QMetaType::Short)).value<short>();
    });
}

bool TiffPdfCommands::AppendPdfFile(const QString& SrcFilename, const QString& AppendFilename, const QString& Range,
                                    const QString& SrcTarFilename)
{
    return Trapped(Trap("AppendPdfFile"), false, [&](ErrorTrap& trap) {
        trap.Line(10);
        const PdfsmCalls pdfsm("pdfCreateMerge");
        trap.Line(20);
        const int handle = pdfsm.Open(SrcTarFilename);
        trap.Line(30);
        pdfsm.setFunction(handle, 175, 0, 0, pdflib::Text(SrcFilename).constData(), "0");
        trap.Line(40);
        const QByteArray range = Range.isEmpty() ? QByteArray("0") : pdflib::Text(Range);
        pdfsm.setFunction(handle, 175, 0, 0, pdflib::Text(AppendFilename).constData(), range.constData());
        trap.Line(50);
        pdfsm.close(handle);
        return true;
    });
}

bool TiffPdfCommands::AppendPdfFile(const QString& Filenames, const QString& SrcTarFilename)
{
    try {
        com::Ptr<com::Object> server = com::CreateObject(kSplitMerge);
        com::Invoke(server, QStringLiteral("Merge"), {Filenames, SrcTarFilename});
        return true;
    } catch (...) {
        return false;
    }
}

QString TiffPdfCommands::GetPdfMetaData(const QString& filename, const QString& Password)
{
    return Trapped(Trap("GetPdfMetaData"), QStringLiteral("False"), [&](ErrorTrap& trap) {
        trap.Line(10);
        com::Ptr<com::Object> server = com::CreateObject(kInfoEditor);
        trap.Line(20);
        return com::Invoke(server, QStringLiteral("UpdatePDFInfo"), {filename, Password}).toString();
    });
}

bool TiffPdfCommands::CombineOrderPdf()
{
    if (IsCommandLineProgram()) {
        // The command-line program merges through the PdfPages server and
        // logs nothing.
        try {
            if (FileNameToSave.isEmpty())
                return false;
            const QString list = JoinedPaths(colOrderedData, FileProccessed);
            com::Ptr<com::Object> server = com::CreateObject(kSplitMerge);
            YieldToMessageLoop();
            com::Invoke(server, QStringLiteral("Merge"), {list, FileNameToSave});
            return true;
        } catch (...) {
            return false;
        }
    }

    return Trapped(Trap("CombineOrderPdf"), false, [&](ErrorTrap& trap) {
        trap.Line(10);
        if (FileNameToSave.isEmpty())
            return false;
        trap.Line(20);
        FileProccessed = 0;
        const PdfsmCalls pdfsm("pdfCreateMerge");
        const int handle = pdfsm.Open(FileNameToSave);
        trap.Line(30);
        for (const clsColSetOrderGrid& record : std::as_const(colOrderedData)) {
            const QString range = record.Range();
            const QByteArray rangeText =
                (range.isEmpty() || range == QLatin1String("0")) ? QByteArray("0") : pdflib::Text(range);
            pdfsm.setFunction(handle, 175, 0, 0, pdflib::Text(RecordPath(record)).constData(), rangeText.constData());
            YieldToMessageLoop();
            ++FileProccessed;
            TiffPdfCommands::ShowProgress(FileProccessed);
        }
        trap.Line(40);
        pdfsm.close(handle);
        return true;
    });
}

bool TiffPdfCommands::MergeConvert_TiffToPdfx()
{
    // The command-line program's conversion of the whole list into one PDF.
    try {
        const QString list = JoinedPaths(colOrderedData, FileProccessed);
        if (FileNameToSave.isEmpty())
            return true;
        com::Ptr<com::Object> server = com::CreateObject(kConverter);
        com::Invoke(server, QStringLiteral("ConvertTiffToPDF"), {list, FileNameToSave});
        return true;
    } catch (...) {
        return false;
    }
}

bool TiffPdfCommands::Convert_EachTiffToPDFx(QString& OutputPath)
{
    return Trapped(Trap("Convert_EachTiffToPDFx"), false, [&](ErrorTrap& trap) {
        trap.Line(10);
        if (OutputPath.isEmpty())
            return false;
        trap.Line(20);
        FileProccessed = 0;
        com::Ptr<com::Object> server = com::CreateObject(kConverter);
        for (const clsColSetOrderGrid& record : std::as_const(colOrderedData)) {
            trap.Line(30);
            const qsizetype dot = record.filename().indexOf(QLatin1Char('.'));
            // A name without "." has no stem to name its PDF after.
            if (dot < 0)
                throw RunTimeError(rterr::InvalidProcedureCall);
            const QString target = ValidateDir(OutputPath) + record.filename().left(dot) + QStringLiteral(".Pdf");
            YieldToMessageLoop();
            trap.Line(40);
            com::Invoke(server, QStringLiteral("ConvertTiffToPDF"), {RecordPath(record), target});
            ++FileProccessed;
        }
        return true;
    });
}

bool TiffPdfCommands::Convert_EachTiffToPDFbyOne(const QString& SrcFilePath, const QString& OutputPath)
{
    return Trapped(Trap("Convert_EachTiffToPDFbyOne"), false, [&](ErrorTrap& trap) {
        trap.Line(10);
        if (SrcFilePath.isEmpty() || OutputPath.isEmpty())
            return false;
        trap.Line(20);
        com::Ptr<com::Object> server = com::CreateObject(kConverter);
        YieldToMessageLoop();
        trap.Line(30);
        com::Invoke(server, QStringLiteral("ConvertTiffToPDF"), {SrcFilePath, OutputPath});
        return true;
    });
}

bool TiffPdfCommands::SplitPDFFiles(const QString& SourceFilePath, const QString& Range, const QString& OutputFolder,
                                    const QString& filename)
{
    return Trapped(Trap("SplitPDFFiles"), false, [&](ErrorTrap& trap) {
        trap.Line(10);
        QString name = GetFileNameFromPath(SourceFilePath.trimmed());
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot >= 0)
            name.truncate(dot);
        trap.Line(20);
        QString folder = ValidateDir(OutputFolder) + name;
        QString probe = folder;
        if (!FolderExistsByFind(probe) && !QDir().mkpath(folder))
            throw RunTimeError(rterr::PathNotFound);
        trap.Line(30);
        const QString target = ValidateDir(folder) + filename;
        const PdfsmCalls pdfsm("pdfOpenSplit");
        trap.Line(40);
        const int handle = pdfsm.Open(SourceFilePath);
        YieldToMessageLoop();
        trap.Line(50);
        pdfsm.setFunction(handle, 170, 1, Range.isEmpty() ? 1 : 2, pdflib::Text(Range).constData(),
                          pdflib::Text(target).constData());
        trap.Line(60);
        pdfsm.close(handle);
        return true;
    });
}

bool TiffPdfCommands::SplitPDFFiles(QString& SourceFilePath, QString& Range, QString& FileName)
{
    return Trapped(Trap("SplitPDFFiles"), false, [&](ErrorTrap& trap) {
        trap.Line(10);
        com::Ptr<com::Object> server = com::CreateObject(kSplitMerge);
        trap.Line(20);
        YieldToMessageLoop();
        trap.Line(30);
        com::Invoke(server, QStringLiteral("Split"), {SourceFilePath, Range, FileName});
        return true;
    });
}
