#include "counters/page_counter.h"
#include "counters/pdf_page_counter.h"
#include "platform/com/class_registry.h"
#include "platform/com/com.h"
#include "platform/runtime/run_time_error.h"

#include "counter_fixtures.h"
#include "engine/page_operations.h"
#include "tests/engine/hostile_files.h"
#include "tests/support/real_test_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace counter_test;

namespace {

int RunRegsvr(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(VELMORA_REGSVR), args);
    if (!p.waitForFinished(30000))
        return -1;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

long CreationError(const QUuid& clsid)
{
    try {
        com::CreateInstance(clsid);
    } catch (const RunTimeError& e) {
        return e.number();
    }
    return 0;
}

// A counter object with its interface, as the programs hold it.
struct Counter {
    com::Ptr<com::Object> object;
    counters::IPageCounter* counter = nullptr;

    Counter(const QUuid& clsid, const QUuid& iid)
        : object(com::CreateInstance(clsid)), counter(com::QueryInterface<counters::IPageCounter>(object, iid))
    {
    }
    std::int32_t Count(const QString& path) const
    {
        std::int32_t pages = 12345;
        EXPECT_EQ(counter->CountPages(path, pages), com::S_OK);
        return pages;
    }

    // What a count in a bounded child process saw: the answer (12345 when
    // the child did not finish with one) and, in KiB, the child's resident
    // peak before and after the count and the peak of the processes it
    // waited for (those the counter itself may start).
    struct Bounded {
        std::int32_t pages = 12345;
        long peakBefore = 0;
        long peak = 0;
        long childrenPeak = 0;
    };

    // The count made in a child process whose address space may grow by
    // `memory` bytes at most, and which is stopped after `seconds`.
    Bounded CountMeasured(const QString& path, std::size_t memory, unsigned seconds) const
    {
        Bounded answer;
        int fds[2];
        if (::pipe(fds) != 0)
            return answer;
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(fds[0]);
            long pages = 0, size = 0;
            if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
                if (std::fscanf(statm, "%ld", &size) != 1)
                    size = 0;
                std::fclose(statm);
            }
            pages = size * ::sysconf(_SC_PAGESIZE);
            const rlimit limit{static_cast<rlim_t>(pages + memory), static_cast<rlim_t>(pages + memory)};
            ::setrlimit(RLIMIT_AS, &limit);
            ::alarm(seconds);
            Bounded seen;
            rusage usage{};
            ::getrusage(RUSAGE_SELF, &usage);
            seen.peakBefore = usage.ru_maxrss;
            counter->CountPages(path, seen.pages);
            ::getrusage(RUSAGE_SELF, &usage);
            seen.peak = usage.ru_maxrss;
            ::getrusage(RUSAGE_CHILDREN, &usage);
            seen.childrenPeak = usage.ru_maxrss;
            const bool sent = ::write(fds[1], &seen, sizeof seen) == sizeof seen;
            ::_exit(sent ? 0 : 1);
        }
        ::close(fds[1]);
        if (child < 0 || ::read(fds[0], &answer, sizeof answer) != sizeof answer)
            answer = Bounded();
        ::close(fds[0]);
        int status = 0;
        if (child > 0)
            ::waitpid(child, &status, 0);
        return answer;
    }
    std::int32_t CountBounded(const QString& path, std::size_t memory, unsigned seconds) const
    {
        return CountMeasured(path, memory, seconds).pages;
    }
};

// What the TIFF counter answers for a file the engine reads `pages` pages
// from: the same count, or -1 for a file without pages.
std::int32_t CounterAnswerFor(std::int32_t pages)
{
    return pages > 0 ? pages : -1;
}

class CountersTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "counters_tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
        config_ = new QTemporaryDir;
        qputenv("XDG_CONFIG_HOME", config_->path().toUtf8());
        ASSERT_EQ(RunRegsvr({QStringLiteral(VELMORA_COUNTERS_MODULE)}), 0);
        ASSERT_EQ(RunRegsvr({QStringLiteral(VELMORA_PDF_COUNTER_MODULE)}), 0);
    }
    static void TearDownTestSuite()
    {
        delete config_;
        config_ = nullptr;
    }

    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString File(const QString& name) const { return dir_.filePath(name); }

    static QTemporaryDir* config_;
    QTemporaryDir dir_;
};

