#include "platform/com/com.h"

#include <utility>

namespace com {

namespace {
thread_local int lastError = 0;
thread_local QString errorInfo;
} // namespace

void SetLastError(int error) noexcept
{
    lastError = error;
}

int GetLastError() noexcept
{
    return lastError;
}

void SetErrorInfo(const QString& description)
{
    errorInfo = description;
}

QString GetErrorInfo()
{
    return std::exchange(errorInfo, QString());
}

const QUuid IID_IUnknown{0x00000000, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
const QUuid IID_IDispatch{0x00020400, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
const QUuid IID_IClassFactory{0x00000001, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

Object::Object(QObject* parent) : QObject(parent)
{
}

Object::~Object() = default;

unsigned long Object::AddRef()
{
    return ++refs_;
}

unsigned long Object::Release()
{
    const unsigned long left = --refs_;
    if (left == 0)
        delete this;
    return left;
}

void* Object::QueryInterface(const QUuid& iid)
{
    if (iid == IID_IUnknown || iid == IID_IDispatch)
        return this;
    return nullptr;
}

} // namespace com
