#include "marks/NameConflicts.h"

#include "text/FileNameCodec.h"
#include "work/AsyncTask.h"

#include <QHash>

#include <algorithm>
#include <bit>
#include <cstring>

namespace velmix {
namespace {

constexpr qint32 HeldByUnlisted = -2;

// A name decoded from the folder is its own key where case matters. Other names (a
// typed escape can spell the same bytes as a real character) go through their bytes,
// and are case-folded where case does not matter.
bool isOwnKey(QStringView name, bool ignoresCase)
{
    if (ignoresCase)
        return false;
    for (QChar c : name) {
        if (FileNameCodec::isEscape(c.unicode()))
            return false;
    }
    return true;
}

QString keyOf(QStringView name, bool ignoresCase)
{
    const std::optional<QByteArray> bytes = FileNameCodec::encode(name);
    QString key = bytes ? FileNameCodec::decode(*bytes) : name.toString();
    return ignoresCase ? key.toCaseFolded() : key;
}

// Eight bytes at a time; good enough to spread names over the index, and far cheaper
// than a general-purpose hash on a million names.
size_t hashOf(QStringView key)
{
    const auto *bytes = reinterpret_cast<const char *>(key.utf16());
    size_t size = size_t(key.size()) * sizeof(char16_t);
    quint64 hash = 0x9E3779B97F4A7C15ull ^ size;
    for (; size >= 8; bytes += 8, size -= 8) {
        quint64 chunk;
        std::memcpy(&chunk, bytes, 8);
        hash = std::rotl((hash ^ chunk) * 0xBF58476D1CE4E5B9ull, 31);
    }
    quint64 tail = 0;
    std::memcpy(&tail, bytes, size);
    hash = (hash ^ tail) * 0x94D049BB133111EBull;
    return size_t(hash ^ (hash >> 29));
}

// A key's hash within its folder: the same name in two folders is two names. The
// chosen folder's own names keep their plain hash.
size_t hashIn(size_t hash, quint32 folder)
{
    return hash ^ (quint64(folder) * 0x9E3779B97F4A7C15ull);
}

// The keys of a column, or nothing where every name is its own key.
NameColumn keysOf(const NameColumn &names, bool ignoresCase, bool always)
{
    bool own = !always;
    for (qsizetype row = 0; own && row < names.size(); ++row)
        own = isOwnKey(names.at(row), ignoresCase);
    NameColumn keys;
    if (own)
        return keys;
    for (qsizetype row = 0; row < names.size(); ++row)
        keys.append(isOwnKey(names.at(row), ignoresCase) ? names.at(row).toString() : keyOf(names.at(row), ignoresCase));
    return keys;
}

void indexAll(NameIndex &index, const NameColumn &keys, const std::vector<quint32> &folders)
{
    index.reserve(keys.size());
    for (qsizetype row = 0; row < keys.size(); ++row)
        index.insert(hashIn(hashOf(keys.at(row)), folders.empty() ? 0 : folders[size_t(row)]), qint32(row));
}

// What one pass over a name tells: its size in bytes on disk (-1 when it cannot be
// written there at all, or holds a separator or a null), and whether it holds an escape.
struct NameScan
{
    qsizetype bytes = 0;
    bool escapes = false;
};

NameScan scan(QStringView name)
{
    NameScan result;
    // Most names are ASCII without the two characters no name may hold: one pass without
    // a branch per character tells, and then the size is the length.
    const char16_t *units = name.utf16();
    unsigned odd = 0;
    for (qsizetype i = 0; i < name.size(); ++i)
        odd |= unsigned(unsigned(units[i]) - 1 >= 0x7F) | unsigned(units[i] == u'/');
    if (odd == 0)
        return {name.size(), false};
    int spanned = 1;
    for (qsizetype i = 0; i < name.size(); i += spanned) {
        const char16_t unit = name[i].unicode();
        const int bytes = FileNameCodec::encodedSize(name, i, spanned);
        if (bytes == 0 || unit == u'/' || unit == 0)
            return {-1, false};
        result.bytes += bytes;
        result.escapes = result.escapes || FileNameCodec::isEscape(unit);
    }
    return result;
}

} // namespace

void NameIndex::reserve(qsizetype names)
{
    const size_t slots = std::bit_ceil(size_t(names) * 2 + 2);
    m_slots.assign(slots, 0); // reuses the memory it holds
    m_mask = slots - 1;
}

void NameIndex::insert(size_t hash, qint32 row)
{
    size_t slot = hash & m_mask;
    while (m_slots[slot] != 0)
        slot = (slot + 1) & m_mask;
    m_slots[slot] = (quint64(hash >> 32 & 0xFFFFFFFF) << 32) | (quint32(row) + 1);
}

FolderNames::FolderNames(const NameColumn &listed, const FolderRules &rules, const NameColumn &unlisted,
                         FolderLayout layout)
    : m_listed(listed)
    , m_rules(rules)
    , m_layout(std::move(layout))
    , m_listedKeys(keysOf(listed, rules.ignoresCase, false))
    , m_unlistedKeys(keysOf(unlisted, rules.ignoresCase, true))
{
    indexAll(m_unlistedIndex, m_unlistedKeys, m_layout.unlisted);
    const NameColumn &keys = listedKeys();
    m_listedHashes.reserve(size_t(keys.size()));
    for (qsizetype row = 0; row < keys.size(); ++row)
        m_listedHashes.push_back(hashIn(hashOf(keys.at(row)), folderOf(qint32(row))));
    for (qsizetype row = 0; row < m_listed.size(); ++row) {
        if (scan(m_listed.at(row)).bytes < 0)
            m_unwritable.push_back(qint32(row));
    }
}

bool FolderNames::writable(qint32 row) const
{
    return !std::binary_search(m_unwritable.begin(), m_unwritable.end(), row);
}

bool FolderNames::looksUpListed(size_t asking) const
{
    if (!m_listedIndex->built.load(std::memory_order_acquire) && asking * 8 >= size_t(m_listed.size()))
        return false;
    std::call_once(m_listedIndex->once, [this] {
        m_listedIndex->index.reserve(m_listed.size());
        for (qsizetype row = 0; row < m_listed.size(); ++row)
            m_listedIndex->index.insert(m_listedHashes[size_t(row)], qint32(row));
        m_listedIndex->built.store(true, std::memory_order_release);
    });
    return true;
}

qint32 FolderNames::rowHolding(QStringView key, size_t hash, quint32 folder) const
{
    const NameColumn &keys = listedKeys();
    return m_listedIndex->index.find(hash, [&](qint32 row) { return keys.at(row) == key && folderOf(row) == folder; });
}

bool FolderNames::unlistedHolds(QStringView key, size_t hash, quint32 folder) const
{
    return m_unlistedIndex.find(hash, [&](qint32 row) {
               return m_unlistedKeys.at(row) == key
                      && (m_layout.unlisted.empty() ? 0 : m_layout.unlisted[size_t(row)]) == folder;
           }) != NoRow;
}

std::optional<RenameReason> refusalOf(RowFate fate)
{
    switch (fate) {
    case RowFate::Stays:
    case RowFate::Moves: return std::nullopt;
    case RowFate::TargetExists: return RenameReason::TargetExists;
    case RowFate::TakenByOtherRow: return RenameReason::TakenByOtherRow;
    case RowFate::InvalidName: return RenameReason::InvalidName;
    case RowFate::NotForWindows: return RenameReason::NotForWindows;
    case RowFate::UnsafeFolder: return RenameReason::UnsafeFolder;
    case RowFate::PartnerStays: return RenameReason::PartnerStays;
    }
    return std::nullopt;
}

NameJudgement judgeNewNames(const FolderNames &folder, const NameColumn &newNames)
{
    NameJudgement judgement;
    judgeNewNames(folder, newNames, judgement);
    return judgement;
}

namespace {

// One judging of new names against a folder: collect the rows that ask for another name,
// let each claim its name, then pass on the names held for good.
class Judging
{
public:
    Judging(const FolderNames &folder, const NameColumn &newNames, NameJudgement &judgement)
        : m_folder(folder), m_current(folder.listed()), m_newNames(newNames), m_rules(folder.rules())
        , m_judgement(judgement)
        , m_foldedKeys(m_rules.ignoresCase ? keysOf(newNames, true, true) : NameColumn())
    {
        const size_t rows = size_t(m_current.size());
        judgement.fates.assign(rows, RowFate::Stays);
        judgement.blockers.assign(rows, NoRow);
        judgement.waiters.assign(rows, NoRow);
        judgement.hashes.resize(rows);
        judgement.asking.clear();
    }

