#include "SummaryNotice.h"

#include "apply/BatchReport.h"

#include <QStringList>

namespace velmix::cli {
namespace {

using namespace Qt::StringLiterals;

// The folder as a shell takes it, whatever its characters.
QString shellQuoted(const QString &path)
{
    return u'\'' + QString(path).replace(u"'"_s, u"'\\''"_s) + u'\'';
}

} // namespace

SummaryNotice SummaryNotice::of(const BatchReport &report, const QString &undoFolder)
{
    QStringList lines;
    for (const BatchReport::Box &box : report.boxes())
        lines += box.text.split(u'\n');
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (lines.size() > MostLines) {
        const qsizetype more = lines.size() - (MostLines - 1);
        lines.resize(MostLines - 1);
        lines.append(u"…и ещё строк: %1"_s.arg(more));
    }
    if (!undoFolder.isEmpty())
        lines.append(u"Вернуть прежние имена: «Отменить» или velmix --undo "_s + shellQuoted(undoFolder));
    if (report.summary.isEmpty() && lines.isEmpty())
        return {};
    return {report.summary.isEmpty() ? lines.takeFirst() : report.summary, lines.join(u'\n')};
}

} // namespace velmix::cli
