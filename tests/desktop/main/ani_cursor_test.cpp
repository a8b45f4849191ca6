#include "desktop/main/ani_cursor.h"

#include "platform/runtime/run_time_error.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QWidget>

#include <cstring>

static QByteArray BusyCursorBytes()
{
    Q_INIT_RESOURCE(desktop_main);
    QFile f(QString::fromLatin1(cAniCursor::kResourcePath));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

namespace {

void PutU32(QByteArray& b, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}

void PutU16(QByteArray& b, quint16 v)
{
    b.append(char(v & 0xFF));
    b.append(char(v >> 8));
}

QByteArray Chunk(const char* tag, const QByteArray& data, qint64 claimedSize = -1)
{
    QByteArray c(tag, 4);
    PutU32(c, claimedSize < 0 ? quint32(data.size()) : quint32(claimedSize));
    c += data;
    if (data.size() % 2)
        c.append('\0');
    return c;
}

QByteArray Header(quint32 frames, quint32 steps, quint32 rate = 6, quint32 flags = 1)
{
    QByteArray h;
    for (quint32 v : {36u, frames, steps, 0u, 0u, 0u, 0u, rate, flags})
        PutU32(h, v);
    return h;
}

// A one-image cursor resource: 32-bit bitmap of the given declared size.
QByteArray CursorImage(int width, int height, bool honestSize = true)
{
    const int w = honestSize ? width : 8;
    const int h = honestSize ? height : 8;
    QByteArray bmp;
    for (quint32 v : {40u, quint32(width), quint32(height * 2)})
        PutU32(bmp, v);
    PutU16(bmp, 1);
    PutU16(bmp, 32);
    for (int i = 0; i < 6; ++i)
        PutU32(bmp, 0);
    for (int i = 0; i < w * h; ++i)
        PutU32(bmp, 0xFF336699u);
    bmp += QByteArray(((w + 31) / 32) * 4 * h, '\0');
    QByteArray ico;
    PutU16(ico, 0);
    PutU16(ico, 2);
    PutU16(ico, 1);
    ico.append(char(width & 0xFF));
    ico.append(char(height & 0xFF));
    ico.append('\0');
    ico.append('\0');
    PutU16(ico, 3);
    PutU16(ico, 4);
    PutU32(ico, quint32(bmp.size()));
    PutU32(ico, 22);
    return ico + bmp;
}

QByteArray Riff(const QByteArray& body, qint64 claimedSize = -1)
{
    QByteArray r("RIFF");
    PutU32(r, claimedSize < 0 ? quint32(body.size() + 4) : quint32(claimedSize));
    return r + "ACON" + body;
}

QByteArray Frames(const QList<QByteArray>& images)
{
    QByteArray list("fram");
    for (const QByteArray& i : images)
        list += Chunk("icon", i);
    return Chunk("LIST", list);
}

bool Parses(const QByteArray& bytes)
{
    AniCursorFile file;
    QString error;
    const bool ok = ani_cursor_file::Parse(bytes, &file, &error);
    if (!ok) {
        EXPECT_FALSE(error.isEmpty());
        EXPECT_TRUE(file.frames.isEmpty());
    }
    return ok;
}

TEST(AniCursorFile, OurBusyCursorHasFifteenFramesOfThirtyTwoPixels)
{
    const QByteArray bytes = BusyCursorBytes();
    ASSERT_FALSE(bytes.isEmpty());
    AniCursorFile file;
    ASSERT_TRUE(ani_cursor_file::Parse(bytes, &file));
    ASSERT_EQ(file.frames.size(), 15);
    EXPECT_EQ(file.StepCount(), 15);
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(file.frames[i].size(), QSize(32, 32));
        EXPECT_EQ(file.sequence[i], i);
        EXPECT_EQ(file.rates[i], 6);
        EXPECT_EQ(file.hotSpots[i], QPoint(16, 16));
    }
    // The frames really differ (the animation moves) and are not empty.
    EXPECT_NE(file.frames[0], file.frames[1]);
    EXPECT_NE(file.frames[0], file.frames[14]);
    bool opaque = false;
    for (int y = 0; y < 32 && !opaque; ++y)
        for (int x = 0; x < 32 && !opaque; ++x)
            opaque = qAlpha(file.frames[0].pixel(x, y)) == 255;
    EXPECT_TRUE(opaque);
}

TEST(AniCursorFile, SequenceAndRatesAreHonouredWhenPresent)
{
    QByteArray seq, rate;
    for (quint32 v : {1u, 0u, 1u})
        PutU32(seq, v);
    for (quint32 v : {3u, 4u, 5u})
        PutU32(rate, v);
    const QByteArray bytes = Riff(Chunk("anih", Header(2, 3, 9, 3)) + Chunk("seq ", seq) + Chunk("rate", rate)
                                  + Frames({CursorImage(16, 16), CursorImage(8, 8)}));
    AniCursorFile file;
    ASSERT_TRUE(ani_cursor_file::Parse(bytes, &file));
    EXPECT_EQ(file.sequence, QList<int>({1, 0, 1}));
    EXPECT_EQ(file.rates, QList<int>({3, 4, 5}));
    EXPECT_EQ(file.frames[1].size(), QSize(8, 8));
    EXPECT_EQ(file.hotSpots[0], QPoint(3, 4));
}

TEST(AniCursorFile, EveryTruncationFailsCleanly)
{
    const QByteArray bytes = BusyCursorBytes();
    ASSERT_TRUE(Parses(bytes));
    for (qsizetype n = 0; n < bytes.size(); n += (n < 200 ? 1 : 331))
        EXPECT_FALSE(Parses(bytes.left(n))) << n;
    // A cut file whose RIFF size was patched to match still misses frames.
    QByteArray cut = bytes.left(bytes.size() / 2);
    const quint32 size = quint32(cut.size() - 8);
    std::memcpy(cut.data() + 4, &size, 4);
    EXPECT_FALSE(Parses(cut));
}

TEST(AniCursorFile, HostileHeadersAndChunksAreRefused)
{
    const QByteArray good = CursorImage(16, 16);
    EXPECT_TRUE(Parses(Riff(Chunk("anih", Header(1, 1)) + Frames({good}))));

    // Sizes that claim more than there is.
    EXPECT_FALSE(Parses(Riff(Chunk("anih", Header(1, 1)) + Frames({good}), 0xFFFFFFFFll)));
    EXPECT_FALSE(Parses(Riff(Chunk("anih", Header(1, 1), 0xFFFFFFF0ll) + Frames({good}))));
    EXPECT_FALSE(Parses(Riff(Chunk("anih", Header(1, 1)) + Chunk("LIST", "fram" + Chunk("icon", good, 0x7FFFFFFF)))));
    // Counts out of bounds or inconsistent.
    EXPECT_FALSE(Parses(Riff(Chunk("anih", Header(0xFFFFFFFFu, 1)) + Frames({good}))));
    EXPECT_FALSE(Parses(Riff(Chunk("anih", Header(1, 0xFFFFFFFFu)) + Frames({good}))));
    EXPECT_FALSE(Parses(Riff(Chunk("anih", Header(0, 0)) + Frames({good}))));
    EXPECT_FALSE(Parses(Riff(Chunk("anih", Header(2, 2)) + Frames({good})))); // one frame short
    EXPECT_FALSE(Parses(Riff(Chunk("anih", Header(1, 2)) + Frames({good})))); // steps without a sequence
    QByteArray badSeq;
    PutU32(badSeq, 7);
    EXPECT_FALSE(Parses(Riff(Chunk("anih", Header(1, 1, 6, 3)) + Chunk("seq ", badSeq) + Frames({good}))));
    EXPECT_FALSE(Parses(Riff(Chunk("anih", Header(1, 2, 6, 3)) + Chunk("seq ", badSeq) + Frames({good}))));
    // Raw bitmap frames, no header, a short header, two headers.
    EXPECT_FALSE(Parses(Riff(Chunk("anih", Header(1, 1, 6, 0)) + Frames({good}))));
    EXPECT_FALSE(Parses(Riff(Frames({good}))));
    EXPECT_FALSE(Parses(Riff(Chunk("anih", Header(1, 1).left(20)) + Frames({good}))));
    EXPECT_FALSE(Parses(Riff(Chunk("anih", Header(1, 1)) + Chunk("anih", Header(1, 1)) + Frames({good}))));
    // Frame images that claim huge or empty sizes, or do not decode.
    EXPECT_FALSE(Parses(Riff(Chunk("anih", Header(1, 1)) + Frames({CursorImage(100000, 100000, false)}))));
    EXPECT_FALSE(Parses(Riff(Chunk("anih", Header(1, 1)) + Frames({CursorImage(0, 16, false)}))));
    EXPECT_FALSE(Parses(Riff(Chunk("anih", Header(1, 1)) + Frames({QByteArray(64, 'x')}))));
    QByteArray badOffset = good;
    const quint32 offset = 0x7FFFFFF0;
    std::memcpy(badOffset.data() + 18, &offset, 4);
    EXPECT_FALSE(Parses(Riff(Chunk("anih", Header(1, 1)) + Frames({badOffset}))));
    // Not an animated cursor at all.
    EXPECT_FALSE(Parses(QByteArray("RIFF\x04\x00\x00\x00WAVE", 12)));
}

TEST(AniCursorFile, RandomDamageNeverCrashes)
{
    const QByteArray bytes = BusyCursorBytes();
    QRandomGenerator random(2001);
    for (int round = 0; round < 300; ++round) {
        QByteArray damaged = bytes;
        const int flips = 1 + int(random.bounded(8));
        for (int i = 0; i < flips; ++i) {
            // Mostly in the headers, where damage matters most.
            const qsizetype at = random.bounded(4) ? random.bounded(400) : random.bounded(damaged.size());
            damaged[at] = char(random.bounded(256));
        }
        AniCursorFile file;
        if (ani_cursor_file::Parse(damaged, &file)) {
            EXPECT_GE(file.StepCount(), 1);
            for (int s : file.sequence)
                EXPECT_LT(s, file.frames.size());
        }
    }
}

class AniCursorTest : public ::testing::Test {
protected:
    QString WriteFile(const QByteArray& bytes)
    {
        const QString path = dir_.path() + "/c.ani";
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
        return path;
    }
    QTemporaryDir dir_;
};

TEST_F(AniCursorTest, ResourceLoadCountsFramesAndStepWraps)
{
    cAniCursor cursor;
    EXPECT_EQ(cursor.hCursor(), 0u);
    ASSERT_TRUE(cursor.LoadFromResource(101, false, 0, false));
    EXPECT_NE(cursor.hCursor(), 0u);
    ASSERT_EQ(cursor.FrameCount(), 15);
    EXPECT_EQ(cursor.Frame(), 0);
    for (int expected = 1; expected <= 14; ++expected) {
        cursor.Step();
        EXPECT_EQ(cursor.Frame(), expected);
    }
    cursor.Step();
    EXPECT_EQ(cursor.Frame(), 0);

    cursor.SetFrame(14);
    EXPECT_EQ(cursor.Frame(), 14);
    for (int bad : {15, -1, 1000}) {
        try {
            cursor.SetFrame(bad);
            ADD_FAILURE() << bad;
        } catch (const RunTimeError& e) {
            EXPECT_EQ(e.number(), 9);
        }
    }
    EXPECT_EQ(cursor.Frame(), 14);

    cursor.Destroy();
    EXPECT_EQ(cursor.hCursor(), 0u);
    EXPECT_EQ(cursor.FrameCount(), 0);
    EXPECT_EQ(cursor.Frame(), 0);
}

TEST_F(AniCursorTest, NotAnimatedLoadKeepsTheFirstFrame)
{
    cAniCursor cursor;
    ASSERT_TRUE(cursor.LoadFromFile(WriteFile(BusyCursorBytes()), false, true));
    EXPECT_EQ(cursor.FrameCount(), 0);
    cursor.Step();
    cursor.Step();
    EXPECT_EQ(cursor.Frame(), 0);
    EXPECT_EQ(cursor.FrameSize(), QSize(32, 32));
    EXPECT_THROW(cursor.SetFrame(0), RunTimeError);
}

TEST_F(AniCursorTest, FailedLoadRaisesAndLeavesTheObjectEmpty)
{
    cAniCursor cursor;
    ASSERT_TRUE(cursor.LoadFromFile(WriteFile(BusyCursorBytes())));
    ASSERT_EQ(cursor.FrameCount(), 15);
    try {
        cursor.LoadFromFile(WriteFile(BusyCursorBytes().left(5000)));
        ADD_FAILURE();
    } catch (const RunTimeError& e) {
        EXPECT_EQ(e.number(), 10000 | 13);
        EXPECT_FALSE(e.description().isEmpty());
    }
    EXPECT_EQ(cursor.hCursor(), 0u);
    EXPECT_EQ(cursor.FrameCount(), 0);
    // An endless file is refused after a bounded read.
    EXPECT_THROW(cursor.LoadFromFile("/dev/zero"), RunTimeError);
    try {
        cursor.LoadFromFile(dir_.path() + "/missing.ani");
        ADD_FAILURE();
    } catch (const RunTimeError& e) {
        EXPECT_EQ(e.number(), 10002);
    }
}

TEST_F(AniCursorTest, DrawPaintsTheCurrentFrameAtItsPlace)
{
    cAniCursor cursor;
    ASSERT_TRUE(cursor.LoadFromResource(2001, false, 0, false));
    const auto render = [&](const QColor& back) {
        QImage canvas(64, 64, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        cursor.Draw(&painter, 16, 16, 0, 0, back);
        return canvas;
    };
    const QImage first = render(QColor());
    // Nothing outside the frame's rectangle is touched.
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            if (!QRect(16, 16, 32, 32).contains(x, y)) {
                ASSERT_EQ(first.pixel(x, y), qRgb(255, 255, 255)) << x << "," << y;
            }
        }
    }
    int painted = 0;
    for (int y = 16; y < 48; ++y)
        for (int x = 16; x < 48; ++x)
            painted += first.pixel(x, y) != qRgb(255, 255, 255);
    EXPECT_GT(painted, 50);

    cursor.Step();
    EXPECT_NE(render(QColor()), first);
    // With a background colour the whole frame rectangle is painted over.
    const QImage filled = render(Qt::black);
    EXPECT_EQ(filled.pixel(16, 16), qRgb(0, 0, 0));
    EXPECT_EQ(filled.pixel(47, 47), qRgb(0, 0, 0));
    EXPECT_EQ(filled.pixel(48, 48), qRgb(255, 255, 255));
}

