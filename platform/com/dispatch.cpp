// Late binding: calls by name and by DISPID through the meta-object system.

#include "platform/com/com.h"

#include <QMetaMethod>
#include <QMetaProperty>

#include <vector>

namespace com {

namespace {

[[noreturn]] void Raise(long number)
{
    throw RunTimeError(number);
}

// Members declared below com::Object; QObject's own slots and signals are
// not part of any dispatch interface.
int FirstDispatchMethod()
{
    return Object::staticMetaObject.methodCount();
}

int FirstDispatchProperty()
{
    return Object::staticMetaObject.propertyCount();
}

bool IsCallable(const QMetaMethod& m)
{
    return m.access() == QMetaMethod::Public
           && (m.methodType() == QMetaMethod::Method || m.methodType() == QMetaMethod::Slot);
}

QVariant Call(Object* obj, const QMetaMethod& m, const QVariantList& args)
{
    const int n = m.parameterCount();
    std::vector<QVariant> values;
    values.reserve(n);
    for (int i = 0; i < n; ++i)
        values.push_back(CoerceArgument(args[i], m.parameterMetaType(i)));

    std::vector<void*> argv(static_cast<size_t>(n) + 1, nullptr);
    for (int i = 0; i < n; ++i) {
        QVariant& v = values[static_cast<size_t>(i)];
        argv[static_cast<size_t>(i) + 1] =
            m.parameterMetaType(i).id() == QMetaType::QVariant ? static_cast<void*>(&v) : v.data();
    }

    const QMetaType rt = m.returnMetaType();
    QVariant result;
    if (rt.id() == QMetaType::QVariant)
        argv[0] = &result;
    else if (rt.isValid() && rt.id() != QMetaType::Void) {
        result = QVariant(rt, nullptr);
        argv[0] = result.data();
    }
    QMetaObject::metacall(obj, QMetaObject::InvokeMetaMethod, m.methodIndex(), argv.data());
    return result;
}

int FindProperty(const QMetaObject* mo, const QString& name)
{
    for (int i = FirstDispatchProperty(); i < mo->propertyCount(); ++i) {
        if (QString::fromLatin1(mo->property(i).name()).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

// Calls the member `name`: a method with as many parameters as arguments,
// or a property read when there are no arguments.
QVariant CallMember(Object* obj, const QString& name, const QVariantList& args)
{
    if (!obj)
        Raise(rterr::ObjectNotSet);
    const QMetaObject* mo = obj->metaObject();
    for (int i = FirstDispatchMethod(); i < mo->methodCount(); ++i) {
        const QMetaMethod m = mo->method(i);
        if (IsCallable(m) && m.parameterCount() == args.size()
            && QString::fromLatin1(m.name()).compare(name, Qt::CaseInsensitive) == 0)
            return Call(obj, m, args);
    }
    if (args.isEmpty()) {
        const int p = FindProperty(mo, name);
        if (p >= 0 && mo->property(p).isReadable())
            return mo->property(p).read(obj);
    }
    Raise(rterr::ObjectDoesntSupport);
}

// The member name a DISPID stands for: class info "DISPID <n>" = "<name>".
QString MemberOfDispid(const QMetaObject* mo, DISPID id)
{
    const QByteArray key = "DISPID " + QByteArray::number(id);
    for (int i = mo->classInfoCount() - 1; i >= 0; --i) {
        const QMetaClassInfo ci = mo->classInfo(i);
        if (key == ci.name())
            return QString::fromLatin1(ci.value());
    }
    return {};
}

} // namespace

QVariant Invoke(Object* obj, const QString& name, const QVariantList& args)
{
    return CallMember(obj, name, args);
}

QVariant InvokeById(Object* obj, DISPID id, const QVariantList& args)
{
    if (!obj)
        Raise(rterr::ObjectNotSet);
    const QString name = MemberOfDispid(obj->metaObject(), id);
    if (name.isEmpty())
        Raise(rterr::ObjectDoesntSupport);
    return CallMember(obj, name, args);
}

void PutPropertyById(Object* obj, DISPID id, const QVariant& value)
{
    if (!obj)
        Raise(rterr::ObjectNotSet);
    const QMetaObject* mo = obj->metaObject();
    const QString name = MemberOfDispid(mo, id);
    const int p = name.isEmpty() ? -1 : FindProperty(mo, name);
    if (p < 0 || !mo->property(p).isWritable())
        Raise(rterr::ObjectDoesntSupport);
    const QMetaProperty prop = mo->property(p);
    const QVariant v = CoerceArgument(value, prop.metaType());
    if (!prop.write(obj, v))
        Raise(rterr::TypeMismatch);
}

} // namespace com
