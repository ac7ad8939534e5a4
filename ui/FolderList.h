#pragma once

#include <QTreeWidget>

namespace velmix {

// The folder list: the chain of folders from the drive's root down to the current
// folder, then the current folder's subfolders one level deeper. A double click or
// Enter on an entry opens that folder.
class FolderList : public QTreeWidget
{
    Q_OBJECT

public:
    explicit FolderList(QWidget *parent = nullptr);

    // Shows the folder with its subfolders as its listing read them; redraws only when
    // something changed.
    void showFolder(const QString &driveRoot, const QString &folder, const QStringList &subfolders);
    [[nodiscard]] QString pathOf(const QTreeWidgetItem *item) const;

    static QString childPath(const QString &folder, const QString &name);

Q_SIGNALS:
    void folderOpened(const QString &path);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void openItem(QTreeWidgetItem *item);

    QString m_root;
    QString m_folder;
    QStringList m_subfolders;
};

} // namespace velmix