QTemporaryDir* CountersTest::config_ = nullptr;

TEST_F(CountersTest, RegistrationMakesTheClassesCreatableByClsidOnly)
{
    const QString tiffModule = QStringLiteral(VELMORA_COUNTERS_MODULE);
    const QString pdfModule = QStringLiteral(VELMORA_PDF_COUNTER_MODULE);
    const std::pair<QUuid, QString> classes[] = {{counters::CLSID_TiffPageCounter, tiffModule},
                                                 {counters::CLSID_PdfPageCounter, pdfModule}};
    for (const auto& [clsid, module] : classes) {
        const auto entry = com::ClassRegistry::FindClass(clsid);
        ASSERT_TRUE(entry.has_value());
        EXPECT_EQ(QFileInfo(entry->modulePath).canonicalFilePath(), QFileInfo(module).canonicalFilePath());
        EXPECT_TRUE(entry->progId.isEmpty());
    }

    // Each class answers its own interface only.
    const com::Ptr<com::Object> tiff = com::CreateInstance(counters::CLSID_TiffPageCounter);
    const com::Ptr<com::Object> pdf = com::CreateInstance(counters::CLSID_PdfPageCounter);
    EXPECT_NE(com::QueryInterface<counters::IPageCounter>(tiff, counters::IID_ITiffPageCounter), nullptr);
    EXPECT_EQ(com::QueryInterface<counters::IPageCounter>(tiff, counters::IID_IPdfPageCounter), nullptr);
    EXPECT_NE(com::QueryInterface<counters::IPageCounter>(pdf, counters::IID_IPdfPageCounter), nullptr);
    EXPECT_EQ(com::QueryInterface<counters::IPageCounter>(pdf, counters::IID_ITiffPageCounter), nullptr);

    // Each module registers and unregisters its own class only.
    ASSERT_EQ(RunRegsvr({QStringLiteral("-u"), tiffModule}), 0);
    EXPECT_EQ(CreationError(counters::CLSID_TiffPageCounter), 429);
    EXPECT_EQ(CreationError(counters::CLSID_PdfPageCounter), 0);
    ASSERT_EQ(RunRegsvr({QStringLiteral("-u"), pdfModule}), 0);
    EXPECT_EQ(CreationError(counters::CLSID_PdfPageCounter), 429);
    ASSERT_EQ(RunRegsvr({tiffModule}), 0);
    EXPECT_EQ(CreationError(counters::CLSID_TiffPageCounter), 0);
    EXPECT_EQ(CreationError(counters::CLSID_PdfPageCounter), 429);
    ASSERT_EQ(RunRegsvr({pdfModule}), 0);
    EXPECT_EQ(CreationError(counters::CLSID_PdfPageCounter), 0);
}

// Both programs load the TIFF counter at start-up; qpdf and what it
// pulls in (its TLS stack) must not come along.
TEST_F(CountersTest, TheTiffCounterModuleDoesNotLoadQpdf)
{
    QProcess ldd;
    ldd.start(QStringLiteral("ldd"), {QStringLiteral(VELMORA_COUNTERS_MODULE)});
    ASSERT_TRUE(ldd.waitForFinished(30000));
    const QString libraries = QString::fromLocal8Bit(ldd.readAllStandardOutput());
    ASSERT_TRUE(libraries.contains(QStringLiteral("libc.so"))) << libraries.toStdString();
    EXPECT_FALSE(libraries.contains(QStringLiteral("qpdf"))) << libraries.toStdString();
    EXPECT_FALSE(libraries.contains(QStringLiteral("gnutls"))) << libraries.toStdString();
    EXPECT_FALSE(libraries.contains(QStringLiteral("libssl"))) << libraries.toStdString();
}

