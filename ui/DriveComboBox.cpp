#include "DriveComboBox.h"

#include <QSignalBlocker>

namespace velmix {

DriveComboBox::DriveComboBox(QWidget *parent)
    : QComboBox(parent)
{
}

void DriveComboBox::showDrives(const QList<Drive> &drives, int current)
{
    const QSignalBlocker blocker(this);
    QStringList names;
    for (const Drive &drive : drives)
        names.append(drive.mountPoint);
    QStringList shown;
    for (int i = 0; i < count(); ++i)
        shown.append(itemText(i));
    if (shown != names) {
        clear();
        addItems(names);
    }
    setCurrentIndex(current);
}

} // namespace velmix
