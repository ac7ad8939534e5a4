#include "FolderList.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace velmix {

namespace {

constexpr int PathRole = Qt::UserRole;

QTreeWidgetItem *addEntry(QTreeWidget *tree, QTreeWidgetItem *parent, const QString &name, const QString &path,
                          QStyle::StandardPixmap icon)
{
    auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
    item->setText(0, name);
    item->setData(0, PathRole, path);
    item->setIcon(0, tree->style()->standardIcon(icon));
    return item;
}

} // namespace

FolderList::FolderList(QWidget *parent)
    : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(8);
    setUniformRowHeights(true);
    connect(this, &QTreeWidget::itemDoubleClicked, this, &FolderList::openItem);
}

void FolderList::openItem(QTreeWidgetItem *item)
{
    Q_EMIT folderOpened(pathOf(item));
}

QString FolderList::childPath(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

void FolderList::showFolder(const QString &driveRoot, const QString &folder, const QStringList &subfolders)
{
    if (driveRoot == m_root && folder == m_folder && subfolders == m_subfolders)
        return;
    m_root = driveRoot;
    m_folder = folder;
    m_subfolders = subfolders;
    clear();

    QTreeWidgetItem *current = addEntry(this, nullptr, driveRoot, driveRoot, QStyle::SP_DriveHDIcon);
    QString path = driveRoot;
    const QString below = folder.startsWith(driveRoot) ? folder.mid(driveRoot.size()) : QString();
    for (const QString &name : below.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        path = childPath(path, name);
        current = addEntry(this, current, name, path, QStyle::SP_DirOpenIcon);
    }
    for (const QString &name : subfolders)
        addEntry(this, current, name, childPath(folder, name), QStyle::SP_DirClosedIcon);
    expandAll();
    setCurrentItem(current);
    scrollToItem(current);
}

QString FolderList::pathOf(const QTreeWidgetItem *item) const
{
    return item ? item->data(0, PathRole).toString() : QString();
}

void FolderList::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        openItem(currentItem());
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

} // namespace velmix