    // The rows whose new name differs, with their keys' hashes, in the order of the rows;
    // names no file can have fail here. A large table in two parts, the second on another
    // core: what a row's name tells depends on that row alone.
    void collectTargets()
    {
        const qsizetype rows = m_current.size();
        const qsizetype half = rows >= PartedRows ? rows / 2 : rows;
        std::vector<qint32> &asking = m_judgement.asking;
        std::vector<qint32> secondAsking, escaped, secondEscaped;
        std::optional<AsyncTask<void>> second;
        if (half < rows)
            second.emplace([&] { collectRows(half, rows, secondAsking, secondEscaped); });
        collectRows(0, half, asking, escaped);
        if (second) {
            second->take();
            asking.insert(asking.end(), secondAsking.begin(), secondAsking.end());
            escaped.insert(escaped.end(), secondEscaped.begin(), secondEscaped.end());
        }
        if (!escaped.empty())
            keyEscapedRows(escaped);
    }

    // The rows from `from` up to `to`: a row asking for another name goes to `asking`
    // with its key's hash, and also to `escaped` where its name holds an escape, whose
    // key is made afterwards, one row at a time.
    void collectRows(qsizetype from, qsizetype to, std::vector<qint32> &asking, std::vector<qint32> &escaped)
    {
        for (qsizetype row = from; row < to; ++row) {
            const QStringView target = m_newNames.at(row);
            if (target == m_current.at(row))
                continue;
            const NameScan name = scan(target);
            if (name.bytes <= 0 || !nameFits(target, name.bytes, m_folder.rulesOf(qint32(row))) || target == u"."
                || target == u".."
                || !m_folder.writable(qint32(row))) {
                fate(row) = RowFate::InvalidName;
                continue;
            }
            if (name.escapes)
                escaped.push_back(qint32(row));
            else
                m_judgement.hashes[size_t(row)] = hashIn(hashOf(keyAt(qint32(row))), m_folder.folderOf(qint32(row)));
            asking.push_back(qint32(row));
        }
    }

