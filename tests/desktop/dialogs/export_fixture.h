#pragma once
// Set-up of the export and preferences tests: a main window over an empty
// temporary folder, modal windows shown for real (offscreen) and handed to
// the test's own handler, which acts as the user would; a dialog the handler
// leaves open is closed with its close box.

#include "desktop/dialogs/dlg_save.h"
#include "desktop/dialogs/frm_preferences.h"
#include "platform/grid/grid.h"

#include "fake_shell.h"
#include "search_fixture.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <functional>

class ExportTest : public SearchTest {
protected:
    void SetUp() override
    {
        SearchTest::SetUp();
        ASSERT_TRUE(out_.isValid());
        outFolder = QDir(out_.path()).canonicalPath();
        SetModalRunner([this](QDialog& d) {
            modals.push_back(d.metaObject()->className());
            d.show();
            // A copy: the handler may install another one for a nested window.
            const std::function<void(QDialog&)> handler = onDialog;
            if (handler)
                handler(d);
            if (d.isVisible())
                d.close();
            return d.result();
        });
        // Questions ("... already exists.") get questionAnswer.
        SetMsgBoxHandler([this](const MsgBoxRequest& r) {
            boxes.push_back(r);
            return r.buttons == MsgBoxButtons::YesNo ? questionAnswer : MsgBoxResult::OK;
        });
    }

    // The result grid with one row per entry of `names`; every other cell
    // reads "<column key> <row>"; the rows listed in `ticked` (from 1) ticked.
    void FillList(const QStringList& names, const std::vector<int>& ticked)
    {
        Grid& g = *Window().Ui().grdSearchList;
        g.SetRowCount(1);
        const int selection = GetColumnIndexByKey("Selection");
        for (int i = 0; i < names.size(); ++i) {
            const int r = i + 1;
            g.SetRowCount(r + 1);
            for (int c = 0; c < g.ColumnCount(); ++c) {
                if (c == selection)
                    continue;
                g.SetCellText(r, c, g.CellText(0, c) + QLatin1Char(' ') + QString::number(r));
            }
            g.SetCellText(r, GetColumnIndexByKey("Name"), names[i]);
            g.SetCellAttribute(Grid::kAttrCheckState, r, selection, Grid::kUnchecked);
        }
        for (int r : ticked)
            g.SetCellAttribute(Grid::kAttrCheckState, r, selection, Grid::kChecked);
    }

    // A handler that fills in the export dialog and presses "&Save".
    // typeIndex: 0 txt, 1 xls, 2 csv, 3 doc.
    std::function<void(QDialog&)> SaveAs(const QString& name, int typeIndex, const QString& separator = QString(),
                                         bool openFile = false)
    {
        return [=, this](QDialog& d) {
            auto* save = qobject_cast<dlgSave*>(&d);
            ASSERT_NE(save, nullptr);
            save->SetFolderPath(outFolder);
            save->txtFileName->setText(name);
            save->cboFileType->setCurrentIndex(typeIndex);
            if (!separator.isEmpty())
                save->txtColSaperator->setText(separator);
            save->ChkOpenFile->setChecked(openFile);
            save->cmdSave->click();
        };
    }

    static QByteArray ReadAll(const QString& path)
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return "<missing>";
        return f.readAll();
    }

    QString Out(const QString& name) const { return outFolder + QLatin1Char('/') + name; }

    std::function<void(QDialog&)> onDialog;
    MsgBoxResult questionAnswer = MsgBoxResult::No;
    QString outFolder;
    FakeShell shell;

private:
    QTemporaryDir out_;
};
