// The typed name/value store and its file format.

#include "operations/property_bag.h"
#include "tests/support/run_time_error_of.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(PropertyBag, RoundTripsEveryTypeAndAwkwardText)
{
    const QString awkward = QString::fromUtf8("a=b \\n\n\r\t end\x01 \xC3\xA9\xE2\x82\xAC ") + QChar(0) + "z ";
    PropertyBag bag;
    bag.WriteString("Text", awkward);
    bag.WriteString("Empty", "");
    bag.WriteByte("B", 255);
    bag.WriteInteger("I", -32768);
    bag.WriteLong("L", 2147483647);
    bag.WriteLong("N", -2147483647 - 1);

    const PropertyBag back = PropertyBag::FromContents(bag.Contents());
    EXPECT_EQ(back.ReadString("Text"), awkward);
    EXPECT_EQ(back.ReadString("Empty"), "");
    EXPECT_TRUE(back.Contains("Empty"));
    EXPECT_EQ(back.ReadByte("B"), 255);
    EXPECT_EQ(back.ReadInteger("I"), -32768);
    EXPECT_EQ(back.ReadLong("L"), 2147483647);
    EXPECT_EQ(back.ReadLong("N"), -2147483647 - 1);
    EXPECT_EQ(back.Names(), (QStringList{"Text", "Empty", "B", "I", "L", "N"}));

    PropertyBag::Type type;
    ASSERT_TRUE(back.TypeOf("I", type));
    EXPECT_EQ(type, PropertyBag::Type::Integer);
    EXPECT_EQ(back.ReadProperty("B").typeId(), QMetaType::UChar);
}

TEST(PropertyBag, WritesTheDocumentedLayout)
{
    PropertyBag bag;
    bag.WriteString("ID", "test");
    bag.WriteByte("Flag", 1);
    bag.WriteInteger("Count", -2);
    bag.WriteLong("Width", 70000);
    bag.WriteString("Two", "a\nb\\");
    EXPECT_EQ(bag.Contents(), QByteArray("VelmoraPropertyBag 1\n"
                                         "string ID=test\n"
                                         "byte Flag=1\n"
                                         "integer Count=-2\n"
                                         "long Width=70000\n"
                                         "string Two=a\\nb\\\\\n"
                                         "end\n"));
}

TEST(PropertyBag, NamesIgnoreCaseAndMissingNamesReadEmpty)
{
    PropertyBag bag;
    bag.WriteString("StartupFolder", "/a");
    bag.WriteByte("Flag", 1);
    bag.WriteString("startupfolder", "/b"); // replaces, keeps the place
    EXPECT_EQ(bag.Names(), (QStringList{"StartupFolder", "Flag"}));
    EXPECT_EQ(bag.ReadString("STARTUPFOLDER"), "/b");
    EXPECT_EQ(bag.ReadString("Nope"), "");
    EXPECT_EQ(bag.ReadByte("Nope"), 0);
    EXPECT_EQ(bag.ReadLong("Nope"), 0);
}

TEST(PropertyBag, ReadingConvertsLikeATypedAssignment)
{
    PropertyBag bag;
    bag.WriteLong("Big", 300);
    bag.WriteString("Digits", " 42 ");
    bag.WriteString("Words", "1800,250");
    bag.WriteInteger("Negative", -1);
    EXPECT_EQ(ErrorOf([&] { bag.ReadByte("Big"); }), rterr::Overflow);
    EXPECT_EQ(bag.ReadInteger("Big"), 300);
    EXPECT_EQ(bag.ReadString("Big"), "300");
    EXPECT_EQ(bag.ReadByte("Digits"), 42);
    EXPECT_EQ(ErrorOf([&] { bag.ReadLong("Words"); }), rterr::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { bag.ReadByte("Negative"); }), rterr::Overflow);
    // Values without a whole-number value are not numbers, in any case.
    for (const char* text : {"nan", "NaN", "-nan", "inf", "-Inf", "infinity"}) {
        bag.WriteString("Odd", text);
        EXPECT_EQ(ErrorOf([&] { bag.ReadLong("Odd"); }), rterr::TypeMismatch) << text;
        EXPECT_EQ(ErrorOf([&] { bag.ReadByte("Odd"); }), rterr::TypeMismatch) << text;
    }
}