    // Rows whose new names hold escapes: another spelling of the same bytes stays, the
    // others are keyed by their bytes.
    void keyEscapedRows(const std::vector<qint32> &escaped)
    {
        std::vector<qint32> same;
        for (const qint32 row : escaped) {
            const QStringView target = m_newNames.at(row);
            if (FileNameCodec::encode(target) == FileNameCodec::encode(m_current.at(row))) {
                same.push_back(row);
                continue;
            }
            if (!m_rules.ignoresCase)
                m_escapedKeys.insert(row, keyOf(target, false));
            m_judgement.hashes[size_t(row)] = hashIn(hashOf(keyAt(row)), m_folder.folderOf(row));
        }
        std::erase_if(m_judgement.asking, [&](qint32 row) { return std::binary_search(same.begin(), same.end(), row); });
    }

    // The first row asking for a name claims it; the holder of each claimed name, if
    // any, is looked up. The index slots are asked for a few rows ahead.
    void claimTargets()
    {
        constexpr size_t Ahead = 16;
        const std::vector<qint32> &asking = m_judgement.asking;
        const std::vector<size_t> &hashes = m_judgement.hashes;
        NameIndex &claimed = m_judgement.claimed;
        claimed.reserve(qsizetype(asking.size()));
        m_byListedIndex = m_folder.looksUpListed(asking.size());
        for (size_t i = 0; i < asking.size(); ++i) {
            if (i + Ahead < asking.size()) {
                claimed.prefetch(hashes[size_t(asking[i + Ahead])]);
                if (m_byListedIndex)
                    m_folder.prefetch(hashes[size_t(asking[i + Ahead])]);
            }
            const qint32 row = asking[i];
            const QStringView key = keyAt(row);
            const size_t hash = hashes[size_t(row)];
            const quint32 folder = m_folder.folderOf(row);
            if (claimed.find(hash, [&](qint32 other) { return keyAt(other) == key && m_folder.folderOf(other) == folder; })
                != NoRow) {
                fate(row) = RowFate::TakenByOtherRow;
                continue;
            }
            claimed.insert(hash, row);
            if (m_folder.rulesOf(row).refusesWindowsNames && windowsRefuses(m_newNames.at(row))) {
                fate(row) = RowFate::NotForWindows; // claimed all the same: later rows asking for it fail
                continue;
            }
            fate(row) = RowFate::Moves;
            if (m_folder.unlistedHolds(key, hash, folder))
                m_judgement.blockers[size_t(row)] = HeldByUnlisted;
            else if (m_byListedIndex)
                m_judgement.blockers[size_t(row)] = m_folder.rowHolding(key, hash, folder);
        }
    }

