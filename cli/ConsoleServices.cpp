#include "ConsoleServices.h"

#include <unistd.h>

namespace velmix::cli {

using namespace Qt::StringLiterals;

void print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

void ConsoleMessageBox::showMessage(const QString &title, const QString &text)
{
    print(stderr, title + u'\n' + text + u"\n\n"_s);
}

bool ConsoleMessageBox::ask(const QString &title, const QString &text)
{
    print(stderr, title + u'\n' + text + (m_answer ? u"\nОтвет: да\n\n"_s : u"\nОтвет: нет\n\n"_s));
    return m_answer;
}

ConsoleWorkDisplay::ConsoleWorkDisplay()
    : m_terminal(::isatty(STDERR_FILENO) == 1)
{
}

void ConsoleWorkDisplay::workStarted(WorkKind kind, WorkProgress &progress)
{
    m_kind = kind;
    m_progress = &progress;
    if (m_stopped)
        progress.cancel();
}

void ConsoleWorkDisplay::stop()
{
    m_stopped = true;
    if (m_progress)
        m_progress->cancel();
}

void ConsoleWorkDisplay::showProgress()
{
    if (!m_terminal || !m_progress)
        return;
    QString what;
    switch (m_kind) {
    case WorkKind::ReadingFolder: what = u"Чтение папки"_s; break;
    case WorkKind::Renaming: what = u"Переименование"_s; break;
    case WorkKind::Undoing: what = u"Отмена"_s; break;
    case WorkKind::ReadingTags: what = u"Чтение дат и тегов"_s; break;
    case WorkKind::MatchingExpression: what = u"Поиск по выражению"_s; break;
    }
    const qsizetype total = m_progress->total();
    print(stderr, u"\r%1: %2"_s.arg(what).arg(m_progress->done()) + (total > 0 ? u" из %1"_s.arg(total) : QString()));
    std::fflush(stderr);
    m_shown = true;
}

void ConsoleWorkDisplay::workFinished()
{
    if (m_shown)
        print(stderr, u"\n"_s);
    m_shown = false;
    m_progress = nullptr;
}

} // namespace velmix::cli
