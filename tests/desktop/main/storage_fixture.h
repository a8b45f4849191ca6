#pragma once
// A fresh storage folder per test, and a look at its error log.

#include "operations/storage_folder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

class StorageFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        SetStorageFolder(dir_.path() + QStringLiteral("/Velmora 3.1"));
        ASSERT_TRUE(GetStorageFolderExists());
    }

    bool GetStorageFolderExists() { return QDir().mkpath(StorageFolder()); }

    QStringList LogLines() const
    {
        QFile log(StorageFolder() + QStringLiteral("/Errors.Log"));
        if (!log.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromUtf8(log.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        return lines;
    }

    QTemporaryDir dir_;
};
