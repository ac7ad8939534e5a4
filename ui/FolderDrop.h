#pragma once

#include <QObject>

class QWidget;

namespace velmix {

// Takes folders and files dropped from a file manager anywhere on a window, text boxes
// included (which would otherwise take their paths as text), and tells the first one's
// path, read as the bytes it names.
class FolderDrop : public QObject
{
    Q_OBJECT

public:
    explicit FolderDrop(QWidget *window);

Q_SIGNALS:
    void dropped(const QString &path);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace velmix
