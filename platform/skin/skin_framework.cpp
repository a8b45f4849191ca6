#include "platform/skin/skin_framework.h"

#include "platform/skin/window_handle.h"

#include <QFile>

#include <new>

namespace {

// Files larger than this are not style sheets.
constexpr qint64 kMaxSkinFileSize = 4 * 1024 * 1024;

class SkinFrameworkFactory final : public com::ClassFactory {
public:
    com::HRESULT CreateInstance(com::Object** out) override
    {
        if (!out)
            return com::E_POINTER;
        *out = new (std::nothrow) SkinFramework();
        return *out ? com::S_OK : com::E_OUTOFMEMORY;
    }
    com::HRESULT LockServer(bool) override { return com::S_OK; }
};

SkinFrameworkFactory g_factory;

} // namespace

QUuid SkinFrameworkClsid()
{
    static const QUuid id(QStringLiteral("{6A0E5D3C-2B7F-4C1E-9E55-3F8A1D2C7B40}"));
    return id;
}

void RegisterSkinFramework()
{
    // A second registration of the same class is refused by the runtime.
    com::RegisterClassObject(SkinFrameworkClsid(), QString::fromUtf16(kSkinFrameworkProgId), &g_factory);
}

SkinFramework::SkinFramework() = default;

bool SkinFramework::LoadSkinFile(const QString& path, const QString& section)
{
    Q_UNUSED(section);
    styleSheet_.clear();
    loaded_ = false;
    QFile file(path);
    if (file.size() > kMaxSkinFileSize || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.read(kMaxSkinFileSize);
    if (file.error() != QFileDevice::NoError)
        return false;
    styleSheet_ = QString::fromUtf8(bytes);
    loaded_ = true;
    Apply();
    return true;
}

void SkinFramework::AttachWindow(int hwnd)
{
    window_ = WidgetFromWindowHandle(hwnd);
    Apply();
}

void SkinFramework::setApplyMode(int mode)
{
    const bool wasApplied = applyMode_ != 0;
    applyMode_ = mode;
    if (mode != 0)
        Apply();
    else if (wasApplied && window_)
        window_->setStyleSheet(QString());
}

void SkinFramework::Apply()
{
    if (applyMode_ != 0 && loaded_ && window_)
        window_->setStyleSheet(styleSheet_);
}
