#pragma once
// The plain functions of the outside PDF libraries, as the facade and its
// converter classes call them. Texts are UTF-8, numbers 32-bit; a handle
// greater than 0 means success.
//
//   pdfsm  (merge and split):  int pdfCreateMerge(const char* output);
//                              int pdfOpenSplit(const char* source);
//                              int pdfSetFunction(int handle, int code, int n1, int n2,
//                                                 const char* text1, const char* text2);
//                              int pdfClose(int handle);
//   imgpdf (images to PDF):    int imgCreate(const char* outputPdf);
//                              int imgAddImage(int handle, const char* image);
//                              int imgGetFunction(int handle, int code, const char* text);
//                              int imgSetFunction(int handle, int code, int item, const char* text);
//                              int imgClose(int handle);
//   pdfimg (PDF to images):    int pdfOpen(const char* pdf);
//                              int pdfGetPageCount(int handle);
//                              int pdfSetProperty(int handle, int code, int value);
//                              int pdfConvertPage(int handle, int page, const char* outputFolder);
//                              int pdfClose(int handle);

#include "platform/outside_library/outside_library.h"
#include "platform/runtime/run_time_error.h"

#include <QByteArray>
#include <QString>

namespace pdflib {

inline QByteArray Text(const QString& s)
{
    return s.toUtf8();
}

// The handle an opening function returned. A library that is there but
// refuses (a handle of 0 or less) raises run-time error 5 naming the
// function, so the caller's error tail logs it and answers False.
inline int Opened(int handle, const char* function)
{
    if (handle <= 0)
        throw RunTimeError(rterr::InvalidProcedureCall, QString::fromLatin1(function)
                                                            + QStringLiteral(" refused: handle ")
                                                            + QString::number(handle));
    return handle;
}

inline const OutsideLibrary& Pdfsm()
{
    static const OutsideLibrary lib(QStringLiteral("pdfsm"));
    return lib;
}
inline const OutsideLibrary& Imgpdf()
{
    static const OutsideLibrary lib(QStringLiteral("imgpdf"));
    return lib;
}
inline const OutsideLibrary& Pdfimg()
{
    static const OutsideLibrary lib(QStringLiteral("pdfimg"));
    return lib;
}

using OpenFn = int (*)(const char*);
using CloseFn = int (*)(int);
using SetFunctionFn = int (*)(int, int, int, int, const char*, const char*);
using AddImageFn = int (*)(int, const char*);
using ImgGetFunctionFn = int (*)(int, int, const char*);
using ImgSetFunctionFn = int (*)(int, int, int, const char*);
using PageCountFn = int (*)(int);
using SetPropertyFn = int (*)(int, int, int);
using ConvertPageFn = int (*)(int, int, const char*);

} // namespace pdflib
