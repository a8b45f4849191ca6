#include "engine/control/stavren_ctrl.h"

#include "engine/control/has_tiff_extension.h"
#include "engine/control/stavren_ids.h"
#include "engine/control/stavren_type_library.h"
#include "engine/control/stavren_windows.h"
#include "engine/failure_reason.h"
#include "engine/page_operations.h"

#include <QTimerEvent>

#include <string>

namespace {

std::string Utf8(const QString& s)
{
    return s.toUtf8().toStdString();
}

// Runs an engine call; anything it throws (out of memory) becomes the
// failure value, so nothing crosses the dispatch interface. The system's
// reason for a failure, where there was one, is left as the last error, and
// why pages were refused as the error information beside it.
template <class R, class F>
R Guarded(R failure, F&& call)
{
    stavren::ClearFailureReason();
    R result = failure;
    try {
        result = call();
    } catch (...) {
    }
    com::SetLastError(stavren::FailureReason());
    try {
        com::SetErrorInfo(QString::fromStdString(stavren::FailureText()));
    } catch (...) {
    }
    return result;
}

// A name with an embedded NUL would reach the file system cut short, so a
// different file than the one named would be read or written.
bool Passable(const QString& name)
{
    return !name.contains(QChar(u'\0'));
}

bool ReadableName(const QString& name)
{
    return !name.isEmpty() && Passable(name) && HasTiffExtension(name);
}

} // namespace

CStavrenCtrl::CStavrenCtrl() = default;
CStavrenCtrl::~CStavrenCtrl() = default;

bool CStavrenCtrl::MergeTIFF(const QString& strInputTIFF1, const QString& strInputTIFF2, const QString& strOutputTIFF)
{
    if (!ReadableName(strInputTIFF1) || !ReadableName(strInputTIFF2) || strOutputTIFF.isEmpty()
        || !Passable(strOutputTIFF))
        return false;
    // The engine's answer is passed on: a merge whose output could not be
    // written is a failure.
    return Guarded(false, [&] {
        return stavren::MergeFiles({Utf8(strInputTIFF1), Utf8(strInputTIFF2)}, Utf8(strOutputTIFF));
    });
}

bool CStavrenCtrl::SplitTIFF(const QString& strInputTIFF, short iStartFromPage, const QString& strOutputTIFF1,
                             const QString& strOutputTIFF2)
{
    if (!ReadableName(strInputTIFF) || !Passable(strOutputTIFF1) || !Passable(strOutputTIFF2))
        return false;
    return Guarded(false, [&] {
        return stavren::SplitFile(Utf8(strInputTIFF), static_cast<std::int32_t>(iStartFromPage), Utf8(strOutputTIFF1),
                                  Utf8(strOutputTIFF2));
    });
}

bool CStavrenCtrl::AddTIFFPages(const QString& strInputTIFF, int iInsertAtPageNo, const QString& strAppendFromTIFF)
{
    if (!ReadableName(strInputTIFF) || !ReadableName(strAppendFromTIFF))
        return false;
    return Guarded(false,
                   [&] { return stavren::InsertPages(Utf8(strInputTIFF), iInsertAtPageNo, Utf8(strAppendFromTIFF)); });
}

bool CStavrenCtrl::DeleteTIFFPages(const QString& strInputTIFF, int iPageNo)
{
    if (!ReadableName(strInputTIFF))
        return false;
    return Guarded(false, [&] { return stavren::DeletePage(Utf8(strInputTIFF), iPageNo); });
}

bool CStavrenCtrl::SwapTIFFPages(const QString& strInputTIFF, int iPage1, int iPage2)
{
    if (!ReadableName(strInputTIFF))
        return false;
    return Guarded(false, [&] { return stavren::SwapPages(Utf8(strInputTIFF), iPage1, iPage2); });
}

int CStavrenCtrl::GetTIFFPages(const QString& strInputTIFF)
{
    if (!ReadableName(strInputTIFF))
        return 0;
    return Guarded(0, [&] { return static_cast<int>(stavren::CountTiffPages(Utf8(strInputTIFF))); });
}

