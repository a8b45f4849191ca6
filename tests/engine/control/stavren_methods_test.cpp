// The methods of the control, called late-bound by name with the variants
// the operation facade passes: paths as strings, page numbers as 16-bit
// integers.

#include "tests/engine/control/stavren_fixture.h"
#include "tests/engine/control/tiff_fixture.h"

#include <QDir>
#include <QFile>

namespace {

QStringList Entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray Bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST_F(StavrenTest, GetTIFFPagesChecksTheSuffixBeforeOpening)
{
    ASSERT_TRUE(WriteMarkedTiff(File("a.tif"), {1, 2, 3}));
    ASSERT_TRUE(QFile::copy(File("a.tif"), File("a.Tif")));
    EXPECT_EQ(Call("GetTIFFPages", {S(File("a.tif"))}).toInt(), 3);
    EXPECT_EQ(Call("GetTIFFPages", {S(File("a.Tif"))}).toInt(), 0);
    EXPECT_EQ(Call("GetTIFFPages", {S(File("b.TIFF"))}).toInt(), 0);
    EXPECT_EQ(Call("GetTIFFPages", {S("")}).toInt(), 0);
    // An embedded NUL must not cut the name down to another file's.
    EXPECT_EQ(Call("GetTIFFPages", {S(File("a.tif") + QChar(u'\0') + ".tif")}).toInt(), 0);
}

TEST_F(StavrenTest, MergeTIFFChecksNamesAndReportsTheEngineResult)
{
    ASSERT_TRUE(WriteMarkedTiff(File("one.tif"), {1, 2}));
    ASSERT_TRUE(WriteMarkedTiff(File("two.TIFF"), {3, 4, 5}));
    EXPECT_FALSE(Call("MergeTIFF", {S(File("one.tif")), S(File("two.TIFF")), S("")}).toBool());
    EXPECT_FALSE(Call("MergeTIFF", {S(File("one.tif")), S(File("two.bmp")), S(File("m.tif"))}).toBool());
    EXPECT_FALSE(Call("MergeTIFF", {S(""), S(File("two.TIFF")), S(File("m.tif"))}).toBool());
    EXPECT_EQ(Entries(Dir()), QStringList({"one.tif", "two.TIFF"}));

    // The output name needs no TIFF suffix.
    EXPECT_TRUE(Call("MergeTIFF", {S(File("one.tif")), S(File("two.TIFF")), S(File("x.pdf"))}).toBool());
    EXPECT_EQ(ReadMarkers(File("x.pdf")), QList<int>({1, 2, 3, 4, 5}));

    // An output that cannot be written is a failure, not a success.
    EXPECT_FALSE(Call("MergeTIFF", {S(File("one.tif")), S(File("two.TIFF")), S(File("no/such/dir/m.tif"))}).toBool());
    EXPECT_FALSE(
        Call("MergeTIFF", {S(File("one.tif")), S(File("two.TIFF")), S(File("y.tif") + QChar(u'\0') + "z")}).toBool());
    EXPECT_FALSE(QFile::exists(File("y.tif")));
}

TEST_F(StavrenTest, SplitTIFFTakesA16BitFirstPageOfTheSecondPart)
{
    ASSERT_TRUE(WriteMarkedTiff(File("s.tif"), {1, 2, 3, 4, 5}));
    EXPECT_TRUE(Call("SplitTIFF", {S(File("s.tif")), I2(3), S(File("p1.tif")), S(File("p2.tif"))}).toBool());
    EXPECT_EQ(ReadMarkers(File("p1.tif")), QList<int>({1, 2}));
    EXPECT_EQ(ReadMarkers(File("p2.tif")), QList<int>({3, 4, 5}));
    EXPECT_FALSE(Call("SplitTIFF", {S(File("s.TiF")), I2(3), S(File("q1.tif")), S(File("q2.tif"))}).toBool());
    EXPECT_FALSE(Call("SplitTIFF", {S(File("s.tif")), I2(-1), S(File("q1.tif")), S(File("q2.tif"))}).toBool());
    EXPECT_FALSE(QFile::exists(File("q1.tif")));
    EXPECT_EQ(ReadMarkers(File("s.tif")), QList<int>({1, 2, 3, 4, 5}));
}

TEST_F(StavrenTest, AddTIFFPagesNeedsTiffNamesOnBothSides)
{
    ASSERT_TRUE(WriteMarkedTiff(File("base.tif"), {1, 2, 3}));
    ASSERT_TRUE(WriteMarkedTiff(File("pages.bmp"), {9}));
    ASSERT_TRUE(WriteMarkedTiff(File("more.tif"), {7, 8}));
    const QByteArray before = Bytes(File("base.tif"));
    EXPECT_FALSE(Call("AddTIFFPages", {S(File("base.tif")), I2(2), S(File("pages.bmp"))}).toBool());
    EXPECT_EQ(Bytes(File("base.tif")), before);

    // The facade passes a 16-bit page number to the 32-bit parameter.
    EXPECT_TRUE(Call("AddTIFFPages", {S(File("base.tif")), I2(2), S(File("more.tif"))}).toBool());
    EXPECT_EQ(ReadMarkers(File("base.tif")), QList<int>({1, 7, 8, 2, 3}));
}

TEST_F(StavrenTest, DeleteAndSwapPages)
{
    ASSERT_TRUE(WriteMarkedTiff(File("d.tif"), {1, 2, 3, 4}));
    EXPECT_TRUE(Call("DeleteTIFFPages", {S(File("d.tif")), I2(2)}).toBool());
    EXPECT_EQ(ReadMarkers(File("d.tif")), QList<int>({1, 3, 4}));
    EXPECT_FALSE(Call("DeleteTIFFPages", {S(File("d.tif")), I2(9)}).toBool());
    EXPECT_FALSE(Call("DeleteTIFFPages", {S(File("d.TIf")), I2(1)}).toBool());
    EXPECT_EQ(ReadMarkers(File("d.tif")), QList<int>({1, 3, 4}));

    EXPECT_TRUE(Call("SwapTIFFPages", {S(File("d.tif")), QVariant(1), QVariant(3)}).toBool());
    EXPECT_EQ(ReadMarkers(File("d.tif")), QList<int>({4, 3, 1}));
    EXPECT_FALSE(Call("SwapTIFFPages", {S(""), QVariant(1), QVariant(3)}).toBool());
}

TEST_F(StavrenTest, ExtractAllTIFFpages)
{
    ASSERT_TRUE(WriteMarkedTiff(File("e.tif"), {5, 6, 7}));
    ASSERT_TRUE(QDir(Dir()).mkdir("out"));
    EXPECT_FALSE(Call("ExtractAllTIFFpages", {S(File("c.tif")), S(File("out"))}).toBool());
    EXPECT_TRUE(Entries(File("out")).isEmpty());
    EXPECT_TRUE(Call("ExtractAllTIFFpages", {S(File("e.tif")), S(File("out"))}).toBool());
    EXPECT_EQ(Entries(File("out")), QStringList({"page0.tif", "page1.tif", "page2.tif"}));
    EXPECT_EQ(ReadMarkers(File("out/page2.tif")), QList<int>({7}));
    // A folder that does not exist: no page can be written.
    EXPECT_FALSE(Call("ExtractAllTIFFpages", {S(File("e.tif")), S(File("missing"))}).toBool());
}

TEST_F(StavrenTest, ExtractPagesUsesZeroBasedIndices)
{
    ASSERT_TRUE(WriteMarkedTiff(File("r.tif"), {1, 2, 3, 4, 5}));
    ASSERT_TRUE(QDir(Dir()).mkdir("out"));
    EXPECT_TRUE(Call("ExtractPages", {S(File("r.tif")), I2(7), I2(9), S(File("out"))}).toBool());
    EXPECT_TRUE(Entries(File("out")).isEmpty());
    EXPECT_TRUE(Call("ExtractPages", {S(File("r.tif")), I2(1), I2(2), S(File("out"))}).toBool());
    EXPECT_EQ(Entries(File("out")), QStringList({"page1.tif", "page2.tif"}));
    EXPECT_EQ(ReadMarkers(File("out/page1.tif")), QList<int>({2}));
    EXPECT_FALSE(Call("ExtractPages", {S(File("r.bmp")), I2(0), I2(1), S(File("out"))}).toBool());
    EXPECT_FALSE(Call("ExtractPages", {S(File("nothere.tif")), I2(0), I2(1), S(File("out"))}).toBool());
}

TEST_F(StavrenTest, PathsCrossAsUtf8)
{
    ASSERT_TRUE(QDir(Dir()).mkdir(QStringLiteral("Übersicht été")));
    const QString in = File(QStringLiteral("Übersicht été/straße.tif"));
    ASSERT_TRUE(WriteMarkedTiff(in, {1, 2}));
    EXPECT_EQ(Call("GetTIFFPages", {S(in)}).toInt(), 2);
    EXPECT_TRUE(Call("ExtractAllTIFFpages", {S(in), S(File(QStringLiteral("Übersicht été")))}).toBool());
    EXPECT_TRUE(QFile::exists(File(QStringLiteral("Übersicht été/page1.tif"))));
}

TEST_F(StavrenTest, LateBindingErrorsAndConversions)
{
    ASSERT_TRUE(WriteMarkedTiff(File("c.tif"), {1, 2, 3}));
    EXPECT_EQ(ErrorOf([&] { Call("CountPages", {S(File("c.tif"))}); }), 438);
    EXPECT_EQ(ErrorOf([&] { Call("GetTIFFPages", {}); }), 438);
    EXPECT_EQ(ErrorOf([&] { Call("DeleteTIFFPages", {S(File("c.tif")), S("abc")}); }), 13);
    EXPECT_EQ(ErrorOf([&] { Call("SplitTIFF", {S(File("c.tif")), QVariant(70000), S("a"), S("b")}); }), 6);
    EXPECT_EQ(ReadMarkers(File("c.tif")), QList<int>({1, 2, 3}));
    // Names compare without regard to case; numeric text converts.
    EXPECT_EQ(Call("gettiffpages", {S(File("c.tif"))}).toInt(), 3);
    EXPECT_TRUE(Call("DeleteTIFFPages", {S(File("c.tif")), S("3")}).toBool());
    EXPECT_EQ(ReadMarkers(File("c.tif")), QList<int>({1, 2}));
}

TEST_F(StavrenTest, DispatchIdsReachTheMethods)
{
    ASSERT_TRUE(WriteMarkedTiff(File("c.tif"), {1, 2, 3}));
    auto ctrl = com::CreateObject(kCtrlProgId);
    EXPECT_EQ(com::InvokeById(ctrl.get(), 6, {S(File("c.tif"))}).toInt(), 3);
    EXPECT_EQ(ErrorOf([&] { com::InvokeById(ctrl.get(), 8, {}); }), 438);
    // Without a GUI application the About box returns at once, the window
    // cannot be created and the properties verb shows nothing.
    EXPECT_EQ(ErrorOf([&] { com::InvokeById(ctrl.get(), com::DISPID_ABOUTBOX, {}); }), 0);
    EXPECT_EQ(com::Invoke(ctrl, "OnCreate", {QVariant()}).toInt(), -1);
    EXPECT_EQ(com::Invoke(ctrl, "DoVerb", {com::OLEIVERB_PROPERTIES, QVariant()}).toInt(), com::E_FAIL);
    EXPECT_EQ(ErrorOf([&] { com::Invoke(ctrl, "OnTimer", {1}); }), 0);
}