TEST_F(CountersTest, TiffCountsInEveryByteOrderWithOneObject)
{
    const Counter tiff(counters::CLSID_TiffPageCounter, counters::IID_ITiffPageCounter);
    ASSERT_NE(tiff.counter, nullptr);
    ASSERT_TRUE(WriteTiff(File("one.tif"), 1));
    ASSERT_TRUE(WriteTiff(File("seven.tif"), 7));
    ASSERT_TRUE(WriteTiff(File("big-endian.tif"), 5, "wb"));
    ASSERT_TRUE(WriteTiff(File("ünï cödé #1.TIFF"), 2));
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(tiff.Count(File("one.tif")), 1);
        EXPECT_EQ(tiff.Count(File("seven.tif")), 7);
        EXPECT_EQ(tiff.Count(File("big-endian.tif")), 5);
        EXPECT_EQ(tiff.Count(File("ünï cödé #1.TIFF")), 2);
    }
}

TEST_F(CountersTest, TiffFilesThatCannotBeCountedAreNegative)
{
    const Counter tiff(counters::CLSID_TiffPageCounter, counters::IID_ITiffPageCounter);
    ASSERT_TRUE(WriteText(File("text.tif"), "This is not an image.\n"));
    ASSERT_TRUE(WriteText(File("header.tif"), QByteArray("II*\0", 4)));
    ASSERT_TRUE(WriteText(File("empty.tif"), QByteArray()));
    ASSERT_TRUE(WriteText(File("far.tif"), QByteArray("II*\0\xff\xff\xff\x7f", 8)));
    // BigTIFF: the operations read no page from it, so it counts none.
    ASSERT_TRUE(WriteTiff(File("bigtiff.tif"), 3, "w8"));
    ASSERT_TRUE(WritePdf(File("doc.pdf"), 2));
    ASSERT_EQ(::mkfifo(QFile::encodeName(File("pipe.tif")).constData(), 0600), 0);
    for (const char* name :
         {"text.tif", "header.tif", "empty.tif", "far.tif", "bigtiff.tif", "missing.tif", "doc.pdf", "pipe.tif"})
        EXPECT_LT(tiff.Count(File(name)), 0) << name;
    EXPECT_LT(tiff.Count(dir_.path()), 0);
    EXPECT_LT(tiff.Count(QString()), 0);
    EXPECT_LT(tiff.Count(File("one.tif") + QChar(u'\0') + "x"), 0);

    // The counter still works after all that.
    ASSERT_TRUE(WriteTiff(File("fine.tif"), 4));
    EXPECT_EQ(tiff.Count(File("fine.tif")), 4);
}

// The page count a user sees is the one every operation acts on: loops,
// cut chains, empty or damaged directories, more pages than 65,535. A
// count that stops at a page ("does the file reach page N") agrees too.
TEST_F(CountersTest, TiffCountsAgreeWithTheEngineOnHostileFiles)
{
    const Counter tiff(counters::CLSID_TiffPageCounter, counters::IID_ITiffPageCounter);
    auto* upTo = com::QueryInterface<counters::IPageCountUpTo>(tiff.object, counters::IID_ITiffPageCountUpTo);
    ASSERT_NE(upTo, nullptr);
    for (const stavren::test::Hostile& h : stavren::test::HostileFiles()) {
        const QString path = File(QString::fromStdString(h.name) + ".tif");
        ASSERT_TRUE(WriteText(
            path, QByteArray(reinterpret_cast<const char*>(h.bytes.data()), static_cast<qsizetype>(h.bytes.size()))));
        const std::int32_t engine = stavren::CountTiffPages(QFile::encodeName(path).toStdString());
        EXPECT_EQ(engine, static_cast<std::int32_t>(h.writable.size())) << h.name;
        EXPECT_EQ(tiff.Count(path), CounterAnswerFor(engine)) << h.name;
        for (const std::int32_t atMost : {1, 2, 5}) {
            std::int32_t pages = 12345;
            EXPECT_EQ(upTo->CountPagesUpTo(path, atMost, pages), com::S_OK);
            EXPECT_EQ(pages, CounterAnswerFor(std::min(engine, atMost))) << h.name << " up to " << atMost;
        }
    }
}

