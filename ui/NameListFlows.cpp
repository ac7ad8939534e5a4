#include "NameListFlows.h"

#include "MessageBox.h"
#include "NameListEditor.h"
#include "lists/NameLists.h"
#include "preview/PreviewSession.h"

#include <QDir>
#include <QFileDialog>

namespace velmix {

using namespace Qt::StringLiterals;

NameListFlows::NameListFlows(QWidget *window, PreviewSession &preview, MessageBox &messages,
                             std::function<void(const QString &)> status)
    : QObject(window), m_window(window), m_preview(preview), m_messages(messages), m_status(std::move(status))
{
}

void NameListFlows::tell(const ListOutcome &outcome, const QString &what)
{
    if (!outcome.taken()) {
        m_status(outcome.problem);
        return;
    }
    m_status(outcome.changed.empty() ? u"Список не изменил ни одного имени"_s
                                     : u"%1: %2"_s.arg(what).arg(outcome.changed.size()));
    if (outcome.unmatched > 0)
        m_messages.showMessage(Title, outcome.unmatchedText());
}

void NameListFlows::editList()
{
    if (!m_preview.table().holdsFiles())
        return;
    auto *editor = new NameListEditor(m_window, NameLists::editorText(m_preview.table()), [this](const QString &text) {
        const ListOutcome outcome = NameLists::take(m_preview, readNameLines(text));
        if (outcome.taken())
            tell(outcome, u"Изменено имён из списка"_s);
        return outcome;
    });
    editor->setAttribute(Qt::WA_DeleteOnClose);
    editor->open();
}

void NameListFlows::paste(int row, const QString &text)
{
    if (!m_preview.table().holdsFiles() || text.isEmpty())
        return;
    tell(NameLists::take(m_preview, readNameLines(text), {row, false}), u"Вставлено имён"_s);
}

void NameListFlows::namesFromFile()
{
    if (!m_preview.table().holdsFiles())
        return;
    const QString path = QFileDialog::getOpenFileName(m_window, u"Имена из файла"_s, QDir::homePath(),
                                                      u"Списки (*.txt *.tsv *.csv);;Все файлы (*)"_s);
    if (!path.isEmpty())
        takeFile(path);
}

void NameListFlows::takeFile(const QString &path)
{
    tell(NameLists::take(m_preview, NameLists::readFile(path)), u"Взято имён из файла"_s);
}

void NameListFlows::saveList()
{
    if (!m_preview.table().holdsFiles())
        return;
    const QString path = QFileDialog::getSaveFileName(m_window, u"Сохранить список"_s,
                                                      QDir::home().filePath(u"имена.tsv"_s), u"TSV (*.tsv)"_s);
    if (path.isEmpty())
        return;
    const QString problem = NameLists::writeTsv(path, m_preview.table());
    if (problem.isEmpty())
        m_status(u"Список сохранён: %1"_s.arg(QDir::toNativeSeparators(path)));
    else
        m_messages.showMessage(Title, problem);
}

} // namespace velmix
