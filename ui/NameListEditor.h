#pragma once

#include "lists/ListCheck.h"

#include <QDialog>

#include <functional>

class QLabel;

namespace velmix {

class LineNumberedEdit;

// "Список имён": every new name, one a line, to edit as text. "Применить к таблице" hands
// the text to `take`; a list that does not fit is told below the text, the cursor on its
// line, and the box stays open; one taken closes it.
class NameListEditor : public QDialog
{
    Q_OBJECT

public:
    using Take = std::function<ListOutcome(const QString &text)>;
    NameListEditor(QWidget *parent, const QString &text, Take take);

    static inline const QString Title = QStringLiteral("Список имён");
    static inline const QString ApplyText = QStringLiteral("Применить к таблице");

private:
    void CmdApply_Click();

    Take m_take;
    LineNumberedEdit *m_text;
    QLabel *m_problem;
};

} // namespace velmix
