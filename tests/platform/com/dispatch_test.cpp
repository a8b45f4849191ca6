// Late binding: calls by name and DISPID, property puts and the argument
// coercion a late-bound caller relies on.

#include "platform/com/com.h"
#include "tests/support/run_time_error_of.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

class Probe : public com::Object {
    Q_OBJECT
    Q_CLASSINFO("DISPID 1", "TakeShort")
    Q_CLASSINFO("DISPID 2", "Join")
    Q_CLASSINFO("DISPID 3", "Raw")
    Q_CLASSINFO("DISPID 20", "Level")
    Q_CLASSINFO("DISPID -552", "AboutBox")
    Q_PROPERTY(int Level READ Level WRITE SetLevel)

public:
    Q_INVOKABLE int TakeShort(short v) { return v; }
    Q_INVOKABLE QString Join(const QString& a, int b, bool c)
    {
        return a + u'|' + QString::number(b) + u'|' + (c ? u'T' : u'F');
    }
    Q_INVOKABLE QVariant Raw(const QVariant& v) { return v; }
    Q_INVOKABLE void AboutBox() { ++aboutCalls; }
    Q_INVOKABLE int Wide(int v) { return v; }

    int Level() const { return level_; }
    void SetLevel(int v) { level_ = v; }

    int aboutCalls = 0;

private:
    int level_ = 0;
};

com::Ptr<com::Object> NewProbe()
{
    return com::Ptr<com::Object>::Attach(new Probe);
}

} // namespace

TEST(Coercion, IntegersWidenWithSignAndOverflowPastTheirRange)
{
    const QMetaType i2(QMetaType::Short), i4(QMetaType::Int);
    EXPECT_EQ(com::CoerceArgument(QVariant::fromValue<short>(-5), i4).toInt(), -5);
    EXPECT_EQ(com::CoerceArgument(QVariant::fromValue<short>(-32768), i4).toInt(), -32768);
    EXPECT_EQ(com::CoerceArgument(QVariant(32767), i2).metaType().id(), QMetaType::Short);
    EXPECT_EQ(ErrorOf([&] { com::CoerceArgument(QVariant(32768), i2); }), 6);
    EXPECT_EQ(ErrorOf([&] { com::CoerceArgument(QVariant(-32769), i2); }), 6);
    EXPECT_EQ(ErrorOf([&] { com::CoerceArgument(QVariant(qint64(1) << 40), i4); }), 6);
    EXPECT_EQ(ErrorOf([&] { com::CoerceArgument(QVariant(quint64(3000000000u)), i4); }), 6);
    EXPECT_EQ(com::CoerceArgument(QVariant(true), i2).toInt(), -1);
    EXPECT_EQ(com::CoerceArgument(QVariant(), i2).toInt(), 0);
}

TEST(Coercion, SixtyFourBitTargetsOverflowJustPastTheirRange)
{
    const QMetaType i8(QMetaType::LongLong), u8(QMetaType::ULongLong);
    // 2^63 and 2^64 are the first doubles past these ranges.
    EXPECT_EQ(ErrorOf([&] { com::CoerceArgument(QVariant(9223372036854775808.0), i8); }), 6);
    EXPECT_EQ(ErrorOf([&] { com::CoerceArgument(QVariant(18446744073709551616.0), u8); }), 6);
    EXPECT_EQ(ErrorOf([&] { com::CoerceArgument(QVariant(quint64(1) << 63), i8); }), 6);
    EXPECT_EQ(com::CoerceArgument(QVariant(-9223372036854775808.0), i8).toLongLong(),
              std::numeric_limits<qint64>::min());
    EXPECT_EQ(com::CoerceArgument(QVariant(quint64(1) << 63), u8).toULongLong(), quint64(1) << 63);
    EXPECT_EQ(com::CoerceArgument(QVariant(2147483647.0), QMetaType(QMetaType::Int)).toInt(), 2147483647);
    EXPECT_EQ(ErrorOf([&] { com::CoerceArgument(QVariant(2147483648.0), QMetaType(QMetaType::Int)); }), 6);
}

TEST(Coercion, FractionsRoundHalfToEven)
{
    const QMetaType i4(QMetaType::Int);
    EXPECT_EQ(com::CoerceArgument(QVariant(2.5), i4).toInt(), 2);
    EXPECT_EQ(com::CoerceArgument(QVariant(3.5), i4).toInt(), 4);
    EXPECT_EQ(com::CoerceArgument(QVariant(-2.5), i4).toInt(), -2);
    EXPECT_EQ(ErrorOf([&] { com::CoerceArgument(QVariant(32767.5), QMetaType(QMetaType::Short)); }), 6);
    EXPECT_EQ(ErrorOf([&] { com::CoerceArgument(QVariant(qQNaN()), i4); }), 6);
}

