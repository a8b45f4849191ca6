#include "desktop/dialogs/folder_tree.h"

#include <QDir>
#include <QFileSystemModel>
#include <QTreeView>

QFileSystemModel* SetUpFolderTree(QTreeView* tree, QObject* owner)
{
    auto* model = new QFileSystemModel(owner);
    model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model->setRootPath(QStringLiteral("/"));
    tree->setModel(model);
    tree->setHeaderHidden(true);
    for (int c = 1; c < model->columnCount(); ++c)
        tree->hideColumn(c);
    return model;
}
