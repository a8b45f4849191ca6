#pragma once
// TiffPdfCommands: the one object through which both programs run page
// operations on TIFF files. Each method creates a fresh page-engine control
// object by its ProgID, calls one of its methods by name, turns the reply
// into a Boolean and releases the control before returning. Every run-time
// failure (control not registered, missing method, failing call) becomes a
// false result; the desktop program logs it to "Errors.Log", the
// command-line program logs it for the split and extract methods only.
//
// Page numbers pass through unchanged (see each method).

#include "operations/cls_col_set_order_grid.h"

#include <QString>

#include <cstdint>
#include <functional>

inline constexpr char16_t kPageEngineProgId[] = u"STAVREN.StavrenCtrl.1";

// The page-engine control's methods the facade calls by name. A call names
// its method only through these; the facade's tests find each of
// kPageEngineMethods on the control, so a misspelt or added name that the
// control lacks fails there.
namespace page_engine {
inline constexpr char kAddTIFFPages[] = "AddTIFFPages";
inline constexpr char kDeleteTIFFPages[] = "DeleteTIFFPages";
inline constexpr char kSplitTIFF[] = "SplitTIFF";
inline constexpr char kExtractPages[] = "ExtractPages";
inline constexpr char kExtractAllTIFFpages[] = "ExtractAllTIFFpages";
inline constexpr char kMergeTIFF[] = "MergeTIFF";
} // namespace page_engine
inline constexpr const char* kPageEngineMethods[] = {
    page_engine::kAddTIFFPages, page_engine::kDeleteTIFFPages,     page_engine::kSplitTIFF,
    page_engine::kExtractPages, page_engine::kExtractAllTIFFpages, page_engine::kMergeTIFF,
};

class TiffPdfCommands {
public:
    // Number of records handled so far by CombineOrderTiff (reset when it starts).
    std::int16_t FileProccessed = 0;
    // Input list of CombineOrderTiff, merged in order.
    RecordCollection colOrderedData;
    // Output file of CombineOrderTiff.
    QString FileNameToSave;

    // Inserts the pages of AppendFromtiff before the 1-based page
    // insertAtpageno of SrcFile (0 and 1: first; page count + 1: last).
    // Empty names or a negative position: false at once, no control created.
    bool AppendFileTiffFile(const QString& SrcFile, const QString& AppendFromtiff, std::int16_t insertAtpageno);

    // Removes the 1-based page DeletePageno from SrcFile.
    bool DeleteTiffPage(const QString& SrcFile, std::int16_t DeletePageno);

    // Splits SourceFilePath in two: pages 1..PageNo-1 go to
    // OutputFolder/<filename>1.tif, the rest to OutputFolder/<filename>2.tif.
    bool SplitTiffFiles(const QString& SourceFilePath, std::int16_t PageNo, const QString& OutputFolder,
                        const QString& filename);

    // Extracts the 0-based pages iStartPage..iEndPage into StrOutputDir
    // (the engine names the files).
    bool ExtractTIFFpagesbyRange(const QString& strInputTIFF, std::int16_t iStartPage, std::int16_t iEndPage,
                                 const QString& StrOutputDir);

    // Extracts every page into OutputFolder (the engine names the files).
    bool ExtractAllTIFFpages(const QString& SourceFilePath, const QString& OutputFolder);

    // Why the last of the five methods above failed, as one short text:
    // the system's reason ("File too large"), why the engine refused pages
    // ("page 2: no image data"), or the run-time error trapped. Empty after
    // a success, and when the engine said nothing (a page number outside
    // the file).
    const QString& LastFailureReason() const { return lastFailureReason_; }

    // Merges the files of colOrderedData (ValidateDir(FileLocation) +
    // filename, in order) into FileNameToSave, counting FileProccessed.
    // The intermediate files live in a private temporary folder. In the
    // desktop program the progress callback (if any) follows FileProccessed. False when FileNameToSave is empty or a
    // merge fails (FileNameToSave is then not written).
    bool CombineOrderTiff();

    // True when sFIle names at least one regular, non-hidden file (wildcards
    // "*" and "?" in its last component act as a pattern). Never fails.
    static bool FileExists(const QString& sFIle);

    // ---- PDF and image operations --------------------------------------
    // These drive outside components: PDF servers created by ProgID
    // ("PdfConvert.Converter.1", "PdfInfo.InfoEditor.1",
    // "PdfPages.SplitMerge.1") and the plain libraries pdfsm and pdfimg
    // (see pdf_libraries.h). Nothing in either program calls them. A
    // component that is not installed shows up as a false result (0, or the
    // text "False") and, where the method logs, one line in "Errors.Log".

    // Converts a PDF into images (PdfConvert: PDFToImage).
    bool ConvertPDFToImage(const QString& strPDF, const QString& strImage, std::int32_t param = 0);
    // Converts an image into a TIFF file (PdfConvert: ConvertImageToTiff).
    bool ConverImageToTiff(const QString& strInputImage, const QString& strOutputImage, std::int32_t nTiffEncoding);
    // Writes document information (PdfInfo: UpdatePDFInfo); false when
    // Keys_values is empty.
    bool UpdatePdfMetaData(const QString& SrcFile, const QString& Password, const QString& Keys_values,
                           const QString& OutputFilename);
    // The page count of a PDF (PdfPages: GetNumberOfPages); 0 after an error.
    std::int16_t GetNoOfPagesFromPDF(const QString& filename, QString& Password);
    // Merges SrcFilename and the pages Range of AppendFilename into
    // SrcTarFilename through the pdfsm library.
    bool AppendPdfFile(const QString& SrcFilename, const QString& AppendFilename, const QString& Range,
                       const QString& SrcTarFilename);
    // The command-line program's variant: PdfPages Merge(Filenames, SrcTarFilename).
    bool AppendPdfFile(const QString& Filenames, const QString& SrcTarFilename);
    // Document information as text (PdfInfo: UpdatePDFInfo with two
    // arguments); "False" after an error.
    QString GetPdfMetaData(const QString& filename, const QString& Password);
    // Merges the PDF files of colOrderedData (each with its Range) into
    // FileNameToSave: the pdfsm library in the desktop program, the
    // PdfPages server in the command-line program.
    bool CombineOrderPdf();
    // Converts the TIFF files of colOrderedData into one PDF FileNameToSave
    // (PdfConvert: ConvertTiffToPDF with the "|"-joined list).
    bool MergeConvert_TiffToPdfx();
    // Converts each TIFF file of colOrderedData into OutputPath/<name>.Pdf.
    bool Convert_EachTiffToPDFx(QString& OutputPath);
    // Converts one TIFF file into a PDF file.
    bool Convert_EachTiffToPDFbyOne(const QString& SrcFilePath, const QString& OutputPath);
    // Splits the pages Range of a PDF into OutputFolder/<source name>/<filename>
    // through the pdfsm library.
    bool SplitPDFFiles(const QString& SourceFilePath, const QString& Range, const QString& OutputFolder,
                       const QString& filename);
    // The command-line program's variant: PdfPages Split(SourceFilePath, Range, FileName).
    bool SplitPDFFiles(QString& SourceFilePath, QString& Range, QString& FileName);

    // The program-wide progress callback that the long operations call with
    // the number of items done so far (the desktop drives its progress bar
    // with it); none by default, and no progress is shown then.
    using ProgressCallback = std::function<void(int value)>;
    static void SetProgressCallback(ProgressCallback callback);
    // Calls the progress callback, when one is set.
    static void ShowProgress(int value);

private:
    QString lastFailureReason_;
};
