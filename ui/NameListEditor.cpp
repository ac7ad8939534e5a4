#include "NameListEditor.h"

#include "LineNumberedEdit.h"
#include "Skin.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmix {

NameListEditor::NameListEditor(QWidget *parent, const QString &text, Take take)
    : QDialog(parent), m_take(std::move(take)), m_text(new LineNumberedEdit), m_problem(new QLabel)
{
    // A box like the window's others: no icon, a title saying what it holds, Russian
    // buttons; the text on the grid's cream.
    setObjectName(QStringLiteral("DlgNames"));
    setWindowTitle(Title);
    m_text->setObjectName(QStringLiteral("TxtNames"));
    m_text->setPlainText(text);
    QPalette colours = m_text->palette();
    colours.setColor(QPalette::Base, Skin::cream);
    colours.setColor(QPalette::Text, Qt::black);
    m_text->setPalette(colours);
    m_problem->setObjectName(QStringLiteral("LblListProblem"));
    m_problem->setTextFormat(Qt::PlainText);
    QPalette warning = m_problem->palette();
    warning.setColor(QPalette::WindowText, Skin::red);
    m_problem->setPalette(warning);
    m_problem->hide();
    auto *buttons = new QDialogButtonBox;
    QPushButton *apply = buttons->addButton(ApplyText, QDialogButtonBox::AcceptRole);
    apply->setObjectName(QStringLiteral("CmdApplyList"));
    buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    connect(apply, &QPushButton::clicked, this, &NameListEditor::CmdApply_Click);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(m_problem);
    layout->addWidget(buttons);
    resize(560, 480);
    m_text->setFocus();
}

void NameListEditor::CmdApply_Click()
{
    const ListOutcome outcome = m_take(m_text->toPlainText());
    if (outcome.taken()) {
        accept();
        return;
    }
    m_problem->setText(outcome.problem);
    m_problem->show();
    if (outcome.problemLine > 0)
        m_text->goToLine(outcome.problemLine);
}

} // namespace velmix