TEST(PropertyBag, RejectsNamesTheFormatCannotCarry)
{
    PropertyBag bag;
    for (const char* name : {"", "a=b", "a b", "a\nb"})
        EXPECT_EQ(ErrorOf([&] { bag.WriteString(name, "x"); }), rterr::InvalidProcedureCall) << name;
    EXPECT_EQ(bag.Count(), 0);
}

TEST(PropertyBag, DamagedRecordsAreRejectedWhole)
{
    const QByteArray good("VelmoraPropertyBag 1\nstring A=x\nbyte B=1\nend\n");
    const QByteArray damaged[] = {
        QByteArray(),
        "VelmoraPropertyBag 1\nstring A=x\n",      // truncated: no end line
        "VelmoraPropertyBag 1\nstring A=x\nend",   // end line not finished
        "VelmoraPropertyBag 2\nend\n",             // unknown version
        "string A=x\nend\n",                       // no header
        "VelmoraPropertyBag 1\nbyte B=256\nend\n", // out of range
        "VelmoraPropertyBag 1\ninteger I=40000\nend\n",
        "VelmoraPropertyBag 1\nlong L=1e3\nend\n",
        "VelmoraPropertyBag 1\nlong L=\nend\n",
        "VelmoraPropertyBag 1\nfloat F=1\nend\n",       // unknown type
        "VelmoraPropertyBag 1\nstring A\nend\n",        // no value
        "VelmoraPropertyBag 1\nstring A=bad\\q\nend\n", // unknown escape
        "VelmoraPropertyBag 1\nstring A=cut\\x4\nend\n",
        "VelmoraPropertyBag 1\nstring A=\xff\xfe\nend\n", // not UTF-8
    };
    for (const QByteArray& bytes : damaged) {
        PropertyBag bag = PropertyBag::FromContents(good);
        EXPECT_EQ(ErrorOf([&] { bag.SetContents(bytes); }), PropertyBag::InvalidFormatError) << bytes.constData();
        EXPECT_EQ(bag.ReadString("A"), "x"); // unchanged
    }
}

TEST(PropertyBag, IgnoresWhatFollowsTheEndAndAcceptsCarriageReturns)
{
    const QByteArray bytes("VelmoraPropertyBag 1\r\nstring A=x\r\n\r\nbyte B=7\r\nend\r\n"
                           "string A=left over from a longer record\n");
    const PropertyBag bag = PropertyBag::FromContents(bytes);
    EXPECT_EQ(bag.ReadString("A"), "x");
    EXPECT_EQ(bag.ReadByte("B"), 7);
    EXPECT_EQ(bag.Count(), 2);
}

TEST(PropertyBag, FilesAreReplacedWholeAndFailuresLeaveTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("settings.ini");
    EXPECT_EQ(ErrorOf([&] { PropertyBag::LoadFromFile(path); }), rterr::FileNotFound);

    PropertyBag first;
    first.WriteString("Long", QString(5000, 'x'));
    first.SaveToFile(path);
    PropertyBag second;
    second.WriteByte("Short", 1);
    second.SaveToFile(path);
    EXPECT_EQ(QFileInfo(path).size(), second.Contents().size());
    const PropertyBag back = PropertyBag::LoadFromFile(path);
    EXPECT_FALSE(back.Contains("Long"));
    EXPECT_EQ(back.ReadByte("Short"), 1);

    // A folder where the file should be: nothing is written, an error is raised.
    const QString blocked = dir.filePath("blocked");
    ASSERT_TRUE(QDir().mkpath(blocked));
    EXPECT_EQ(ErrorOf([&] { second.SaveToFile(blocked); }), 75);
    EXPECT_TRUE(QFileInfo(blocked).isDir());
    EXPECT_EQ(ErrorOf([&] { PropertyBag::LoadFromFile(blocked); }), 75);
    EXPECT_EQ(ErrorOf([&] { second.SaveToFile(dir.filePath("no/such/folder/x.ini")); }), 75);

    QFile corrupt(dir.filePath("corrupt.ini"));
    ASSERT_TRUE(corrupt.open(QIODevice::WriteOnly));
    corrupt.write("garbage");
    corrupt.close();
    EXPECT_EQ(ErrorOf([&] { PropertyBag::LoadFromFile(corrupt.fileName()); }), PropertyBag::InvalidFormatError);
}