bool CStavrenCtrl::ExtractAllTIFFpages(const QString& strInputTIFF, const QString& strOutputDir)
{
    if (!ReadableName(strInputTIFF) || !Passable(strOutputDir))
        return false;
    // The engine answers the page count, or -1 when a page could not be
    // written.
    return Guarded(false, [&] { return stavren::ExtractAllPages(Utf8(strInputTIFF), Utf8(strOutputDir)) > 0; });
}

bool CStavrenCtrl::ExtractPages(const QString& strInputTIFF, short iStartPage, short iEndPage,
                                const QString& strOutputDir)
{
    if (!ReadableName(strInputTIFF) || !Passable(strOutputDir))
        return false;
    // Only success is answered, so the engine reads the file no further
    // than the range.
    return Guarded(false, [&] {
        return stavren::ExtractPagesInRange(Utf8(strInputTIFF), static_cast<std::int32_t>(iStartPage),
                                            static_cast<std::int32_t>(iEndPage), Utf8(strOutputDir));
    });
}

void CStavrenCtrl::AboutBox()
{
    try {
        stavren_windows::ShowAboutDialog();
    } catch (...) {
    }
}

int CStavrenCtrl::OnCreate(const QVariant& parent)
{
    QObject* parentObject = nullptr;
    if (!stavren_windows::ObjectArgument(parent, parentObject) || !parentObject)
        return -1;
    try {
        return stavren_windows::CreateControlWindow(parentObject) ? 0 : -1;
    } catch (...) {
        return -1;
    }
}

void CStavrenCtrl::OnTimer(int nIDEvent)
{
    QTimerEvent message(nIDEvent);
    com::Object::event(&message);
}

int CStavrenCtrl::DoVerb(int iVerb, const QVariant& parent)
{
    if (iVerb != com::OLEIVERB_PROPERTIES)
        return com::E_NOTIMPL;
    QObject* owner = nullptr;
    if (!stavren_windows::ObjectArgument(parent, owner))
        return com::E_FAIL;
    // The pages are reached as any property frame reaches them: created by
    // class identifier through the runtime, each asked for its page.
    QList<QObject*> pages;
    bool complete = true;
    try {
        for (const QUuid& id : GetPropPageIDs()) {
            const com::Ptr<com::Object> page = com::CreateInstance(id);
            QObject* made = com::Invoke(page, QStringLiteral("CreatePage"), {QVariant()}).value<QObject*>();
            complete = made != nullptr;
            if (!complete)
                break;
            pages.append(made);
        }
    } catch (...) {
        complete = false;
    }
    if (!complete) {
        qDeleteAll(pages);
        return com::E_FAIL;
    }
    try {
        // The frame takes the pages over.
        const QString caption = GetUserTypeName() + QStringLiteral(" Properties");
        return stavren_windows::ShowPropertyFrame(owner, caption, pages) ? com::S_OK : com::E_FAIL;
    } catch (...) {
        return com::E_FAIL;
    }
}

bool CStavrenCtrl::IsInvokeAllowed(com::DISPID) const
{
    return true;
}

const com::TypeLibrary& CStavrenCtrl::GetTypeLibCache()
{
    return StavrenTypeLibrary();
}

com::HRESULT CStavrenCtrl::GetTypeLib(std::uint32_t lcid, com::TypeLibrary& out) const
{
    return com::LoadRegTypeLib(stavren_ids::kLibId, stavren_ids::kLibMajor, stavren_ids::kLibMinor, lcid, out);
}

std::uint32_t CStavrenCtrl::DoPropExchange() const
{
    return stavren_ids::kCtrlVersion;
}

void CStavrenCtrl::OnDraw(QPainter& painter, const QRect& bounds) const
{
    stavren_windows::DrawControl(painter, bounds);
}

QUuid CStavrenCtrl::GetClassID() const
{
    return stavren_ids::kCtrlClsid;
}

QList<QUuid> CStavrenCtrl::GetPropPageIDs() const
{
    return {stavren_ids::kPropPageClsid};
}

QString CStavrenCtrl::GetUserTypeName() const
{
    return QString::fromLatin1(stavren_ids::kCtrlTypeName);
}

std::uint32_t CStavrenCtrl::GetMiscStatus() const
{
    return stavren_ids::kMiscStatus;
}