TEST(Coercion, NumericTextConvertsOtherTextIsATypeMismatch)
{
    const QMetaType i2(QMetaType::Short), b(QMetaType::Bool), s(QMetaType::QString);
    EXPECT_EQ(com::CoerceArgument(QVariant("12"), i2).toInt(), 12);
    EXPECT_EQ(com::CoerceArgument(QVariant(" -7 "), i2).toInt(), -7);
    EXPECT_EQ(com::CoerceArgument(QVariant("&H10"), i2).toInt(), 16);
    EXPECT_EQ(ErrorOf([&] { com::CoerceArgument(QVariant("abc"), i2); }), 13);
    EXPECT_EQ(ErrorOf([&] { com::CoerceArgument(QVariant(""), i2); }), 13);
    EXPECT_EQ(ErrorOf([&] { com::CoerceArgument(QVariant("99999"), i2); }), 6);
    EXPECT_TRUE(com::CoerceArgument(QVariant("true"), b).toBool());
    EXPECT_FALSE(com::CoerceArgument(QVariant("0"), b).toBool());
    EXPECT_EQ(ErrorOf([&] { com::CoerceArgument(QVariant("maybe"), b); }), 13);
    EXPECT_EQ(com::CoerceArgument(QVariant::fromValue<short>(-3), s).toString(), "-3");
    EXPECT_EQ(com::CoerceArgument(QVariant(true), s).toString(), "True");
    EXPECT_EQ(ErrorOf([&] { com::CoerceArgument(QVariant(QStringList{"a"}), s); }), 13);
}

TEST(LateBinding, CallsByNameIgnoringCaseAndConvertsArguments)
{
    auto obj = NewProbe();
    EXPECT_EQ(com::Invoke(obj, "takeshort", {QVariant::fromValue<short>(-12)}).toInt(), -12);
    EXPECT_EQ(com::Invoke(obj, "JOIN", {QVariant("a"), QVariant::fromValue<short>(-1), QVariant(1)}).toString(),
              "a|-1|T");
    EXPECT_EQ(com::Invoke(obj, "Join", {QVariant(5), QVariant("42"), QVariant(false)}).toString(), "5|42|F");
    // A variant parameter receives the argument untouched.
    EXPECT_EQ(com::Invoke(obj, "Raw", {QVariant("x")}), QVariant("x"));
    EXPECT_FALSE(com::Invoke(obj, "AboutBox").isValid());
    EXPECT_EQ(com::Invoke(obj, "Level").toInt(), 0);
}

TEST(LateBinding, ReportsTheErrorsACallerSees)
{
    auto obj = NewProbe();
    EXPECT_EQ(ErrorOf([&] { com::Invoke(obj, "NoSuchThing"); }), 438);
    EXPECT_EQ(ErrorOf([&] { com::Invoke(obj, "TakeShort"); }), 438);
    EXPECT_EQ(ErrorOf([&] { com::Invoke(obj, "TakeShort", {1, 2}); }), 438);
    EXPECT_EQ(ErrorOf([&] { com::Invoke(obj, "TakeShort", {QVariant("abc")}); }), 13);
    EXPECT_EQ(ErrorOf([&] { com::Invoke(obj, "TakeShort", {QVariant(40000)}); }), 6);
    EXPECT_EQ(ErrorOf([&] { com::Invoke(obj, "Wide", {QVariant(4e9)}); }), 6);
    // QObject's own members are not part of the interface.
    EXPECT_EQ(ErrorOf([&] { com::Invoke(obj, "deleteLater"); }), 438);
    EXPECT_EQ(ErrorOf([&] { com::Invoke(static_cast<com::Object*>(nullptr), "TakeShort", {1}); }), 91);
}

TEST(LateBinding, CallsAndPutsByDispid)
{
    auto obj = NewProbe();
    auto* probe = static_cast<Probe*>(obj.get());
    EXPECT_EQ(com::InvokeById(obj.get(), 1, {QVariant::fromValue<short>(7)}).toInt(), 7);
    com::InvokeById(obj.get(), com::DISPID_ABOUTBOX);
    EXPECT_EQ(probe->aboutCalls, 1);
    EXPECT_EQ(ErrorOf([&] { com::InvokeById(obj.get(), 8); }), 438);

    com::PutPropertyById(obj.get(), 20, QVariant("15"));
    EXPECT_EQ(probe->Level(), 15);
    EXPECT_EQ(com::InvokeById(obj.get(), 20).toInt(), 15);
    EXPECT_EQ(ErrorOf([&] { com::PutPropertyById(obj.get(), 20, QVariant("x")); }), 13);
    EXPECT_EQ(ErrorOf([&] { com::PutPropertyById(obj.get(), 1, QVariant(1)); }), 438);
}

#include "dispatch_test.moc"
