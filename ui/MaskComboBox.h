#pragma once

#include <QComboBox>

namespace velmix {

// The mask list, which also takes a mask typed into it: on Enter or when the focus
// leaves, a text other than the mask shown is told as typed.
class MaskComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit MaskComboBox(QWidget *parent = nullptr);

    // Shows the entries (which only ever grow) and the mask in use; emits nothing.
    void showMasks(const QStringList &masks, const QString &current);

Q_SIGNALS:
    void maskTyped(const QString &text);

private:
    QString m_shown;
};

} // namespace velmix
