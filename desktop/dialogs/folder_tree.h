#pragma once
// The folder tree of the main window and of the export dialog: a tree view
// over the file system that shows folders only, in one column without a
// header.

#include <QString>

class QFileSystemModel;
class QObject;
class QTreeView;

// Gives `tree` a folder model owned by `owner` and returns the model.
QFileSystemModel* SetUpFolderTree(QTreeView* tree, QObject* owner);

// Makes `path` the tree's current folder, its parents expanded, and
// scrolls it into view. The model lists folders in the background, so rows
// above it may still arrive and push it out of sight: until the user works
// the tree (a click, a key, the wheel) or another folder becomes current,
// the tree scrolls to it again whenever a folder on its path has been
// listed. False when the model has no such folder.
bool ShowFolderInTree(QTreeView* tree, QFileSystemModel* model, const QString& path);
