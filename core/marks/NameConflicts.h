#pragma once

#include "listing/FolderRules.h"
#include "marks/RenameFailure.h"
#include "text/NameColumn.h"

#include <QtGlobal>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace velmix {

// No row: a name no listed file holds, a row nobody waits on.
constexpr qint32 NoRow = -1;

// Rows by the hash of a name, with open addressing: a million names cost one array.
class NameIndex
{
public:
    void reserve(qsizetype names);
    // The row whose name `same` accepts among those stored with `hash`, or NoRow.
    template<typename Same>
    [[nodiscard]] qint32 find(size_t hash, Same same) const
    {
        if (m_slots.empty())
            return NoRow;
        for (size_t slot = hash & m_mask;; slot = (slot + 1) & m_mask) {
            const quint64 entry = m_slots[slot];
            if (entry == 0)
                return NoRow;
            const auto row = qint32(quint32(entry) - 1);
            if ((entry >> 32) == (hash >> 32 & 0xFFFFFFFF) && same(row))
                return row;
        }
    }
    void insert(size_t hash, qint32 row);
    // Asks for the slot of `hash` ahead of its use: large indexes live outside the cache.
    void prefetch(size_t hash) const
    {
        if (!m_slots.empty())
            __builtin_prefetch(&m_slots[hash & m_mask]);
    }

private:
    std::vector<quint64> m_slots; // upper half of the hash, row + 1; 0 is free
    size_t m_mask = 0;
};

// Where the names of a tree lie: per listed row and per unlisted entry the index of its
// folder, and per folder its rules (where empty, every folder has the tree's rules).
// Empty for one folder.
struct FolderLayout
{
    std::vector<quint32> listed;
    std::vector<quint32> unlisted;
    std::vector<FolderRules> rules;
};

// The names a folder holds, compared as its file system compares them: the listed files
// by row, and the entries the listing leaves out (hidden files, subfolders, files outside
// the mask, links that lead to no file). Built once per listing, so judging new names
// makes no system call. The listed names are taken as read from the folder.
class FolderNames
{
public:
    // With a layout, the names are those of a tree's folders: a name is held only in its
    // own folder, and judged by that folder's rules (case is the tree's alone).
    FolderNames(const NameColumn &listed, const FolderRules &rules, const NameColumn &unlisted = {},
                FolderLayout layout = {});

    [[nodiscard]] const NameColumn &listed() const { return m_listed; }
    [[nodiscard]] const FolderRules &rules() const { return m_rules; }
    // The listed row's folder, and that folder's rules.
    [[nodiscard]] quint32 folderOf(qint32 row) const { return m_layout.listed.empty() ? 0 : m_layout.listed[size_t(row)]; }
    [[nodiscard]] quint32 folderOfUnlisted(qsizetype entry) const
    {
        return m_layout.unlisted.empty() ? 0 : m_layout.unlisted[size_t(entry)];
    }
    [[nodiscard]] const FolderRules &rulesOf(qint32 row) const
    {
        return m_layout.rules.empty() ? m_rules : m_layout.rules[folderOf(row)];
    }
    // The listed names as they are compared: case-folded where case does not matter.
    [[nodiscard]] const NameColumn &listedKeys() const { return m_listedKeys.isEmpty() ? m_listed : m_listedKeys; }
    [[nodiscard]] size_t listedHash(qint32 row) const { return m_listedHashes[size_t(row)]; }
    // Whether `asking` names are best looked up in an index of the listed names, which is
    // then built (once, on first demand). One look-up per listed name among the names
    // asked for costs less where most names are asked for, and a one-time judgement (the
    // apply's, the command line's) then never indexes the whole folder.
    [[nodiscard]] bool looksUpListed(size_t asking) const;
    // The listed row of the folder whose name has the key, or NoRow; `hash` is the key's
    // within its folder (see hashIn). Only once looksUpListed said so.
    [[nodiscard]] qint32 rowHolding(QStringView key, size_t hash, quint32 folder = 0) const;
    [[nodiscard]] bool unlistedHolds(QStringView key, size_t hash, quint32 folder = 0) const;
    // The unlisted entries' names, case-folded where case does not matter.
    [[nodiscard]] const NameColumn &unlistedKeys() const { return m_unlistedKeys; }
    void prefetch(size_t hash) const { m_listedIndex->index.prefetch(hash); }
    // Whether the listed row's name can be written back to the folder as it is: a name
    // that cannot (a lone surrogate, a separator) gives no row to rename.
    [[nodiscard]] bool writable(qint32 row) const;
    // Whether any of its folders is one where moves may damage files.
    [[nodiscard]] bool anyUnsafe() const
    {
        return m_rules.movesDamageFiles
               || std::any_of(m_layout.rules.begin(), m_layout.rules.end(),
                              [](const FolderRules &rules) { return rules.movesDamageFiles; });
    }

private:
    NameColumn m_listed;
    FolderRules m_rules;
    FolderLayout m_layout;
    NameColumn m_listedKeys; // empty where the names are their own keys
    std::vector<size_t> m_listedHashes; // per row, its key's within its folder
    struct LazyIndex
    {
        std::once_flag once;
        std::atomic<bool> built = false;
        NameIndex index;
    };
    std::unique_ptr<LazyIndex> m_listedIndex = std::make_unique<LazyIndex>();
    NameColumn m_unlistedKeys;
    NameIndex m_unlistedIndex;
    std::vector<qint32> m_unwritable; // rows in order; nearly always none
};

// What the apply will make of one row's new name.
// PartnerStays: a file that goes together with one whose new name is refused.
enum class RowFate : quint8 { Stays, Moves, TargetExists, TakenByOtherRow, InvalidName, NotForWindows, UnsafeFolder, PartnerStays };

// Why the apply refuses a row of that fate; nothing for rows that stay or move.
[[nodiscard]] std::optional<RenameReason> refusalOf(RowFate fate);

struct NameJudgement
{
    std::vector<RowFate> fates;
    // Per moving row, the moving row whose file holds its new name, or NoRow; the rows
    // form simple chains and cycles, since each new name goes to one row only.
    std::vector<qint32> blockers;
    std::vector<qint32> waiters; // the reverse: the moving row waiting for this one, or NoRow

    // Working space, kept so that judging again on every key release reuses its memory.
    std::vector<size_t> hashes;
    std::vector<qint32> asking;
    NameIndex claimed;
};

// Decides, from the names alone, which rows move and why the others fail: unchanged rows
// stay; invalid and too long names fail, and so do names Windows cannot open on a
// folder of the Windows family; a repeated
// new name fails for every row after the first; a new name held by an unlisted entry or
// by a listed file that stays fails, and so does every row waiting on it in turn. The
// apply and the marks in the grid both decide by this. No row moves in a folder where
// moving a file may damage others (see FolderRules::movesDamageFiles).
[[nodiscard]] NameJudgement judgeNewNames(const FolderNames &folder, const NameColumn &newNames);
// The same into a judgement made before, whose memory it reuses.
void judgeNewNames(const FolderNames &folder, const NameColumn &newNames, NameJudgement &judgement);

} // namespace velmix
