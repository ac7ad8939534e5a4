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
           const SubSecondOf &subSecondOf, const std::vector<bool> &folderRows, const std::vector<quint32> &groupLeads)
        : m_folder(folder), m_newNames(newNames), m_judgement(judgement), m_choice(choice)
        , m_subSecondOf(subSecondOf), m_folderRows(folderRows), m_groupLeads(groupLeads)
        , m_ignoresCase(folder.rules().ignoresCase)
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
                if (!fixes.contains(row)) // a partner of a row fixed before it
                    fixFreeNames(row, fixes);
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

    // The row with the files that go with it, each with its new name's stem (a folder's
    // whole name) and extension.
    struct Member
    {
        qint32 row;
        QString stem;
        QString extension;
    };
    std::vector<Member> membersOf(qint32 row) const
    {
        // A group's rows stand together, behind its first.
        const qint32 lead = size_t(row) < m_groupLeads.size() ? qint32(m_groupLeads[size_t(row)]) : row;
        std::vector<Member> members;
        for (qint32 member = lead;
             member == lead || (size_t(member) < m_groupLeads.size() && m_groupLeads[size_t(member)] == quint32(lead));
             ++member) {
            const QStringView name = m_newNames.at(member);
            const bool folderRow = size_t(member) < m_folderRows.size() && m_folderRows[size_t(member)];
            const qsizetype stemLength = folderRow ? name.size() : lengthBeforeExtension(name);
            members.push_back({member, name.first(stemLength).toString(), name.sliced(stemLength).toString()});
        }
        return members;
    }

    // Claims names for the row and its partners, the same added to each stem: its
    // sub-second where asked and free, else the first free number (after the sub-second,
    // where there is one); none for a first row of a burst without a sub-second of its own.
    void fixFreeNames(qint32 row, QHash<qint32, QString> &fixes)
    {
        const std::vector<Member> members = membersOf(row);
        const auto claimed = [&](const QString &added) {
            if (!claimAll(members, added))
                return false;
            for (const Member &member : members)
                fixes.insert(member.row, member.stem + added + member.extension);
            return true;
        };
        QString subSecond;
        if (m_choice.rule == ConflictRule::SubSecond) {
            subSecond = m_subSecondOf ? m_subSecondOf(row) : QString();
            if (!subSecond.isEmpty()) {
                subSecond.prepend(u'_');
                if (claimed(subSecond))
                    return;
            } else if (!isTaken(fate(row))) {
                return;
            }
        }
        const QString pattern = m_choice.numberPattern();
        const Member &own = *std::find_if(members.begin(), members.end(), [&](const Member &m) { return m.row == row; });
        int &next = m_nextNumber[key(row, own.stem + subSecond + own.extension)];
        for (next = std::max(next, 2);; ++next) {
            if (claimed(subSecond + numberedPattern(pattern, next))) {
                ++next;
                return;
            }
        }
    }

    // Every member's stem with `added` and its own extension, where all are free.
    bool claimAll(const std::vector<Member> &members, const QString &added)
    {
        QStringList keys;
        for (const Member &member : members) {
            keys.append(key(member.row, member.stem + added + member.extension));
            if (m_held.contains(keys.last()))
                return false;
        }
        for (const QString &nameKey : std::as_const(keys))
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
    const std::vector<quint32> &m_groupLeads;
    const bool m_ignoresCase;
    QSet<QString> m_held;
    QHash<QString, qint32> m_listedRow;
    QHash<QString, int> m_nextNumber; // per name numbered, the number to try next
    std::vector<qint32> m_fixed;
};

} // namespace

std::vector<qint32> fixTakenNames(const FolderNames &folder, NameColumn &newNames, NameJudgement &judgement,
                                  const ConflictChoice &choice, const SubSecondOf &subSecondOf,
                                  const std::vector<bool> &folderRows, const std::vector<quint32> &groupLeads)
{
    if (!choice.fixes())
        return {};
    return Fixing(folder, newNames, judgement, choice, subSecondOf, folderRows, groupLeads).run();
}

} // namespace velmix
