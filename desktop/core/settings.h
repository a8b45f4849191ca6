#pragma once
// Settings: the desktop program's persisted user settings.
//
// The named values of VELMORA_SETTINGS_TABLE live in memory and in the file
// "settings.ini" in the "Settings" folder of the storage folder, written
// whole as one typed name/value record. Every assignment of a property rewrites the whole file
// at once (atomically), so nothing needs saving at exit.
//
// Each property NAME has a reader NAME() and an assignment SetNAME(value);
// the values are typed as in the table below: text (QString), byte
// (std::uint8_t), integer (std::int16_t) or long (std::int32_t).
//
// Failures:
// - LoadSettings returns false (and logs one line) when the file cannot be
//   read or holds no valid record; no value changes then.
// - A stored value that does not fit its property (a byte above 255, a
//   text where a number belongs, a width list with an entry that is no
//   column width, column_width.h) takes its default; the other values load
//   normally and one line is logged.
// - A save that fails keeps every value in memory and leaves the previous
//   file as it was; each failed save logs one line and the user is told
//   once per run.

#include <QString>

#include <array>
#include <cstdint>
#include <functional>

// The table of settings, in interface order: X(name, type, written, default).
// - name: the property and its key in the file.
// - type: String, Byte, Integer or Long; the default must fit it (a text
//   default for a number, or a number out of the type's range, does not
//   compile).
// - written: the place of the value in the file, from 1; the places of all
//   rows must be 1 to the number of rows, each once (settings.cpp checks it
//   when it compiles); a new row takes the next free place.
// A new setting is one more row; nothing else names the settings one by one.
#define VELMORA_SETTINGS_TABLE(X)                                                                                      \
    X(ColumnVisibility, String, 1, QStringLiteral("1,1,1,1,1,1,1,1"))                                                  \
    X(ExportLocation, String, 2, QString())                                                                            \
    X(LanguageFile, Byte, 3, 0)                                                                                        \
    X(StartupFolder, String, 4, Settings::DefaultStartupFolder())                                                      \
    X(WindowStateFlag, Byte, 5, 1)                                                                                     \
    X(WindowStateValue, Byte, 6, 2)                                                                                    \
    X(LastWindowState, Long, 7, 0)                                                                                     \
    X(LastWindowLeft, Long, 8, 0)                                                                                      \
    X(LastWindowTop, Long, 9, 0)                                                                                       \
    X(LastWindowHeight, Long, 10, 0)                                                                                   \
    X(LastWindowWidth, Long, 11, 0)                                                                                    \
    X(LastGridColWidthFlag, Integer, 12, 1)                                                                            \
    X(SortbyNumeric, Integer, 15, 0)                                                                                   \
    X(LastGridColWidth, String, 13, QStringLiteral("1800,250,700,1800,1000,1400,2000,2000"))                           \
    X(ColumnReOrder, String, 14,                                                                                       \
      QStringLiteral("Name,Selection,Pages,Location,Size (In KB),Type,Created Date,Modified Date"))                    \
    X(IsOpenFileAfterExport, Byte, 16, 0)                                                                              \
    X(IsOpenFolderSplitPDF, Byte, 19, 0)                                                                               \
    X(DefaultPathSplitPDF, String, 18, QString())                                                                      \
    X(IsDefaultPathSplitPDF, Byte, 17, 0)                                                                              \
    X(IsOpenFolderSplitTIFF, Byte, 22, 0)                                                                              \
    X(DefaultPathSplitTIFF, String, 21, QString())                                                                     \
    X(IsDefaultPathSplitTIFF, Byte, 20, 0)                                                                             \
    X(IsOpenFileAftCombPDF, Byte, 23, 0)                                                                               \
    X(DefaultPathCombPDF, String, 25, QString())                                                                       \
    X(IsDefaultPathCombPDF, Byte, 24, 0)                                                                               \
    X(IsOpenFileAftCombTIFF, Byte, 26, 0)                                                                              \
    X(DefaultPathCombTIFF, String, 28, QString())                                                                      \
    X(IsDefaultPathCombTIFF, Byte, 27, 0)                                                                              \
    X(IsOpenFileMConvToPDF, Byte, 29, 0)                                                                               \
    X(DefaultPathMConvToPDF, String, 31, QString())                                                                    \
    X(IsDefaultPathMConvToPDF, Byte, 30, 0)                                                                            \
    X(IsOpenFolderAftConvEToPDF, Byte, 32, 0)                                                                          \
    X(DefaultPathConvEToPDF, String, 34, QString())                                                                    \
    X(IsDefaultPathConvEToPDF, Byte, 33, 0)                                                                            \
    X(IsOpenFolderPdfInfoUpdate, Byte, 35, 0)                                                                          \
    X(DefaultPathPdfInfoUpdate, String, 37, QString())                                                                 \
    X(IsDefaultPathPdfInfoUpdate, Byte, 36, 0)                                                                         \
    X(IsOpenFolderAppPDf, Byte, 38, 0)                                                                                 \
    X(DefaultPathAppPDf, String, 40, QString())                                                                        \
    X(IsDefaultPathAppPDf, Byte, 39, 0)                                                                                \
    X(IsOpenFolderConImgTiff, Byte, 41, 0)                                                                             \
    X(DefaultPathConImgTiff, String, 43, QString())                                                                    \
    X(IsDefaultPathConImgTiff, Byte, 42, 0)                                                                            \
    X(IsOpenFolderConPdfToTiff, Byte, 44, 0)                                                                           \
    X(DefaultPathConPdfToTiff, String, 46, QString())                                                                  \
    X(IsDefaultPathConPdfToTiff, Byte, 45, 0)

