#pragma once
// The skin component "SkinKit.SkinFramework": a dispatch object that loads a
// Qt style sheet from a skin file and applies it to a window.
//
// DISPID 2  LoadSkinFile(path, section): reads the style sheet (section is
//           ignored); a missing or unreadable file leaves no style sheet.
// DISPID 3  AttachWindow(hwnd): the window (a handle from WindowHandleOf)
//           that receives the style sheet.
// DISPID 1  property ApplyMode: non-zero applies the style sheet to the
//           attached window, 0 removes it again. Starts at 0.
//
// The class lives in the program itself; RegisterSkinFramework makes it
// reachable through com::CreateObject("SkinKit.SkinFramework").

#include "platform/com/com.h"

#include <QPointer>
#include <QString>
#include <QUuid>
#include <QWidget>

inline constexpr char16_t kSkinFrameworkProgId[] = u"SkinKit.SkinFramework";
// {6A0E5D3C-2B7F-4C1E-9E55-3F8A1D2C7B40}
QUuid SkinFrameworkClsid();

// Registers the class in-process; does nothing while it is registered.
void RegisterSkinFramework();

class SkinFramework : public com::Object {
    Q_OBJECT
    Q_CLASSINFO("DISPID 1", "ApplyMode")
    Q_CLASSINFO("DISPID 2", "LoadSkinFile")
    Q_CLASSINFO("DISPID 3", "AttachWindow")
    Q_PROPERTY(int ApplyMode READ applyMode WRITE setApplyMode)
public:
    SkinFramework();

    Q_INVOKABLE bool LoadSkinFile(const QString& path, const QString& section);
    Q_INVOKABLE void AttachWindow(int hwnd);

    int applyMode() const { return applyMode_; }
    void setApplyMode(int mode);

    const QString& styleSheet() const { return styleSheet_; }

private:
    void Apply();

    QString styleSheet_;
    bool loaded_ = false;
    QPointer<QWidget> window_;
    int applyMode_ = 0;
};
