#pragma once
// A main window whose result grid the test fills directly, for the page
// commands and the context menu.

#include "search_fixture.h"

#include <QLabel>

#include <vector>

struct GridRow {
    QString name;
    QString location;
    QString pages;
    bool ticked = false;
    QString size = QStringLiteral("1 KB");
    QString type = QStringLiteral("tiff image");
    QString created = QStringLiteral("01/02/2024 10:00 AM");
    QString modified = QStringLiteral("03/04/2024 11:30 PM");
};

class CommandsTest : public SearchTest {
protected:
    Grid& G() { return *Window().Ui().grdSearchList; }

    static int Col(const char* key) { return GetColumnIndexByKey(QString::fromLatin1(key)); }

    // Replaces the data rows by `rows`.
    void SetRows(const std::vector<GridRow>& rows)
    {
        Grid& g = G();
        g.SetRowCount(1);
        g.SetRowCount(static_cast<int>(rows.size()) + 1);
        for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
            const GridRow& row = rows[i];
            const int r = i + 1;
            g.SetCellText(r, Col("Name"), row.name);
            g.SetCellText(r, Col("Location"), row.location);
            g.SetCellText(r, Col("Pages"), row.pages);
            g.SetCellText(r, Col("Size (In KB)"), row.size);
            g.SetCellText(r, Col("Type"), row.type);
            g.SetCellText(r, Col("Created Date"), row.created);
            g.SetCellText(r, Col("Modified Date"), row.modified);
            g.SetCellAttribute(Grid::kAttrCheckState, r, Col("Selection"),
                               row.ticked ? Grid::kChecked : Grid::kUnchecked);
        }
    }

    // n rows "f1.tif" ... with `pages` pages each, none ticked.
    void SetPlainRows(int n, const QString& pages = QStringLiteral("2"))
    {
        std::vector<GridRow> rows;
        for (int i = 1; i <= n; ++i)
            rows.push_back({QStringLiteral("f%1.tif").arg(i), root, pages});
        SetRows(rows);
    }

    bool Ticked(int row)
    {
        return G().CellAttribute(Grid::kAttrCheckState, row, Col("Selection")).toInt() == Grid::kChecked;
    }

    // The tick marks of all data rows, as "1" and "0".
    QString Ticks()
    {
        QString out;
        for (int r = 1; r < G().RowCount(); ++r)
            out += Ticked(r) ? QLatin1Char('1') : QLatin1Char('0');
        return out;
    }

    void Tick(int row, bool on = true)
    {
        G().SetCellAttribute(Grid::kAttrCheckState, row, Col("Selection"), on ? Grid::kChecked : Grid::kUnchecked);
    }

    QString Status() { return Window().Ui().sbPanelStatus->text(); }

    static QString Totals(int files, int pages)
    {
        return QString::number(files) + QStringLiteral(" file selected; Total Page count of selected Tiff files: ")
               + QString::number(pages);
    }

    QStringList BoxTexts() const
    {
        QStringList out;
        for (const MsgBoxRequest& r : boxes)
            out.append(r.text);
        return out;
    }
};