class Settings {
public:
    enum class Type { String, Byte, Integer, Long };

    // The C++ types of the four kinds of setting.
    using StringValue = QString;
    using StringArg = const QString&;
    using ByteValue = std::uint8_t;
    using ByteArg = std::uint8_t;
    using IntegerValue = std::int16_t;
    using IntegerArg = std::int16_t;
    using LongValue = std::int32_t;
    using LongArg = std::int32_t;

    enum Id {
#define VELMORA_SETTING_ID(name, type, written, def) name##Id,
        VELMORA_SETTINGS_TABLE(VELMORA_SETTING_ID)
#undef VELMORA_SETTING_ID
            Count
    };

    // A value of any setting: the text of a text setting, else the number.
    struct Value {
        QString text;
        std::int32_t number = 0;
        bool operator==(const Value&) const = default;
    };

    // A fresh store holds empty texts and zeros until it is loaded or
    // given its defaults.
    Settings() = default;

    // Name, type and default of a setting.
    static QString Name(Id id);
    static Type TypeOf(Id id);
    static Value Default(Id id);
    // The ids in the order the file is written.
    static const std::array<Id, Count>& WriteOrder();
    // The default start folder: the user's home folder.
    static QString DefaultStartupFolder();

    // The settings folder and file under the current storage folder.
    static QString SettingsFolderPath();
    static QString SettingsFilePath();

    // Reading and assigning any setting by id; an assignment stores the
    // value and saves the whole file. A number outside the setting's type
    // raises RunTimeError 6 ("Overflow") and changes nothing; the text of a
    // text setting and the number of a numeric one are used.
    Value Get(Id id) const
    {
        return id >= 0 && id < Count ? values_[id] : Value();
    }
    void Set(Id id, const Value& value);

    // The named properties.
#define VELMORA_SETTING_ACCESSORS(name, type, written, def)                                                            \
    Settings::type##Value name() const                                                                                 \
    {                                                                                                                  \
        return Read##type(name##Id);                                                                                   \
    }                                                                                                                  \
    void Set##name(Settings::type##Arg value)                                                                          \
    {                                                                                                                  \
        Assign##type(name##Id, value);                                                                                 \
    }
    VELMORA_SETTINGS_TABLE(VELMORA_SETTING_ACCESSORS)
#undef VELMORA_SETTING_ACCESSORS

    // Reads the settings file. Creates the settings folder when missing.
    // False when there is no file yet or it cannot be read (one log line for
    // the latter); no value changes then.
    bool LoadSettings();
    // Writes every value as one record, replacing the file atomically.
    // False when the file could not be written (see the class comment).
    bool SaveSettings();
    // Gives every setting its default, then saves once.
    void LoadDefaultSettings();

    // How the user is told that the settings could not be saved. The
    // default shows a message box (title "Velmora 3.1", information icon).
    // Installing a notifier (or nullptr for the default) also resets the
    // once-per-run notice.
    using FailureNotifier = std::function<void(const QString& text)>;
    static void SetFailureNotifier(FailureNotifier notifier);

private:
    QString ReadString(Id id) const
    {
        return values_[id].text;
    }
    std::uint8_t ReadByte(Id id) const
    {
        return static_cast<std::uint8_t>(values_[id].number);
    }
    std::int16_t ReadInteger(Id id) const
    {
        return static_cast<std::int16_t>(values_[id].number);
    }
    std::int32_t ReadLong(Id id) const
    {
        return values_[id].number;
    }
    void AssignString(Id id, const QString& value);
    void AssignByte(Id id, std::uint8_t value);
    void AssignInteger(Id id, std::int16_t value);
    void AssignLong(Id id, std::int32_t value);

    std::array<Value, Count> values_{};
};
