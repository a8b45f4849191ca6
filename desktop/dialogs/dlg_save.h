#pragma once
// dlgSave: the export dialog ("Export"). Asks where and as what the ticked
// rows of the result grid are written: a folder, a file name, one of four
// file types and, for the txt and doc types, a one-character column
// separator.
//
// The main window creates the dialog once and shows it again for every
// export; the load step runs at every showing and the unload step at every
// closing (confirmed or not). After it closes the caller reads filename
// ("//Cancelled//" when the user did not confirm), OpenFile and
// ColumnSaperator ("" for the xls and csv types).

#include <QDate>
#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

class dlgSave : public QDialog {
    Q_OBJECT
public:
    // The file name that means the user did not confirm.
    static QString CancelledName();

    explicit dlgSave(QWidget* parent = nullptr);

    // ----- Stored values -----
    QString filename() const { return filename_; }
    void Setfilename(const QString& value) { filename_ = value; }
    bool OpenFile() const { return openFile_; }
    QString ColumnSaperator() const { return columnSaperator_; }
    void SetColumnSaperator(const QString& value) { columnSaperator_ = value; }

    // ----- Controls -----
    QTreeView* ftvFolder = nullptr;
    QFileSystemModel* ftvFolderModel = nullptr;
    QGroupBox* fmeFile = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtFileName = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* cboFileType = nullptr;
    QLabel* lblDelimeter = nullptr;
    QLineEdit* txtColSaperator = nullptr;
    QCheckBox* ChkOpenFile = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdCancel = nullptr;

    // The folder chosen in the tree ("Desktop" for the desktop node).
    QString FolderPath() const { return folderPath_; }
    // Makes `path` the chosen folder and shows it in the tree.
    void SetFolderPath(const QString& path);

    // ----- Handlers -----
    void Form_Load();
    void Form_Unload();
    void FillComboBox();
    void cboFileType_Click();
    void txtFileName_GotFocus();
    void txtColSaperator_GotFocus();
    // Sets KeyAscii to 0 when the key may not go into a file name.
    void txtFileName_KeyPress(int& KeyAscii);
    // Sets KeyAscii to 0 for the double quote, which cannot separate
    // columns (it is the quoting character of the written file).
    void txtColSaperator_KeyPress(int& KeyAscii);
    bool Validate();
    void cmdSave_Click();
    void cmdCancel_Click();

    // True for the characters a file name may not hold: | \ ? > < : / * "
    static bool IsReservedChar(QChar key);
    // The extension a file-type text names: the first three of its last
    // four characters ("CSV File (*.csv)" gives "csv").
    static QString GetExtFromFileType(const QString& fileTypeText);
    // The date the proposed file name starts with; tests set it.
    static QDate (*TodayProvider)();

    // The folder the tree shows when no export location is stored.
    static QString DefaultExportFolder();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void StripReservedChars(QLineEdit* box, bool fileName);

    QString filename_;
    bool openFile_ = false;
    QString columnSaperator_;
    QString folderPath_;
    bool unloaded_ = true;
};
