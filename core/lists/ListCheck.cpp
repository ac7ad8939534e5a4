#include "lists/ListCheck.h"

#include "text/CappedList.h"
#include "text/NameColumn.h"
#include "text/VisibleText.h"

#include <QHash>
#include <QMultiHash>
#include <QSet>

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

// The rows a map's old names stand for. In a tree, a name with "/" is a path below the
// chosen folder; a bare one is the only file of that name the map names by no path (the
// chosen folder's own, in a saved list, which names every other by its path).
class OldNameRows
{
public:
    OldNameRows(const NameList &list, const NameColumn &currentNames, const RowPrefix &prefixOf)
        : m_prefixOf(prefixOf)
    {
        m_byName.reserve(currentNames.size());
        for (qsizetype row = 0; row < currentNames.size(); ++row)
            m_byName.insert(currentNames.at(row), row);
        if (!prefixOf)
            return;
        for (qsizetype row = 0; row < currentNames.size(); ++row) {
            if (QString path = prefixOf(row); !path.isEmpty())
                m_byPath.insert(path += currentNames.at(row), row);
        }
        for (const ListEntry &entry : list.entries) {
            if (const auto row = m_byPath.constFind(entry.oldName); row != m_byPath.cend())
                m_namedByPath.insert(*row);
        }
    }

    // The row, -1 for none; where a bare name could be several, `problem` says so.
    [[nodiscard]] qsizetype rowOf(const ListEntry &entry, QString &problem) const
    {
        if (m_prefixOf && entry.oldName.contains(u'/'))
            return m_byPath.value(entry.oldName, -1);
        QList<qsizetype> namesakes = m_byName.values(entry.oldName);
        std::sort(namesakes.begin(), namesakes.end()); // the hash gives the last row first
        if (!m_prefixOf || namesakes.size() <= 1)
            return namesakes.isEmpty() ? -1 : namesakes.first();
        QList<qsizetype> open;
        for (const qsizetype row : namesakes) {
            if (!m_namedByPath.contains(row))
                open.append(row);
        }
        if (open.size() == 1)
            return open.first();
        problem = u"строка %1: «%2» есть в папках таблицы (%3) — укажите путь от выбранной папки, например «%4»"_s
                      .arg(entry.line)
                      .arg(withControlPictures(entry.oldName))
                      .arg(namesakes.size())
                      .arg(withControlPictures(m_prefixOf(open.isEmpty() ? namesakes.last() : open.last()) + entry.oldName));
        return -1;
    }

    // The new name without its row's folder; empty, `problem` set, where it names another.
    [[nodiscard]] QString newNameOf(const ListEntry &entry, qsizetype row, QString &problem) const
    {
        if (!m_prefixOf || !entry.newName.contains(u'/'))
            return entry.newName;
        const QString prefix = m_prefixOf(row);
        const QStringView name = QStringView(entry.newName).sliced(entry.newName.startsWith(prefix) ? prefix.size() : 0);
        if (!prefix.isEmpty() && entry.newName.startsWith(prefix) && !name.contains(u'/'))
            return name.toString();
        problem = u"строка %1: «%2» — в другой папке, чем «%3»; список не переносит файлы между папками"_s
                      .arg(entry.line)
                      .arg(withControlPictures(entry.newName), withControlPictures(entry.oldName));
        return {};
    }

private:
    const RowPrefix &m_prefixOf;
    QMultiHash<QStringView, qsizetype> m_byName;
    QHash<QString, qsizetype> m_byPath; // the rows of subfolders
    QSet<qsizetype> m_namedByPath;
};

ListOutcome byOldName(const NameList &list, const NameColumn &currentNames, const NameColumn &newNames,
                      const RowPrefix &prefixOf)
{
    ListOutcome outcome;
    const OldNameRows rows(list, currentNames, prefixOf);
    QHash<QString, qsizetype> lineOf; // each old name's first line
    QHash<qsizetype, const ListEntry *> entryOf; // each row's entry, where a path and a bare name meet
    std::vector<const ListEntry *> unmatched;
    const auto refuse = [&](const ListEntry &entry, QString problem) {
        outcome.problem = std::move(problem);
        outcome.problemLine = entry.line;
        return outcome;
    };
    for (const ListEntry &entry : list.entries) {
        if (const auto seen = lineOf.constFind(entry.oldName); seen != lineOf.cend())
            return refuse(entry, u"строка %1: «%2» уже есть в строке %3"_s.arg(entry.line)
                                     .arg(withControlPictures(entry.oldName))
                                     .arg(*seen));
        lineOf.insert(entry.oldName, entry.line);
        QString problem;
        const qsizetype row = rows.rowOf(entry, problem);
        if (!problem.isEmpty())
            return refuse(entry, problem);
        if (row < 0) {
            unmatched.push_back(&entry);
            continue;
        }
        if (const auto seen = entryOf.constFind(row); seen != entryOf.cend())
            return refuse(entry, u"строка %1: «%2» — тот же файл, что «%3» в строке %4"_s.arg(entry.line)
                                     .arg(withControlPictures(entry.oldName), withControlPictures((*seen)->oldName))
                                     .arg((*seen)->line));
        entryOf.insert(row, &entry);
        ListEntry named = entry;
        named.newName = rows.newNameOf(entry, row, problem);
        if (!problem.isEmpty())
            return refuse(entry, problem);
        if (!takeEntry(outcome, named, row, newNames))
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

ListOutcome checkList(const NameList &list, const NameColumn &currentNames, const NameColumn &newNames, ListPlace place,
                      const RowPrefix &prefixOf)
{
    if (!list.problem.isEmpty())
        return {list.problem, 0, {}, 0, {}};
    // A list by row names the rows' files in their order: names alone, in any listing.
    return list.kind == NameList::Kind::ByRow ? byRow(list, newNames, place)
                                              : byOldName(list, currentNames, newNames, prefixOf);
}

} // namespace velmix
