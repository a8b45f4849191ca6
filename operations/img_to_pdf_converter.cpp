#include "operations/img_to_pdf_converter.h"

#include "operations/error_trap.h"
#include "operations/message_loop.h"
#include "operations/mod_general.h"
#include "operations/pdf_libraries.h"
#include "operations/tiff_pdf_commands.h"

namespace {

const ProcedureTraps Trap(ObjectKind::ClassModule, QStringLiteral("ImgToPdfConverter"));

struct ImgPdf {
    pdflib::OpenFn create = pdflib::Imgpdf().Function<pdflib::OpenFn>("imgCreate");
    pdflib::AddImageFn addImage = pdflib::Imgpdf().Function<pdflib::AddImageFn>("imgAddImage");
    pdflib::CloseFn close = pdflib::Imgpdf().Function<pdflib::CloseFn>("imgClose");
};

} // namespace

bool ImgToPdfConverter::MergeConvert_TiffToPdfx()
{
    return Trapped(Trap("MergeConvert_TiffToPdfx"), false, [&](ErrorTrap& trap) {
        trap.Line(10);
        const ImgPdf lib;
        FileProccessed = 0;
        const int handle = pdflib::Opened(lib.create(pdflib::Text(FileNameToSave).constData()), "imgCreate");
        trap.Line(20);
        for (const clsColSetOrderGrid& record : std::as_const(colOrderedData)) {
            YieldToMessageLoop();
            lib.addImage(handle, pdflib::Text(ValidateDir(record.FileLocation()) + record.filename()).constData());
            ++FileProccessed;
            TiffPdfCommands::ShowProgress(FileProccessed);
        }
        trap.Line(30);
        lib.close(handle);
        return true;
    });
}

bool ImgToPdfConverter::Convert_EachTiffToPDFbyOne(const QString& SrcFilePath, const QString& OutputPath)
{
    return Trapped(Trap("Convert_EachTiffToPDFbyOne"), false, [&](ErrorTrap& trap) {
        trap.Line(10);
        if (SrcFilePath.isEmpty() || OutputPath.isEmpty())
            return false;
        trap.Line(20);
        const ImgPdf lib;
        const int handle = pdflib::Opened(lib.create(pdflib::Text(OutputPath).constData()), "imgCreate");
        lib.addImage(handle, pdflib::Text(SrcFilePath).constData());
        YieldToMessageLoop();
        trap.Line(30);
        lib.close(handle);
        return true;
    });
}

bool ImgToPdfConverter::ConverImageToPdf(const QString& imagePath, const QString& pdfPath, const QString& text1,
                                         const QString& text2, const QString& text3)
{
    return Trapped(Trap("ConverImageToPdf"), false, [&](ErrorTrap& trap) {
        trap.Line(10);
        if (imagePath.isEmpty() || pdfPath.isEmpty())
            return false;
        trap.Line(20);
        const ImgPdf lib;
        const auto getFunction = pdflib::Imgpdf().Function<pdflib::ImgGetFunctionFn>("imgGetFunction");
        const auto setFunction = pdflib::Imgpdf().Function<pdflib::ImgSetFunctionFn>("imgSetFunction");
        const int handle = pdflib::Opened(lib.create(pdflib::Text(pdfPath).constData()), "imgCreate");
        trap.Line(30);
        getFunction(handle, 211, pdflib::Text(imagePath).constData());
        // The texts go in from the last parameter to the first, as items 1 to 3.
        const QString* texts[] = {&text3, &text2, &text1};
        for (int item = 1; item <= 3; ++item) {
            if (!texts[item - 1]->isEmpty())
                setFunction(handle, 123, item, pdflib::Text(*texts[item - 1]).constData());
        }
        trap.Line(40);
        lib.addImage(handle, pdflib::Text(imagePath).constData());
        YieldToMessageLoop();
        lib.close(handle);
        return true;
    });
}
