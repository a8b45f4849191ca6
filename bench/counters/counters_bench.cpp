// Page-counter benchmark.
//   counters_bench make <folder> [files]  writes TIFF files of 1 to 50 pages
//   counters_bench count <folder>         counts every *.tif in the folder
//                                         with one TiffPageCounter object
// The count run creates the counter through the object runtime, so the
// module must be registered (run.sh does that in a scratch registry).

#include "bench/support/numbered_pages_tiff.h"
#include "counters/page_counter.h"
#include "platform/com/com.h"
#include "platform/runtime/run_time_error.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>

#include <cstdio>

namespace {

bool WriteTiff(const QString& path, int pages)
{
    return WriteNumberedPagesTiff(path, pages, 64, 16);
}

int Make(const QString& folder, int files)
{
    QDir().mkpath(folder);
    unsigned seed = 12345;
    long pages = 0;
    for (int i = 0; i < files; ++i) {
        seed = seed * 1103515245u + 12345u;
        const int n = 1 + static_cast<int>((seed >> 16) % 50);
        if (!WriteTiff(QStringLiteral("%1/file%2.tif").arg(folder).arg(i, 5, 10, QLatin1Char('0')), n))
            return 1;
        pages += n;
    }
    std::printf("wrote %d files, %ld pages\n", files, pages);
    return 0;
}

int Count(const QString& folder)
{
    const QStringList names = QDir(folder).entryList({QStringLiteral("*.tif")}, QDir::Files, QDir::Name);
    try {
        com::Ptr<com::Object> object = com::CreateInstance(counters::CLSID_TiffPageCounter);
        auto* counter = com::QueryInterface<counters::IPageCounter>(object, counters::IID_ITiffPageCounter);
        if (!counter)
            return 2;
        QElapsedTimer timer;
        timer.start();
        long pages = 0;
        int failed = 0;
        for (const QString& name : names) {
            std::int32_t n = 0;
            counter->CountPages(folder + QLatin1Char('/') + name, n);
            if (n < 0)
                ++failed;
            else
                pages += n;
        }
        const double s = timer.nsecsElapsed() / 1e9;
        std::printf("TiffPageCounter: %lld files, %ld pages, %d not countable, %.3f s, %.0f files/s\n",
                    static_cast<long long>(names.size()), pages, failed, s, names.size() / s);
    } catch (const RunTimeError& e) {
        std::fprintf(stderr, "%ld %s\n", e.number(), e.what());
        return 3;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1] == QLatin1String("make"))
        return Make(args[2], args.size() >= 4 ? args[3].toInt() : 10000);
    if (args.size() >= 3 && args[1] == QLatin1String("count"))
        return Count(args[2]);
    std::fprintf(stderr, "usage: counters_bench make <folder> [files] | count <folder>\n");
    return 1;
}
