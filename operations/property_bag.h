#pragma once
// A typed name/value record serialised as self-describing UTF-8 text (the
// format is described in docs/name-value-store.md and must stay stable:
// stored settings files depend on it).
//
// Values are strings, bytes (8-bit unsigned), integers (16-bit signed) or
// longs (32-bit signed). Names are looked up without regard to case; writing
// a name that is already present replaces its value and keeps its place.
// Reading a name that is absent gives the empty value ("" or 0). Reading
// converts the stored value to the requested type the way an assignment to a
// typed variable does: a number that does not fit raises run-time error 6
// "Overflow", a text that is not a number raises 13 "Type mismatch".

#include "platform/runtime/run_time_error.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdint>

class PropertyBag {
public:
    enum class Type { String, Byte, Integer, Long };

    // Error number raised for a record that cannot be parsed.
    static constexpr long InvalidFormatError = rterr::InvalidFileFormat; // "Invalid file format"

    // Names are 1..255 characters without "=", blanks or control characters;
    // another name raises 5 "Invalid procedure call or argument".
    void WriteString(const QString& name, const QString& value);
    void WriteByte(const QString& name, std::uint8_t value);
    void WriteInteger(const QString& name, std::int16_t value);
    void WriteLong(const QString& name, std::int32_t value);

    bool Contains(const QString& name) const;
    // The stored value (QString, quint8, qint16 or qint32); invalid when absent.
    QVariant ReadProperty(const QString& name) const;
    // The stored type; false when the name is absent.
    bool TypeOf(const QString& name, Type& type) const;

    QString ReadString(const QString& name) const;
    std::uint8_t ReadByte(const QString& name) const;
    std::int16_t ReadInteger(const QString& name) const;
    std::int32_t ReadLong(const QString& name) const;

    // Names in the order they were first written.
    QStringList Names() const;
    int Count() const { return static_cast<int>(entries_.size()); }
    void Clear() { entries_.clear(); }

    // The serialised record.
    QByteArray Contents() const;
    // Replaces the record by the one at the start of `bytes` (anything after
    // its end line is ignored). Raises 321 when the bytes hold no complete
    // record; the bag is unchanged then.
    void SetContents(const QByteArray& bytes);
    static PropertyBag FromContents(const QByteArray& bytes);

    // Writes the serialised record as the whole file, replacing it
    // atomically (QSaveFile). Raises 75 "Path/File access error" when the
    // file cannot be written; an existing file is then left as it was.
    void SaveToFile(const QString& path) const;
    // Reads a file written by SaveToFile. Raises 53 "File not found",
    // 75 when it cannot be read, 321 when it holds no valid record.
    static PropertyBag LoadFromFile(const QString& path);

private:
    struct Entry {
        QString name;
        Type type;
        QString text;        // Type::String
        std::int32_t number; // the numeric types
    };
    void Put(Entry entry);
    const Entry* Find(const QString& name) const;
    static std::int64_t NumberOf(const Entry& e);

    QList<Entry> entries_;
};