TEST_F(AniCursorTest, DefaultCursorIsRememberedOnceAndPutBackOnce)
{
    cAniCursor cursor;
    ASSERT_TRUE(cursor.LoadFromResource(101, false, 0, false));
    QWidget window;
    window.setCursor(Qt::CrossCursor);

    cursor.SetAsDefaultCursor(&window, true);
    EXPECT_EQ(window.cursor().shape(), Qt::BitmapCursor);
    cursor.SetAsDefaultCursor(&window, true); // must not remember our own cursor
    cursor.SetAsDefaultCursor(&window, false);
    EXPECT_EQ(window.cursor().shape(), Qt::CrossCursor);
    window.setCursor(Qt::WaitCursor);
    cursor.SetAsDefaultCursor(&window, false); // nothing left to put back
    EXPECT_EQ(window.cursor().shape(), Qt::WaitCursor);

    // Destroy puts back every cursor it replaced; a window without a cursor
    // of its own gets none again.
    QWidget* plain = new QWidget(&window);
    cursor.SetAsDefaultCursor(&window, true);
    cursor.SetAsDefaultCursor(plain, true);
    EXPECT_TRUE(plain->testAttribute(Qt::WA_SetCursor));
    cursor.Destroy();
    EXPECT_EQ(window.cursor().shape(), Qt::WaitCursor);
    EXPECT_FALSE(plain->testAttribute(Qt::WA_SetCursor));
}

TEST_F(AniCursorTest, WindowClosedBeforeTheCursorIsForgotten)
{
    cAniCursor cursor;
    ASSERT_TRUE(cursor.LoadFromResource(101, false, 0, false));
    auto* window = new QWidget;
    cursor.SetAsDefaultCursor(window, true);
    delete window;
    cursor.Step();
    QWidget parent;
    QWidget* other = new QWidget(&parent);
    cursor.SetAsDefaultCursor(other, true); // reuses the free entry
    EXPECT_EQ(other->cursor().shape(), Qt::BitmapCursor);
    cursor.Destroy();
    EXPECT_FALSE(other->testAttribute(Qt::WA_SetCursor));
}

} // namespace
