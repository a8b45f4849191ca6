#pragma once
// Points the per-user folders (HOME, XDG_CONFIG_HOME, XDG_DATA_HOME) at a
// fresh temporary folder for the life of the object, so registrations in a
// test never reach the real user's home. Restores the old values after.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <array>
#include <utility>

class TempHome {
public:
    TempHome()
    {
        for (size_t i = 0; i < saved_.size(); ++i) {
            had_[i] = qEnvironmentVariableIsSet(saved_[i].first);
            saved_[i].second = qgetenv(saved_[i].first);
        }
        qputenv("HOME", dir_.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", (dir_.path() + "/config").toUtf8());
        qputenv("XDG_DATA_HOME", (dir_.path() + "/data").toUtf8());
    }
    ~TempHome()
    {
        for (size_t i = 0; i < saved_.size(); ++i) {
            if (had_[i])
                qputenv(saved_[i].first, saved_[i].second);
            else
                qunsetenv(saved_[i].first);
        }
    }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    std::array<std::pair<const char*, QByteArray>, 3> saved_{
        {{"HOME", {}}, {"XDG_CONFIG_HOME", {}}, {"XDG_DATA_HOME", {}}}};
    std::array<bool, 3> had_{};
};
