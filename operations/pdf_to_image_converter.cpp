#include "operations/pdf_to_image_converter.h"

#include "operations/error_trap.h"
#include "operations/message_loop.h"
#include "operations/mod_general.h"
#include "operations/pdf_libraries.h"
#include "operations/tiff_pdf_commands.h"

#include <QDir>
#include <QFileInfo>

namespace {

const ProcedureTraps Trap(ObjectKind::ClassModule, QStringLiteral("PdfToImageConverter"));

} // namespace

bool PdfToImageConverter::ConvertPDFToImage(const QString& strPDF, const QString& outputFolder, bool highQuality)
{
    return Trapped(Trap("ConvertPDFToImage"), false, [&](ErrorTrap& trap) {
        trap.Line(10);
        const OutsideLibrary& lib = pdflib::Pdfimg();
        const auto open = lib.Function<pdflib::OpenFn>("pdfOpen");
        const auto pageCount = lib.Function<pdflib::PageCountFn>("pdfGetPageCount");
        const auto setProperty = lib.Function<pdflib::SetPropertyFn>("pdfSetProperty");
        const auto convertPage = lib.Function<pdflib::ConvertPageFn>("pdfConvertPage");
        const auto close = lib.Function<pdflib::CloseFn>("pdfClose");
        trap.Line(20);
        const int handle = pdflib::Opened(open(pdflib::Text(strPDF).constData()), "pdfOpen");
        trap.Line(30);
        const QString folder = ValidateDir(outputFolder) + QFileInfo(strPDF).completeBaseName();
        QDir().mkpath(folder);
        setProperty(handle, 1, 1);
        setProperty(handle, 2, 1);
        setProperty(handle, 5, 1);
        if (highQuality) {
            setProperty(handle, 6, 1);
            setProperty(handle, 10, 1);
            setProperty(handle, 11, 1);
        }
        trap.Line(40);
        const int pages = pageCount(handle);
        for (int page = 1; page <= pages; ++page) {
            convertPage(handle, page, pdflib::Text(folder).constData());
            YieldToMessageLoop();
            TiffPdfCommands::ShowProgress(page);
        }
        trap.Line(50);
        close(handle);
        return true;
    });
}