// Counting reads the chain, never what the entries point at: files whose
// tags name gigabytes count in a moment and a little memory.
TEST_F(CountersTest, TiffCountingReadsNoTagData)
{
    const Counter tiff(counters::CLSID_TiffPageCounter, counters::IID_ITiffPageCounter);
    constexpr std::uint32_t k60MB = 60 * 1000 * 1000;
    ASSERT_TRUE(WriteTagBomb(File("tags.tif"), 1, 60, k60MB));
    ASSERT_TRUE(WriteTagBomb(File("shared.tif"), 1000, 1, k60MB));
    ASSERT_TRUE(WriteEmptyDirectories(File("empty.tif"), 200000));
    constexpr std::size_t k64MiB = 64u << 20;
    EXPECT_EQ(tiff.CountBounded(File("tags.tif"), k64MiB, 10), 1);
    EXPECT_EQ(tiff.CountBounded(File("shared.tif"), k64MiB, 10), 1000);
    EXPECT_EQ(tiff.CountBounded(File("empty.tif"), k64MiB, 10), 200000);
}

TEST_F(CountersTest, PdfCountsAndFailures)
{
    const Counter pdf(counters::CLSID_PdfPageCounter, counters::IID_IPdfPageCounter);
    ASSERT_NE(pdf.counter, nullptr);
    ASSERT_TRUE(WritePdf(File("three.pdf"), 3));
    ASSERT_TRUE(WritePdf(File("one.pdf"), 1));
    EXPECT_EQ(pdf.Count(File("three.pdf")), 3);
    EXPECT_EQ(pdf.Count(File("one.pdf")), 1);

    // A wrong cross-reference position is repaired by scanning the file.
    QFile f(File("three.pdf"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray bytes = f.readAll();
    f.close();
    const qsizetype at = bytes.lastIndexOf("startxref");
    ASSERT_GT(at, 0);
    QByteArray damaged = bytes.left(at) + "startxref\n9999999\n%%EOF\n";
    ASSERT_TRUE(WriteText(File("moved-xref.pdf"), damaged));
    EXPECT_EQ(pdf.Count(File("moved-xref.pdf")), 3);

    ASSERT_TRUE(WriteText(File("text.pdf"), "hello\n"));
    ASSERT_TRUE(WriteText(File("header.pdf"), bytes.left(15)));
    ASSERT_TRUE(WriteTiff(File("image.tif"), 2));
    ASSERT_EQ(::mkfifo(QFile::encodeName(File("pipe.pdf")).constData(), 0600), 0);
    for (const char* name : {"text.pdf", "header.pdf", "image.tif", "missing.pdf", "pipe.pdf"})
        EXPECT_LE(pdf.Count(File(name)), 0) << name;
    EXPECT_LE(pdf.Count(dir_.path()), 0);
    EXPECT_EQ(pdf.Count(File("one.pdf")), 1);
}

// The page tree is walked with bounds: deeper than the bound, a node
// reached twice (a loop, one page listed a million times) counts -1
// promptly, without crashing its host or taking its memory.
TEST_F(CountersTest, PdfPageTreesBeyondTheBoundsCountMinusOne)
{
    const Counter pdf(counters::CLSID_PdfPageCounter, counters::IID_IPdfPageCounter);
    ASSERT_TRUE(WritePdfTree(File("nested.pdf"), {3, 1, 4}));
    ASSERT_TRUE(WritePdfTree(File("deep-enough.pdf"), std::vector<int>(counters::PdfPageCounter::kMaxDepth, 1)));
    ASSERT_TRUE(WritePdfTree(File("too-deep.pdf"), std::vector<int>(counters::PdfPageCounter::kMaxDepth + 1, 1)));
    ASSERT_TRUE(WritePdfTree(File("40000-deep.pdf"), std::vector<int>(40000, 1)));
    ASSERT_TRUE(WritePdfListingOnePage(File("listed-twice.pdf"), 2));
    ASSERT_TRUE(WritePdfListingOnePage(File("listed-a-million-times.pdf"), 1000000));
    ASSERT_TRUE(WritePdfTree(File("loop.pdf"), {2, 2}, true));

    EXPECT_EQ(pdf.Count(File("nested.pdf")), 12);
    EXPECT_EQ(pdf.Count(File("deep-enough.pdf")), 1);
    constexpr std::size_t k256MiB = 256u << 20;
    for (const char* name :
         {"too-deep.pdf", "40000-deep.pdf", "listed-twice.pdf", "listed-a-million-times.pdf", "loop.pdf"})
        EXPECT_EQ(pdf.CountBounded(File(name), k256MiB, 10), -1) << name;
}

// A small file can make qpdf inflate gigabytes (an object stream or a
// cross-reference stream) or read a huge sparse file to rebuild a broken
// cross-reference table. Each counts -1 within the counter's own bounds,
// and the memory of the process that asked does not grow.
TEST_F(CountersTest, PdfFilesThatInflateOrReadWithoutBoundCountMinusOne)
{
    const Counter pdf(counters::CLSID_PdfPageCounter, counters::IID_IPdfPageCounter);
    constexpr std::uint64_t k1GiB = 1ull << 30;
    ASSERT_TRUE(WritePdfObjectStreamBomb(File("object-stream.pdf"), 1u << 20));
    ASSERT_TRUE(WritePdfXrefStreamBomb(File("xref-stream.pdf"), 1u << 20));
    ASSERT_TRUE(WritePdfObjectStreamBomb(File("object-stream-bomb.pdf"), k1GiB));
    ASSERT_TRUE(WritePdfXrefStreamBomb(File("xref-stream-bomb.pdf"), k1GiB));
    ASSERT_TRUE(WriteSparsePdfWithBrokenXref(File("sparse.pdf"), 64 * k1GiB));
    // The shapes themselves are sound: small enough, they count.
    EXPECT_EQ(pdf.Count(File("object-stream.pdf")), 1);
    EXPECT_EQ(pdf.Count(File("xref-stream.pdf")), 1);

    constexpr long k64MiB = 64 << 10, kBound = long(counters::PdfPageCounter::kMaxMemory >> 10);
    for (const char* name : {"object-stream-bomb.pdf", "xref-stream-bomb.pdf", "sparse.pdf"}) {
        const Counter::Bounded seen = pdf.CountMeasured(File(name), 4 * k1GiB, 30);
        EXPECT_EQ(seen.pages, -1) << name;
        EXPECT_LT(seen.peak - seen.peakBefore, k64MiB) << name;
        EXPECT_LE(seen.childrenPeak, seen.peak + kBound) << name;
    }
}

// Real TIFF files that nobody here wrote (scripts/fetch-test-files.sh):
// the counter and the engine agree on every one, and on the classic TIFF
// files tiffinfo reads without doubts, both agree with its directories.
TEST_F(CountersTest, RealFilesAgreeWithTheEngineAndTiffinfo)
{
    const QString root = QStringLiteral(VELMORA_TESTDATA_DIR);
    if (!QDir(root).exists())
        VELMORA_MISSING_TEST_FILES("no test files in " + root.toStdString());
    const Counter tiff(counters::CLSID_TiffPageCounter, counters::IID_ITiffPageCounter);
    QDirIterator it(root, {QStringLiteral("*.tif"), QStringLiteral("*.tiff")}, QDir::Files,
                    QDirIterator::Subdirectories);
    int compared = 0, withTiffinfo = 0;
    while (it.hasNext()) {
        const QString path = it.next();
        const std::int32_t engine = stavren::CountTiffPages(QFile::encodeName(path).toStdString());
        const std::int32_t counted = tiff.Count(path);
        EXPECT_EQ(counted, CounterAnswerFor(engine)) << path.toStdString();
        ++compared;

        QProcess info;
        info.start(QStringLiteral("tiffinfo"), {path});
        if (!info.waitForFinished(30000))
            continue;
        const QByteArray err = info.readAllStandardError();
        const QString out = QString::fromUtf8(info.readAllStandardOutput());
        if (info.exitCode() != 0 || !err.isEmpty() || out.contains(QStringLiteral("BigTIFF")))
            continue;
        EXPECT_EQ(counted, static_cast<std::int32_t>(out.count(QStringLiteral("TIFF Directory at offset"))))
            << path.toStdString();
        ++withTiffinfo;
    }
    if (compared == 0)
        VELMORA_MISSING_TEST_FILES("no TIFF files in " + root.toStdString());
    EXPECT_GT(withTiffinfo, 0);
}

} // namespace
