#pragma once
// Runs VelmoraCMD as a user would: a separate process in a temporary home
// where the page engine and the page counters are registered, with no
// display, so every message arrives on standard error. TIFF inputs are made
// with libtiff; every page is an 8x8 grey image filled with one value, so a
// page can be recognised by that value wherever it ends up.

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include <tiffio.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <sys/resource.h>
#include <vector>

class CliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home_.isValid());
        env_ = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env_.remove(QString::fromLatin1(name));
        env_.insert(QStringLiteral("HOME"), home_.path());
        env_.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.path() + QStringLiteral("/config"));
        env_.insert(QStringLiteral("XDG_DATA_HOME"), home_.path() + QStringLiteral("/data"));
        for (const char* module : {STAVREN_MODULE_PATH, COUNTERS_MODULE_PATH}) {
            QProcess reg;
            reg.setProcessEnvironment(env_);
            reg.start(QStringLiteral(REGSVR_PATH), {QString::fromUtf8(module)});
            ASSERT_TRUE(reg.waitForFinished(30000));
            ASSERT_EQ(reg.exitCode(), 0) << reg.readAllStandardError().toStdString();
        }
        ASSERT_TRUE(QDir(work_.path()).mkpath(QStringLiteral("out")));
    }

    struct Result {
        int exitCode = -1;
        QString out;
        QString err;
    };

    // Runs VelmoraCMD in the work folder with the arguments as a shell
    // would hand them over; a run that has not finished after `timeoutMs`
    // is killed and fails the test.
    Result Run(const QStringList& args, int timeoutMs = 60000)
    {
        return Start(QStringLiteral(VELMORA_CMD_PATH), args, timeoutMs);
    }
    // Runs VelmoraCMD with arguments written as shell words, for arguments
    // that are no text: "$(printf 'x\\377.tif')".
    Result RunShellWords(const QString& words, int timeoutMs = 60000)
    {
        return Start(QStringLiteral("/bin/sh"),
                     {QStringLiteral("-c"), QStringLiteral("exec \"$0\" ") + words, QStringLiteral(VELMORA_CMD_PATH)},
                     timeoutMs);
    }
    // The following runs go as `user` (through runuser); empty: as this
    // process's user.
    void RunAs(const QString& user) { runAs_ = user; }
    // Runs `program` (VelmoraCMD, or a shell that becomes it) as Run does.
    Result Start(const QString& program, const QStringList& args, int timeoutMs)
    {
        QProcess p;
        p.setProcessEnvironment(env_);
        p.setWorkingDirectory(work_.path());
        if (fileSizeLimit_ != RLIM_INFINITY) {
            const rlim_t bytes = fileSizeLimit_;
            p.setChildProcessModifier([bytes] {
                const struct rlimit limit {
                    bytes, bytes
                };
                ::setrlimit(RLIMIT_FSIZE, &limit);
            });
        }
        if (runAs_.isEmpty())
            p.start(program, args);
        else
            p.start(QStringLiteral("runuser"),
                    QStringList{QStringLiteral("-p"), QStringLiteral("-u"), runAs_, QStringLiteral("--"), program}
                        + args);
        return Finish(p, timeoutMs);
    }
    // What the started run `p` did, once it has ended (within timeoutMs:
    // else it is killed and the test fails).
    static Result Finish(QProcess& p, int timeoutMs)
    {
        Result r;
        if (!p.waitForFinished(timeoutMs)) {
            p.kill();
            p.waitForFinished();
            ADD_FAILURE() << "VelmoraCMD did not finish";
            return r;
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }
    // Starts VelmoraCMD with `args` and waits until its private folder in
    // `outputFolder` holds the page file of index 1; then, while the run is
    // still writing pages (its input should have a few thousand), calls
    // `meanwhile` with that folder, and with `kill` kills the run (SIGKILL).
    // What the run did; a run that never got there fails the test.
    Result RunInterrupted(const QStringList& args, const QString& outputFolder,
                          const std::function<void(const QString& privateFolder)>& meanwhile, bool kill = false)
    {
        QProcess p;
        p.setProcessEnvironment(env_);
        p.setWorkingDirectory(work_.path());
        p.start(QStringLiteral(VELMORA_CMD_PATH), args);
        QString hidden;
        const QDeadlineTimer deadline(60000);
        while (hidden.isEmpty() && !deadline.hasExpired() && p.state() != QProcess::NotRunning) {
            for (const QString& name :
                 QDir(outputFolder).entryList({QStringLiteral(".velmora-*")}, QDir::Dirs | QDir::Hidden)) {
                if (QFileInfo::exists(outputFolder + QLatin1Char('/') + name + QStringLiteral("/page1.tif")))
                    hidden = outputFolder + QLatin1Char('/') + name;
            }
            if (hidden.isEmpty())
                QThread::usleep(200);
        }
        if (hidden.isEmpty()) {
            p.kill();
            p.waitForFinished();
            ADD_FAILURE() << "the run's private folder never held a page";
            return Result{};
        }
        meanwhile(hidden);
        if (kill)
            p.kill();
        return Finish(p, 60000);
    }
    // Leaves what a run killed while it extracts `input` into `folder` leaves
    // there: its private folder with some pages. The folder's path.
    QString KilledRunFolder(const QString& input, const QString& folder)
    {
        QString hidden;
        RunInterrupted(
            {QStringLiteral("/i"), input, QStringLiteral("/o"), folder}, folder,
            [&hidden](const QString& privateFolder) { hidden = privateFolder; }, true);
        return hidden;
    }
    // The fill values of a TIFF file of `count` pages: 1 to 250, over and over.
    static std::vector<int> ManyPages(int count)
    {
        std::vector<int> values;
        for (int i = 0; i < count; ++i)
            values.push_back(i % 250 + 1);
        return values;
    }

    // The following runs may write files of at most `bytes` (RLIMIT_FSIZE).
    void LimitFileSize(rlim_t bytes) { fileSizeLimit_ = bytes; }
    // Lets every user into the test's home and work folders, so that a run
    // as another user finds its registry and storage folder.
    void OpenFoldersToEveryone()
    {
        namespace fs = std::filesystem;
        for (const QString& top : {home_.path(), work_.path()}) {
            fs::permissions(top.toStdString(), fs::perms::all);
            for (const auto& e : fs::recursive_directory_iterator(top.toStdString()))
                if (e.is_directory())
                    fs::permissions(e.path(), fs::perms::all);
        }
    }
    // The program's environment (a private home with the modules registered).
    const QProcessEnvironment& Environment() const { return env_; }
    // Sets (or removes) a variable of the program's environment for the
    // following runs.
    void SetEnvironment(const QString& name, const QString& value) { env_.insert(name, value); }
    void UnsetEnvironment(const QString& name) { env_.remove(name); }

    // The same with the line split at blanks.
    Result Run(const QString& line, int timeoutMs = 60000)
    {
        return Run(line.split(QLatin1Char(' '), Qt::SkipEmptyParts), timeoutMs);
    }

    QString Work(const QString& name = QString()) const
    {
        return name.isEmpty() ? work_.path() : work_.path() + QLatin1Char('/') + name;
    }
    QString ConfigHome() const { return home_.path() + QStringLiteral("/config"); }
    QString Storage() const { return home_.path() + QStringLiteral("/data/Ostrana Technologies/Velmora 3.1"); }

    QByteArray ReadFile(const QString& path) const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Writes a TIFF file whose page k is filled with values[k].
    static void MakeTiff(const QString& path, const std::vector<int>& values)
    {
        TIFF* tif = TIFFOpen(path.toUtf8().constData(), "w");
        ASSERT_NE(tif, nullptr);
        for (int v : values) {
            TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 8);
            TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 8);
            TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
            TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
            TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
            TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 8);
            TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
            std::vector<std::uint8_t> row(8, static_cast<std::uint8_t>(v));
            for (int y = 0; y < 8; ++y)
                ASSERT_EQ(TIFFWriteScanline(tif, row.data(), y, 0), 1);
            ASSERT_EQ(TIFFWriteDirectory(tif), 1);
        }
        TIFFClose(tif);
    }
    void MakeTiffIn(const QString& name, const std::vector<int>& values) { MakeTiff(Work(name), values); }

    // The fill value of every page, in order; empty when the file does not
    // open as TIFF.
    static std::vector<int> Pages(const QString& path)
    {
        std::vector<int> values;
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
        TIFF* tif = TIFFOpen(path.toUtf8().constData(), "r");
        if (!tif)
            return values;
        do {
            std::vector<std::uint8_t> row(static_cast<size_t>(TIFFScanlineSize(tif)));
            if (row.empty() || TIFFReadScanline(tif, row.data(), 0, 0) != 1)
                values.push_back(-1);
            else
                values.push_back(row[0]);
        } while (TIFFReadDirectory(tif));
        TIFFClose(tif);
        return values;
    }
    std::vector<int> PagesIn(const QString& name) const { return Pages(Work(name)); }

    // Some tests leave names that are not text (which QTemporaryDir cannot
    // remove); the whole tree goes by its bytes.
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(QFile::encodeName(work_.path()).toStdString(), ignored);
    }

private:
    QTemporaryDir home_;
    QTemporaryDir work_;
    QProcessEnvironment env_;
    QString runAs_;
    rlim_t fileSizeLimit_ = RLIM_INFINITY;
};
