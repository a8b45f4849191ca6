#pragma once
// frmPreferences: the "Set Preferences" dialog. Edits the result grid's
// columns (visibility, with the order and width lists that go with them),
// the start-up folder, the default window state, whether the main window
// applies the last column widths and whether file names sort numerically.
//
// The caller creates it, shows it with RunModal and reads
// IsPreferanceChange afterwards: True when "&Save" stored the choices or
// "Set De&fault" put the defaults back (the main window then re-applies
// its grid layout). The load step runs when the dialog is first shown.

#include <QDialog>
#include <QString>
#include <QStringList>

class Grid;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

class frmPreferences : public QDialog {
    Q_OBJECT
public:
    explicit frmPreferences(QWidget* parent = nullptr);

    // True once "&Save" or "Set De&fault" changed the stored settings.
    bool IsPreferanceChange = false;

    // ----- Controls -----
    QTabWidget* tabPreferences = nullptr;
    // Tab "Grid".
    QGroupBox* fraColumnSettings = nullptr;
    Grid* vsColumnSettings = nullptr;
    QPushButton* cmdSelectAll = nullptr;
    QPushButton* cmdDeselectAll = nullptr;
    QPushButton* cmdInvertSelection = nullptr;
    QCheckBox* chkLastGridColWidth = nullptr;
    QCheckBox* chkSortbyNumeric = nullptr;
    // Tab "General".
    QGroupBox* fraWindowState = nullptr;
    QCheckBox* chkDefaultWindowState = nullptr;
    QComboBox* cmbDefaultWindowState = nullptr;
    QGroupBox* fraProgram = nullptr;
    QLabel* lblStartupFolder = nullptr;
    QLineEdit* txtStartUpFolder = nullptr;
    QPushButton* cmdStartupFolder = nullptr;
    // Dialog buttons.
    QPushButton* cmdSetDefault = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    // Columns of vsColumnSettings.
    static constexpr int kColNumber = 0;
    static constexpr int kColName = 1;
    static constexpr int kColVisible = 2;
    static constexpr int kColWidth = 3;

    // ----- Handlers -----
    void Form_Load();
    void FillComboBox();
    void LoadPreferences();
    void chkDefaultWindowState_Click();
    void InitColumnSettings();
    void vsColumnSettings_MouseDown(int Button, int Shift, int X, int Y);
    void cmdSelectAll_Click();
    void cmdDeselectAll_Click();
    void cmdInvertSelection_Click();
    void cmdStartupFolder_Click();
    // The folder browser ("Set Folder"); on Cancel the start-up folder text
    // as it is.
    QString ShowFolderSelectionDialog();
    void cmdOK_Click();
    void cmdSetDefault_Click();
    void cmdCancel_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool loaded_ = false;
    // Per grid row (row r at index r - 1): the catalogue key and the width
    // the row was filled with. Saving falls back on them when the editable
    // name or width cell was typed over with something no column layout
    // can hold.
    QStringList rowKeys_;
    QStringList rowWidths_;
};
