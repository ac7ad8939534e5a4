#pragma once

#include "DriveList.h"

#include <QComboBox>

namespace velmix {

// The drive list: one entry per drive, named by its mount point.
class DriveComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit DriveComboBox(QWidget *parent = nullptr);

    // Shows the drives with `current` selected; emits nothing.
    void showDrives(const QList<Drive> &drives, int current);
};

} // namespace velmix
