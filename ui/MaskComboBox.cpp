#include "MaskComboBox.h"

#include <QLineEdit>
#include <QSignalBlocker>

namespace velmix {

MaskComboBox::MaskComboBox(QWidget *parent)
    : QComboBox(parent)
{
    setEditable(true);
    // The core decides which typed masks join the entries; nothing completes a mask half typed.
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    connect(lineEdit(), &QLineEdit::editingFinished, this, [this] {
        if (lineEdit()->text() != m_shown)
            Q_EMIT maskTyped(lineEdit()->text());
    });
}

void MaskComboBox::showMasks(const QStringList &masks, const QString &current)
{
    const QSignalBlocker blocker(this);
    for (qsizetype i = count(); i < masks.size(); ++i)
        addItem(masks[i]);
    setCurrentIndex(int(masks.indexOf(current)));
    setEditText(current);
    m_shown = current;
}

} // namespace velmix
