#pragma once
// CStavrenCtrl: the page-engine control. It has no state, no properties
// and no events; its whole use is the dispatch interface _DStavren, whose
// methods check the names they are given and call one engine operation.
// No method throws, shows a message (AboutBox aside) or writes a log.

#include "platform/com/com.h"
#include "platform/com/type_library.h"

#include <QRect>
#include <QString>
#include <QUuid>
#include <QVariant>

#include <cstdint>

class QPainter;

class CStavrenCtrl : public com::Object {
    Q_OBJECT
    Q_CLASSINFO("DISPID 1", "MergeTIFF")
    Q_CLASSINFO("DISPID 2", "SplitTIFF")
    Q_CLASSINFO("DISPID 3", "AddTIFFPages")
    Q_CLASSINFO("DISPID 4", "DeleteTIFFPages")
    Q_CLASSINFO("DISPID 5", "SwapTIFFPages")
    Q_CLASSINFO("DISPID 6", "GetTIFFPages")
    Q_CLASSINFO("DISPID 7", "ExtractAllTIFFpages")
    Q_CLASSINFO("DISPID 9", "ExtractPages")
    Q_CLASSINFO("DISPID -552", "AboutBox")

public:
    CStavrenCtrl();
    ~CStavrenCtrl() override;

    // ---- _DStavren ----------------------------------------------------------
    // Merges the pages of both inputs into the output. False when a name is
    // empty, an input lacks a TIFF suffix, or the output was not written.
    Q_INVOKABLE bool MergeTIFF(const QString& strInputTIFF1, const QString& strInputTIFF2,
                               const QString& strOutputTIFF);
    // Pages before the 1-based iStartFromPage to the first output, the rest
    // to the second.
    Q_INVOKABLE bool SplitTIFF(const QString& strInputTIFF, short iStartFromPage, const QString& strOutputTIFF1,
                               const QString& strOutputTIFF2);
    // Inserts the pages of strAppendFromTIFF before the 1-based page.
    Q_INVOKABLE bool AddTIFFPages(const QString& strInputTIFF, int iInsertAtPageNo, const QString& strAppendFromTIFF);
    // Removes the 1-based page.
    Q_INVOKABLE bool DeleteTIFFPages(const QString& strInputTIFF, int iPageNo);
    // Exchanges two 1-based pages.
    Q_INVOKABLE bool SwapTIFFPages(const QString& strInputTIFF, int iPage1, int iPage2);
    // The page count; 0 for a name that fails the checks or a file that
    // cannot be read.
    Q_INVOKABLE int GetTIFFPages(const QString& strInputTIFF);
    // Writes every page to strOutputDir + "/page<index>.tif". True when the
    // file had pages and every page was written.
    Q_INVOKABLE bool ExtractAllTIFFpages(const QString& strInputTIFF, const QString& strOutputDir);
    // Writes the pages with 0-based index iStartPage..iEndPage. True when
    // the file had pages and every selected page was written.
    Q_INVOKABLE bool ExtractPages(const QString& strInputTIFF, short iStartPage, short iEndPage,
                                  const QString& strOutputDir);
    // Shows the About dialog modally when a GUI application runs on this
    // thread; returns at once otherwise.
    Q_INVOKABLE void AboutBox();

    // ---- window messages and verbs -------------------------------------------
    // Only a control container sends these; they are reached by name.
    // Creation of the control's window as a child of parent (a QWidget held
    // as a QObject*): 0, or -1 when the framework cannot create it (no GUI
    // application on this thread, parent empty or not a widget).
    Q_INVOKABLE int OnCreate(const QVariant& parent);
    // A timer message goes to the default handling; the control sets no
    // timer of its own.
    Q_INVOKABLE void OnTimer(int nIDEvent);
    // The properties verb (com::OLEIVERB_PROPERTIES) shows the property
    // pages GetPropPageIDs names, each created by its class identifier, in
    // a modal frame owned by parent (a QWidget held as a QObject*, or
    // empty) and answers S_OK once the frame is closed, E_FAIL when it
    // could not be shown. Every other verb needs an in-place container:
    // E_NOTIMPL.
    Q_INVOKABLE int DoVerb(int iVerb, const QVariant& parent);

    // ---- control framework --------------------------------------------------
    // Every method may be called on a fresh object that no container loaded.
    bool IsInvokeAllowed(com::DISPID id) const;
    unsigned GetTypeInfoCount() const { return 1; }
    // The type library this module carries.
    static const com::TypeLibrary& GetTypeLibCache();
    // The registered type library STAVRENLib 1.0 for lcid.
    com::HRESULT GetTypeLib(std::uint32_t lcid, com::TypeLibrary& out) const;
    // The control's persistent data: its version (1.0); nothing else.
    std::uint32_t DoPropExchange() const;
    void OnResetState() {}
    // Design-time picture: the bounds filled white with an inscribed ellipse.
    void OnDraw(QPainter& painter, const QRect& bounds) const;
    QUuid GetClassID() const;
    QList<QUuid> GetPropPageIDs() const;
    QString GetUserTypeName() const;
    std::uint32_t GetMiscStatus() const;
};
