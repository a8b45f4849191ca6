#include "desktop/main/ani_cursor_file.h"

#include <QBuffer>
#include <QImageReader>

#include <cstring>

namespace ani_cursor_file {

namespace {

quint32 ReadU32(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return quint32(b[0]) | (quint32(b[1]) << 8) | (quint32(b[2]) << 16) | (quint32(b[3]) << 24);
}

quint16 ReadU16(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return quint16(b[0] | (b[1] << 8));
}

quint32 ReadU32BigEndian(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return (quint32(b[0]) << 24) | (quint32(b[1]) << 16) | (quint32(b[2]) << 8) | quint32(b[3]);
}

bool Fail(QString* error, const char* reason)
{
    if (error)
        *error = QString::fromLatin1(reason);
    return false;
}

// One chunk inside a byte range: its four-letter tag and its data.
struct Chunk {
    QByteArray tag;
    const char* data = nullptr;
    qsizetype size = 0;
};

// Walks the chunks of [begin, end). Returns false when a chunk claims more
// bytes than the range holds.
bool ReadChunks(const char* begin, const char* end, QList<Chunk>* chunks)
{
    const char* p = begin;
    while (end - p >= 8) {
        Chunk c;
        c.tag = QByteArray(p, 4);
        const quint32 size = ReadU32(p + 4);
        p += 8;
        if (size > quint64(end - p))
            return false;
        c.data = p;
        c.size = qsizetype(size);
        chunks->append(c);
        p += size;
        // Chunks start on even offsets; the pad byte may be missing at the end.
        if ((size & 1u) && p < end)
            ++p;
        if (chunks->size() > 4 * kMaxSteps + 16)
            return false;
    }
    // A few stray bytes at the end (fewer than a chunk header) are ignored.
    return true;
}

// Checks the icon or cursor resource of one frame before it is decoded:
// a well-formed directory whose images lie inside the chunk and whose sizes
// stay within kMaxFrameSide. Gives the hot spot of the first image.
bool CheckIconResource(const Chunk& c, QPoint* hotSpot)
{
    if (c.size < 6 + 16)
        return false;
    const char* p = c.data;
    const quint16 reserved = ReadU16(p);
    const quint16 type = ReadU16(p + 2);
    const quint16 count = ReadU16(p + 4);
    if (reserved != 0 || (type != 1 && type != 2) || count == 0 || count > 64)
        return false;
    if (6 + qsizetype(count) * 16 > c.size)
        return false;
    for (int i = 0; i < count; ++i) {
        const char* e = p + 6 + i * 16;
        const quint32 bytes = ReadU32(e + 8);
        const quint32 offset = ReadU32(e + 12);
        if (offset > quint64(c.size) || bytes > quint64(c.size) - offset || bytes < 8)
            return false;
        const char* img = p + offset;
        static const char pngSignature[8] = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
        qint64 width = 0;
        qint64 height = 0;
        if (std::memcmp(img, pngSignature, 8) == 0) {
            if (bytes < 8 + 8 + 13 || std::memcmp(img + 12, "IHDR", 4) != 0)
                return false;
            width = ReadU32BigEndian(img + 16);
            height = ReadU32BigEndian(img + 20);
        } else {
            if (bytes < 40 || ReadU32(img) < 40)
                return false;
            width = qint32(ReadU32(img + 4));
            // The bitmap's height counts the colour rows and the mask rows.
            height = qint32(ReadU32(img + 8)) / 2;
        }
        if (width < 1 || height < 1 || width > kMaxFrameSide || height > kMaxFrameSide)
            return false;
        if (i == 0) {
            *hotSpot = type == 2 ? QPoint(ReadU16(e + 4), ReadU16(e + 6)) : QPoint(0, 0);
        }
    }
    return true;
}

QImage DecodeIconResource(const Chunk& c)
{
    QByteArray bytes = QByteArray::fromRawData(c.data, c.size);
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return QImage();
    QImageReader reader(&buffer, "ico");
    reader.setDecideFormatFromContent(false);
    QImage image = reader.read();
    if (image.isNull() || image.width() > kMaxFrameSide || image.height() > kMaxFrameSide)
        return QImage();
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

bool Parse(const QByteArray& bytes, AniCursorFile* out, QString* error)
{
    *out = AniCursorFile();
    if (bytes.size() > kMaxFileBytes)
        return Fail(error, "file too large");
    if (bytes.size() < 12 || std::memcmp(bytes.constData(), "RIFF", 4) != 0
        || std::memcmp(bytes.constData() + 8, "ACON", 4) != 0)
        return Fail(error, "not an animated cursor");
    const quint32 riffSize = ReadU32(bytes.constData() + 4);
    if (riffSize < 4 || riffSize > quint64(bytes.size() - 8))
        return Fail(error, "truncated file");

    const char* begin = bytes.constData() + 12;
    const char* end = bytes.constData() + 8 + riffSize;
    QList<Chunk> top;
    if (!ReadChunks(begin, end, &top))
        return Fail(error, "truncated chunk");

    bool haveHeader = false;
    quint32 frameCount = 0;
    quint32 stepCount = 0;
    quint32 defaultRate = 0;
    const Chunk* rateChunk = nullptr;
    const Chunk* seqChunk = nullptr;
    QList<Chunk> icons;
    bool haveFrameList = false;

    for (const Chunk& c : top) {
        if (c.tag == "anih") {
            if (haveHeader)
                return Fail(error, "two headers");
            if (c.size < 36)
                return Fail(error, "short header");
            haveHeader = true;
            frameCount = ReadU32(c.data + 4);
            stepCount = ReadU32(c.data + 8);
            defaultRate = ReadU32(c.data + 28);
            const quint32 flags = ReadU32(c.data + 32);
            // Only frames stored as icon or cursor resources are supported.
            if (!(flags & 1u))
                return Fail(error, "raw bitmap frames");
        } else if (c.tag == "rate") {
            rateChunk = &c;
        } else if (c.tag == "seq ") {
            seqChunk = &c;
        } else if (c.tag == "LIST" && c.size >= 4 && std::memcmp(c.data, "fram", 4) == 0) {
            if (haveFrameList)
                return Fail(error, "two frame lists");
            haveFrameList = true;
            QList<Chunk> inner;
            if (!ReadChunks(c.data + 4, c.data + c.size, &inner))
                return Fail(error, "truncated frame");
            for (const Chunk& f : inner) {
                if (f.tag == "icon")
                    icons.append(f);
            }
        }
    }

    if (!haveHeader)
        return Fail(error, "no header");
    if (frameCount < 1 || frameCount > quint32(kMaxSteps) || stepCount < 1 || stepCount > quint32(kMaxSteps))
        return Fail(error, "bad frame or step count");
    if (quint32(icons.size()) < frameCount)
        return Fail(error, "missing frames");

    AniCursorFile file;
    file.sequence.reserve(stepCount);
    file.rates.reserve(stepCount);
    for (quint32 s = 0; s < stepCount; ++s) {
        quint32 frame = s;
        if (seqChunk) {
            if (seqChunk->size < qsizetype(stepCount) * 4)
                return Fail(error, "short sequence");
            frame = ReadU32(seqChunk->data + s * 4);
        }
        if (frame >= frameCount)
            return Fail(error, "sequence names a missing frame");
        quint32 rate = defaultRate;
        if (rateChunk && rateChunk->size >= qsizetype(stepCount) * 4)
            rate = ReadU32(rateChunk->data + s * 4);
        file.sequence.append(int(frame));
        file.rates.append(int(qMin<quint32>(rate, 60u * 60u)));
    }

    qsizetype decodedBytes = 0;
    for (quint32 i = 0; i < frameCount; ++i) {
        QPoint hotSpot;
        if (!CheckIconResource(icons[i], &hotSpot))
            return Fail(error, "bad frame image");
        QImage image = DecodeIconResource(icons[i]);
        if (image.isNull())
            return Fail(error, "frame image does not decode");
        decodedBytes += image.sizeInBytes();
        if (decodedBytes > kMaxDecodedBytes)
            return Fail(error, "frames too large");
        file.frames.append(image);
        file.hotSpots.append(hotSpot);
    }

    *out = std::move(file);
    return true;
}

} // namespace ani_cursor_file
