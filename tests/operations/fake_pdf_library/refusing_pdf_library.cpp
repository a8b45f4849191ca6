// A stand-in for the outside PDF libraries that is installed but refuses
// every file: each opening function answers with handle 0. Built under the
// three library names; every call is noted, so a test can see what reached
// the library.

#include <string>

namespace {

std::string& Calls()
{
    static std::string calls;
    return calls;
}

int Note(const char* function, int answer)
{
    Calls() += function;
    Calls() += '\n';
    return answer;
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) const char* fakeOutsideCalls()
{
    return Calls().c_str();
}

// pdfsm
__attribute__((visibility("default"))) int pdfCreateMerge(const char*)
{
    return Note("pdfCreateMerge", 0);
}
__attribute__((visibility("default"))) int pdfOpenSplit(const char*)
{
    return Note("pdfOpenSplit", 0);
}
__attribute__((visibility("default"))) int pdfSetFunction(int, int, int, int, const char*, const char*)
{
    return Note("pdfSetFunction", 0);
}
__attribute__((visibility("default"))) int pdfClose(int)
{
    return Note("pdfClose", 0);
}

// imgpdf
__attribute__((visibility("default"))) int imgCreate(const char*)
{
    return Note("imgCreate", 0);
}
__attribute__((visibility("default"))) int imgAddImage(int, const char*)
{
    return Note("imgAddImage", 0);
}
__attribute__((visibility("default"))) int imgGetFunction(int, int, const char*)
{
    return Note("imgGetFunction", 0);
}
__attribute__((visibility("default"))) int imgSetFunction(int, int, int, const char*)
{
    return Note("imgSetFunction", 0);
}
__attribute__((visibility("default"))) int imgClose(int)
{
    return Note("imgClose", 0);
}

// pdfimg
__attribute__((visibility("default"))) int pdfOpen(const char*)
{
    return Note("pdfOpen", 0);
}
__attribute__((visibility("default"))) int pdfGetPageCount(int)
{
    return Note("pdfGetPageCount", 0);
}
__attribute__((visibility("default"))) int pdfSetProperty(int, int, int)
{
    return Note("pdfSetProperty", 0);
}
__attribute__((visibility("default"))) int pdfConvertPage(int, int, const char*)
{
    return Note("pdfConvertPage", 0);
}

} // extern "C"
