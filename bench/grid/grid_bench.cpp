// Fills a grid with 100,000 rows of 8 columns the way the file search does
// (painting off, one row appended and filled at a time) and sorts it by
// every column. Prints the times; targets: fill < 1 s, each sort < 0.5 s.

#include "platform/grid/grid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;

    Grid grid;
    grid.resize(1000, 700);
    grid.show();
    QApplication::processEvents();

    const char* captions[] = {"Name",         "Selection", "Pages",        "Location",
                              "Size (In KB)", "Type",      "Created Date", "Modified Date"};
    const int types[] = {8, 11, 14, 8, 14, 8, 7, 7};
    grid.SetRowCount(1);
    grid.SetColumnCount(8);
    for (int c = 0; c < 8; ++c) {
        grid.SetCellText(0, c, QString::fromLatin1(captions[c]));
        grid.SetColumnDataTypeAt(c, types[c]);
        if (types[c] == 7)
            grid.SetColumnFormatAt(c, QStringLiteral("dd/mm/yyyy hh:mm ampm"));
    }

    QRandomGenerator rng(42);
    auto date = [&rng]() {
        return QStringLiteral("%1/%2/%3 %4:%5 %6")
            .arg(1 + rng.bounded(28), 2, 10, QLatin1Char('0'))
            .arg(1 + rng.bounded(12), 2, 10, QLatin1Char('0'))
            .arg(2000 + rng.bounded(26))
            .arg(1 + rng.bounded(12), 2, 10, QLatin1Char('0'))
            .arg(rng.bounded(60), 2, 10, QLatin1Char('0'))
            .arg(rng.bounded(2) ? QStringLiteral("PM") : QStringLiteral("AM"));
    };
    // Texts made beforehand: the bench measures the grid, not the formatting.
    std::vector<std::array<QString, 8>> data(static_cast<std::size_t>(rows));
    for (auto& r : data) {
        r[0] = QStringLiteral("scan%1.tif").arg(rng.bounded(1000000));
        r[2] = rng.bounded(50) == 0 ? QStringLiteral("Error") : QString::number(1 + rng.bounded(50));
        r[3] = QStringLiteral("/home/user/archive/folder%1").arg(rng.bounded(500));
        r[4] = QStringLiteral("%1 KB").arg(QLocale().toString(rng.bounded(200000)));
        r[5] = QStringLiteral("tiff image");
        r[6] = date();
        r[7] = date();
    }

    QElapsedTimer timer;
    timer.start();
    grid.SetRedrawEnabled(0);
    grid.setVisible(false);
    for (int i = 0; i < rows; ++i) {
        grid.SetRowCount(grid.RowCount() + 1);
        const int r = grid.RowCount() - 1;
        const auto& d = data[static_cast<std::size_t>(i)];
        grid.SetCellText(r, 0, d[0]);
        grid.SetCellText(r, 3, d[3]);
        grid.SetCellText(r, 4, d[4]);
        grid.SetCellText(r, 5, d[5]);
        grid.SetCellText(r, 6, d[6]);
        grid.SetCellText(r, 7, d[7]);
        grid.SetCellText(r, 2, d[2]);
    }
    grid.SetRedrawEnabled(-1);
    grid.setVisible(true);
    QApplication::processEvents();
    const double fill = timer.nsecsElapsed() / 1e9;
    std::printf("fill %d rows x 8 columns: %.3f s (target < 1 s)\n", rows, fill);

    double worst = 0;
    for (int c = 0; c < 8; ++c) {
        for (int order : {1, 3, 4}) {
            grid.SetCurrentColumn(c);
            timer.restart();
            grid.SetSortOrder(order);
            QApplication::processEvents();
            const double t = timer.nsecsElapsed() / 1e9;
            worst = std::max(worst, t);
            std::printf("sort by %-14s order %d: %.3f s\n", captions[c], order, t);
        }
    }
    std::printf("slowest sort: %.3f s (target < 0.5 s)\n", worst);
    return 0;
}
