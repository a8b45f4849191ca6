#include "desktop/dialogs/folder_tree.h"

#include <QDir>
#include <QEvent>
#include <QFileSystemModel>
#include <QPointer>
#include <QTreeView>

namespace {

// Keeps one tree's chosen folder in view while the model is still listing
// the folders on its path.
class FolderInView : public QObject {
public:
    FolderInView(QTreeView* tree, QFileSystemModel* model) : QObject(tree), tree_(tree), model_(model)
    {
        setObjectName(QStringLiteral("FolderInView"));
        connect(model, &QFileSystemModel::directoryLoaded, this, &FolderInView::Listed);
        // The model sorts a listing after it has arrived, moving rows again.
        connect(model, &QAbstractItemModel::layoutChanged, this, &FolderInView::ScrollToFollowed);
        connect(tree->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
            if (!path_.isEmpty() && model_->filePath(current) != path_)
                path_.clear();
        });
        tree->installEventFilter(this);
        tree->viewport()->installEventFilter(this);
    }

    void Follow(const QString& path) { path_ = path; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::Wheel:
        case QEvent::KeyPress:
            path_.clear(); // the user takes over
            break;
        case QEvent::Resize:
        case QEvent::Show:
            // A tree that gets its size (the window shows, a pane is
            // dragged) scrolls again.
            if (watched == tree_->viewport())
                ScrollToFollowed();
            break;
        default: break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void Listed(const QString& folder)
    {
        if (path_.isEmpty())
            return;
        const QString parent = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
        if (folder == path_ || path_.startsWith(parent))
            ScrollToFollowed();
    }

    void ScrollToFollowed()
    {
        if (path_.isEmpty() || !tree_)
            return;
        const QModelIndex index = model_->index(path_);
        if (index.isValid())
            tree_->scrollTo(index);
    }

    QPointer<QTreeView> tree_;
    QFileSystemModel* model_;
    QString path_;
};

} // namespace

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

bool ShowFolderInTree(QTreeView* tree, QFileSystemModel* model, const QString& path)
{
    const QModelIndex index = model->index(QDir::cleanPath(path));
    if (!index.isValid())
        return false;
    auto* keeper = tree->findChild<FolderInView*>(QStringLiteral("FolderInView"), Qt::FindDirectChildrenOnly);
    if (!keeper)
        keeper = new FolderInView(tree, model);
    // Followed from before it becomes current: making it current may run
    // a whole search, during which the model goes on listing.
    keeper->Follow(model->filePath(index));
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        tree->expand(up);
    tree->setCurrentIndex(index);
    tree->scrollTo(index);
    return true;
}
