#pragma once
// Files made for a search to find: any size (sparse, so large sizes cost
// nothing) and any access and modification times.

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <fcntl.h>
#include <sys/stat.h>

// A file of `bytes` bytes at `relative` under `root`; its folders are made.
inline QString MakeFileUnder(const QString& root, const QString& relative, qint64 bytes = 10)
{
    const QString path = root + QLatin1Char('/') + relative;
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    EXPECT_TRUE(f.resize(bytes));
    f.close();
    return path;
}

inline void SetFileTimes(const QString& path, const QDateTime& accessed, const QDateTime& modified)
{
    const timespec times[2] = {{static_cast<time_t>(accessed.toSecsSinceEpoch()), 0},
                               {static_cast<time_t>(modified.toSecsSinceEpoch()), 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}
