#pragma once
// The folder tree of the main window and of the export dialog: a tree view
// over the file system that shows folders only, in one column without a
// header.

class QFileSystemModel;
class QObject;
class QTreeView;

// Gives `tree` a folder model owned by `owner` and returns the model.
QFileSystemModel* SetUpFolderTree(QTreeView* tree, QObject* owner);
