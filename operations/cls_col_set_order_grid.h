#pragma once
// clsColSetOrderGrid: the record of one file handed from a front end to a
// page operation. Every member is a plain value with a getter and a setter;
// nothing is validated or derived. Strings start empty, PageCount at 0.
//
//     rec.filename(u"a.tif"_s);   // set
//     QString n = rec.filename(); // get
//
// FileName is the command-line program's spelling of filename (same member).

#include <QList>
#include <QString>

#include <cstdint>

class clsColSetOrderGrid {
public:
    const QString& filename() const { return filename_; }
    void filename(const QString& strNewValue) { filename_ = strNewValue; }
    const QString& FileName() const { return filename_; }
    void FileName(const QString& strNewValue) { filename_ = strNewValue; }

    const QString& Range() const { return range_; }
    void Range(const QString& strNewValue) { range_ = strNewValue; }

    const QString& FileLocation() const { return fileLocation_; }
    void FileLocation(const QString& strNewValue) { fileLocation_ = strNewValue; }

    const QString& FileSize() const { return fileSize_; }
    void FileSize(const QString& strNewValue) { fileSize_ = strNewValue; }

    const QString& FileType() const { return fileType_; }
    void FileType(const QString& strNewValue) { fileType_ = strNewValue; }

    const QString& FileCreDate() const { return fileCreDate_; }
    void FileCreDate(const QString& strNewValue) { fileCreDate_ = strNewValue; }

    const QString& FileModDate() const { return fileModDate_; }
    void FileModDate(const QString& strNewValue) { fileModDate_ = strNewValue; }

    const QString& FileDate() const { return fileDate_; }
    void FileDate(const QString& strNewValue) { fileDate_ = strNewValue; }

    const QString& FileExt() const { return fileExt_; }
    void FileExt(const QString& strNewValue) { fileExt_ = strNewValue; }

    std::int32_t PageCount() const { return pageCount_; }
    void PageCount(std::int32_t strNewValue) { pageCount_ = strNewValue; }

private:
    QString filename_;
    QString range_;
    QString fileLocation_;
    QString fileSize_;
    QString fileType_;
    QString fileCreDate_;
    QString fileModDate_;
    QString fileDate_;
    QString fileExt_;
    std::int32_t pageCount_ = 0;
};

// The collection of records an operation works on, in insertion order.
using RecordCollection = QList<clsColSetOrderGrid>;
