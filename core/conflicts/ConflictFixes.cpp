#include "conflicts/ConflictFixes.h"

#include "text/FileExtension.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace velmix {
namespace {

using namespace Qt::StringLiterals;

bool isTaken(RowFate fate)
{
    return fate == RowFate::TargetExists || fate == RowFate::TakenByOtherRow;
}

// A judging that finds nothing to fix in this many rounds leaves the rest marked; one
// round frees a chain of files waiting on one another, a second is seldom needed.
constexpr int Rounds = 4;

class Fixing
{
public:
    Fixing(const FolderNames &folder, NameColumn &newNames, NameJudgement &judgement, const ConflictChoice &choice,
           const SubSecondOf &subSecondOf, const std::vector<bool> &folderRows)
        : m_folder(folder), m_newNames(newNames), m_judgement(judgement), m_choice(choice)
        , m_subSecondOf(subSecondOf), m_folderRows(folderRows), m_ignoresCase(folder.rules().ignoresCase)
    {
    }

    std::vector<qint32> run()
    {
        if (std::none_of(m_judgement.fates.begin(), m_judgement.fates.end(), isTaken))
            return {};
        holdFolderNames();
        for (int round = 0; round < Rounds; ++round) {
            std::vector<qint32> rows = rowsToFix();
            if (rows.empty())
                break;
            QHash<qint32, QString> fixes;
            for (const qint32 row : rows) {
                const QString name = freeNameFor(row);
                if (!name.isEmpty())
                    fixes.insert(row, name);
            }
            if (fixes.isEmpty())
                break;
            rewrite(fixes);
            for (auto it = fixes.cbegin(); it != fixes.cend(); ++it)
                m_fixed.push_back(it.key());
            std::sort(m_fixed.begin(), m_fixed.end());
            judgeNewNames(m_folder, m_newNames, m_judgement);
        }
        return m_fixed;
    }

private:
    // A name as its folder compares it, with the folder's number before it: a name holds
    // only in its own folder, and no name holds a "/".
    [[nodiscard]] QString keyIn(quint32 folder, QStringView name) const
    {
        return QString::number(folder) + u'/' + (m_ignoresCase ? name.toString().toCaseFolded() : name.toString());
    }
    [[nodiscard]] QString key(qint32 row, QStringView name) const { return keyIn(m_folder.folderOf(row), name); }
    [[nodiscard]] bool fixed(qint32 row) const { return std::binary_search(m_fixed.begin(), m_fixed.end(), row); }
    [[nodiscard]] RowFate fate(qint32 row) const { return m_judgement.fates[size_t(row)]; }

    // No fixed name may take a name any listed file, any unlisted entry or any row's new
    // name holds: a file that moves away frees its name only once the apply has run.
    void holdFolderNames()
    {
        const NameColumn &listed = m_folder.listed();
        for (qint32 row = 0; row < qint32(listed.size()); ++row) {
            m_listedRow.insert(key(row, listed.at(row)), row);
            m_held.insert(key(row, listed.at(row)));
            m_held.insert(key(row, m_newNames.at(row)));
        }
        const NameColumn &unlisted = m_folder.unlistedKeys();
        for (qsizetype i = 0; i < unlisted.size(); ++i)
            m_held.insert(QString::number(m_folder.folderOfUnlisted(i)) + u'/' + unlisted.at(i).toString());
    }

    // The taken rows not fixed yet, but those waiting on a listed file that is taken
    // itself: that file gets a free name and leaves theirs. For sub-seconds, the first
    // row asking for each name taken joins its burst.
    std::vector<qint32> rowsToFix()
    {
        std::vector<qint32> rows;
        std::vector<qint32> waiting;
        QSet<QString> burstNames;
        for (qint32 row = 0; row < qint32(m_judgement.fates.size()); ++row) {
            if (!isTaken(fate(row)) || fixed(row))
                continue;
            if (fate(row) == RowFate::TargetExists) {
                const qint32 holder = m_listedRow.value(key(row, m_newNames.at(row)), NoRow);
                if (holder != NoRow && holder != row && isTaken(fate(holder)) && !fixed(holder)) {
                    waiting.push_back(row);
                    continue;
                }
            } else if (m_choice.rule == ConflictRule::SubSecond) {
                burstNames.insert(key(row, m_newNames.at(row)));
            }
            rows.push_back(row);
        }
        if (rows.empty())
            return waiting; // files waiting on one another in a ring: none can wait
        if (!burstNames.isEmpty()) {
            for (qint32 row = 0; row < qint32(m_judgement.fates.size()); ++row) {
                if (fate(row) == RowFate::Moves && !fixed(row) && burstNames.contains(key(row, m_newNames.at(row))))
                    rows.push_back(row);
            }
            std::sort(rows.begin(), rows.end());
        }
        return rows;
    }

    // Claims a name for the row: its sub-second where asked and free, else the first free
    // number; empty for a first row of a burst that has no sub-second of its own.
    QString freeNameFor(qint32 row)
    {
        const QStringView name = m_newNames.at(row);
        const bool folderRow = size_t(row) < m_folderRows.size() && m_folderRows[size_t(row)];
        const qsizetype stemLength = folderRow ? name.size() : lengthBeforeExtension(name);
        QString stem = name.first(stemLength).toString();
        const QString extension = name.sliced(stemLength).toString();
        if (m_choice.rule == ConflictRule::SubSecond) {
            const QString subSecond = m_subSecondOf ? m_subSecondOf(row) : QString();
            if (!subSecond.isEmpty()) {
                stem += u'_' + subSecond;
                if (claim(row, stem + extension))
                    return stem + extension;
            }
            if (!isTaken(fate(row)) && subSecond.isEmpty())
                return {};
        }
        const QString pattern = m_choice.numberPattern();
        int &next = m_nextNumber[key(row, stem + extension)];
        for (next = std::max(next, 2);; ++next) {
            const QString candidate = stem + numberedPattern(pattern, next) + extension;
            if (claim(row, candidate)) {
                ++next;
                return candidate;
            }
        }
    }

    bool claim(qint32 row, const QString &name)
    {
        const QString nameKey = key(row, name);
        if (m_held.contains(nameKey))
            return false;
        m_held.insert(nameKey);
        return true;
    }

    void rewrite(const QHash<qint32, QString> &fixes)
    {
        NameColumn names;
        for (qint32 row = 0; row < qint32(m_newNames.size()); ++row) {
            const auto fix = fixes.constFind(row);
            names.append(fix == fixes.cend() ? m_newNames.at(row) : QStringView(*fix));
        }
        m_newNames = std::move(names);
    }

    const FolderNames &m_folder;
    NameColumn &m_newNames;
    NameJudgement &m_judgement;
    const ConflictChoice &m_choice;
    const SubSecondOf &m_subSecondOf;
    const std::vector<bool> &m_folderRows;
    const bool m_ignoresCase;
    QSet<QString> m_held;
    QHash<QString, qint32> m_listedRow;
    QHash<QString, int> m_nextNumber; // per name numbered, the number to try next
    std::vector<qint32> m_fixed;
};

} // namespace

std::vector<qint32> fixTakenNames(const FolderNames &folder, NameColumn &newNames, NameJudgement &judgement,
                                  const ConflictChoice &choice, const SubSecondOf &subSecondOf,
                                  const std::vector<bool> &folderRows)
{
    if (!choice.fixes())
        return {};
    return Fixing(folder, newNames, judgement, choice, subSecondOf, folderRows).run();
}

} // namespace velmix
