#include "lists/ListCheck.h"

#include "text/CappedList.h"
#include "text/NameColumn.h"
#include "text/VisibleText.h"

#include <QHash>

#include <algorithm>

namespace velmix {
namespace {

using namespace Qt::StringLiterals;

bool isControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

// Why a line's name cannot be a file's name; empty where it can.
QString badName(const ListEntry &entry)
{
    if (entry.newName.isEmpty())
        return u"строка %1 пустая"_s.arg(entry.line);
    if (entry.newName.contains(u'/'))
        return u"строка %1: в имени «%2» есть «/»"_s.arg(entry.line).arg(withControlPictures(entry.newName));
    if (std::any_of(entry.newName.cbegin(), entry.newName.cend(), isControl))
        return u"строка %1: в имени «%2» есть управляющий знак"_s.arg(entry.line).arg(withControlPictures(entry.newName));
    return {};
}

// Takes the entry for a row where it changes the row's new name; false, the reason kept,
// where its name is none.
bool takeEntry(ListOutcome &outcome, const ListEntry &entry, qsizetype row, const NameColumn &newNames)
{
    // Pictures are made only for a name that holds a control character: a list of
    // 100,000 lines then compares without a copy per row.
    const QStringView shown = newNames.at(row);
    if (entry.newName == shown
        || (std::any_of(shown.cbegin(), shown.cend(), isControl) && entry.newName == withControlPictures(shown)))
        return true;
    outcome.problem = badName(entry);
    if (!outcome.problem.isEmpty()) {
        outcome.problemLine = entry.line;
        return false;
    }
    outcome.changed.emplace_back(row, entry.newName);
    return true;
}

ListOutcome byRow(const NameList &list, const NameColumn &newNames, ListPlace place)
{
    ListOutcome outcome;
    const auto lines = qsizetype(list.entries.size());
    const qsizetype rows = newNames.size() - place.firstRow;
    if (place.wholeTable && lines != rows)
        outcome.problem = u"строк в списке: %1, а файлов в таблице: %2"_s.arg(lines).arg(rows);
    else if (lines > rows)
        outcome.problem = u"строк в списке: %1, а строк таблицы от текущей до конца: %2"_s.arg(lines).arg(rows);
    for (qsizetype i = 0; i < lines && outcome.taken(); ++i)
        (void)takeEntry(outcome, list.entries[size_t(i)], place.firstRow + i, newNames);
    return outcome;
}

ListOutcome byOldName(const NameList &list, const NameColumn &currentNames, const NameColumn &newNames)
{
    ListOutcome outcome;
    QHash<QStringView, qsizetype> rowOf;
    rowOf.reserve(currentNames.size());
    for (qsizetype row = 0; row < currentNames.size(); ++row)
        rowOf.insert(currentNames.at(row), row);
    QHash<QString, qsizetype> lineOf; // each old name's first line
    std::vector<const ListEntry *> unmatched;
    for (const ListEntry &entry : list.entries) {
        if (const auto seen = lineOf.constFind(entry.oldName); seen != lineOf.cend()) {
            outcome.problem = u"строка %1: «%2» уже есть в строке %3"_s.arg(entry.line)
                                  .arg(withControlPictures(entry.oldName))
                                  .arg(*seen);
            outcome.problemLine = entry.line;
            return outcome;
        }
        lineOf.insert(entry.oldName, entry.line);
        const auto row = rowOf.constFind(entry.oldName);
        if (row == rowOf.cend())
            unmatched.push_back(&entry);
        else if (!takeEntry(outcome, entry, *row, newNames))
            return outcome;
    }
    std::sort(outcome.changed.begin(), outcome.changed.end());
    outcome.unmatched = qsizetype(unmatched.size());
    outcome.unmatchedLines = cappedList(outcome.unmatched, [&](qsizetype i) {
        return QStringList{u"строка %1: «%2»"_s.arg(unmatched[size_t(i)]->line).arg(withControlPictures(unmatched[size_t(i)]->oldName))};
    });
    return outcome;
}

} // namespace

QString ListOutcome::unmatchedText() const
{
    if (unmatched == 0)
        return {};
    return u"Этих имён из списка нет в таблице (%1), их строки пропущены:\n"_s.arg(unmatched) + unmatchedLines.join(u'\n');
}

ListOutcome checkList(const NameList &list, const NameColumn &currentNames, const NameColumn &newNames, ListPlace place)
{
    if (!list.problem.isEmpty())
        return {list.problem, 0, {}, 0, {}};
    return list.kind == NameList::Kind::ByRow ? byRow(list, newNames, place) : byOldName(list, currentNames, newNames);
}

} // namespace velmix