    // Without an index of the listed names, each listed name is looked up among the names
    // claimed: the listed file holding a moving row's new name blocks it.
    void findListedHolders()
    {
        if (m_byListedIndex || m_judgement.asking.empty())
            return;
        constexpr qint32 Ahead = 16;
        const NameColumn &keys = m_folder.listedKeys();
        for (qint32 holder = 0; holder < qint32(keys.size()); ++holder) {
            if (holder + Ahead < qint32(keys.size()))
                m_judgement.claimed.prefetch(m_folder.listedHash(holder + Ahead));
            const QStringView key = keys.at(holder);
            const quint32 folder = m_folder.folderOf(holder);
            const qint32 row = m_judgement.claimed.find(m_folder.listedHash(holder), [&](qint32 other) {
                return keyAt(other) == key && m_folder.folderOf(other) == folder;
            });
            if (row != NoRow && fate(row) == RowFate::Moves && m_judgement.blockers[size_t(row)] == NoRow)
                m_judgement.blockers[size_t(row)] = holder;
        }
    }

    // A name held by an entry that stays is held for good, and so is the name of every
    // file waiting on it in turn; the other holders get their waiters.
    void passOnHeldNames()
    {
        std::vector<qint32> &blockers = m_judgement.blockers;
        std::vector<qint32> &waiters = m_judgement.waiters;
        std::vector<qint32> heldForGood;
        for (qint32 row = 0; row < qint32(m_current.size()); ++row) {
            if (fate(row) != RowFate::Moves)
                continue;
            const qint32 holder = blockers[size_t(row)];
            if (holder == HeldByUnlisted || (holder != NoRow && fate(holder) != RowFate::Moves)) {
                heldForGood.push_back(row);
                blockers[size_t(row)] = NoRow;
            } else if (holder != NoRow) {
                waiters[size_t(holder)] = row;
            }
        }
        for (qint32 row : heldForGood) {
            for (qint32 at = row; at != NoRow && fate(at) == RowFate::Moves; at = waiters[size_t(at)]) {
                fate(at) = RowFate::TargetExists;
                blockers[size_t(at)] = NoRow;
            }
        }
    }

    // Where moving any file may damage others (see FolderRules::movesDamageFiles).
    void refuseUnsafeMoves(bool anyUnsafe)
    {
        if (!anyUnsafe)
            return;
        for (qsizetype row = 0; row < m_current.size(); ++row) {
            if (fate(row) == RowFate::Moves && m_folder.rulesOf(qint32(row)).movesDamageFiles) {
                fate(row) = RowFate::UnsafeFolder;
                m_judgement.blockers[size_t(row)] = m_judgement.waiters[size_t(row)] = NoRow;
            }
        }
    }

private:
    RowFate &fate(qsizetype row) { return m_judgement.fates[size_t(row)]; }

    // Where case matters a name is its own key, but for the rare one holding escapes.
    QStringView keyAt(qint32 row) const
    {
        if (m_rules.ignoresCase)
            return m_foldedKeys.at(row);
        const auto escaped = m_escapedKeys.constFind(row);
        return escaped == m_escapedKeys.constEnd() ? m_newNames.at(row) : QStringView(*escaped);
    }

    const FolderNames &m_folder;
    const NameColumn &m_current;
    const NameColumn &m_newNames;
    const FolderRules &m_rules;
    NameJudgement &m_judgement;
    const NameColumn m_foldedKeys;
    QHash<qint32, QString> m_escapedKeys;
    bool m_byListedIndex = false;
};

} // namespace

void judgeNewNames(const FolderNames &folder, const NameColumn &newNames, NameJudgement &judgement)
{
    Judging judging(folder, newNames, judgement);
    judging.collectTargets();
    judging.claimTargets();
    judging.findListedHolders();
    judging.passOnHeldNames();
    judging.refuseUnsafeMoves(folder.anyUnsafe());
}

} // namespace velmix
