#include "NameConflicts.h"

#include "FileNameCodec.h"

#include <QHash>

#include <bit>
#include <cstring>

namespace velmix {
namespace {

constexpr qint32 NoRow = -1;
constexpr qint32 HeldByUnlisted = -2;

bool isEscape(char16_t unit)
{
    return unit >= 0xDC80 && unit <= 0xDCFF;
}

// A name decoded from the folder is its own key where case matters. Other names (a
// typed escape can spell the same bytes as a real character) go through their bytes,
// and are case-folded where case does not matter.
bool isOwnKey(QStringView name, bool ignoresCase)
{
    if (ignoresCase)
        return false;
    for (QChar c : name) {
        if (isEscape(c.unicode()))
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

void indexAll(NameIndex &index, const NameColumn &keys)
{
    index.reserve(keys.size());
    for (qsizetype row = 0; row < keys.size(); ++row)
        index.insert(hashOf(keys.at(row)), qint32(row));
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
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name[i].unicode();
        if (unit < 0x80) {
            if (unit == u'/' || unit == 0)
                return {-1, false};
            result.bytes += 1;
        } else if (isEscape(unit)) {
            result.bytes += 1, result.escapes = true;
        } else if (unit < 0x800) {
            result.bytes += 2;
        } else if (QChar::isHighSurrogate(unit) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            result.bytes += 4, ++i;
        } else if (QChar::isSurrogate(unit)) {
            return {-1, false};
        } else {
            result.bytes += 3;
        }
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

FolderNames::FolderNames(const NameColumn &listed, const FolderRules &rules, const NameColumn &unlisted)
    : m_listed(listed)
    , m_rules(rules)
    , m_listedKeys(keysOf(listed, rules.ignoresCase, false))
    , m_unlistedKeys(keysOf(unlisted, rules.ignoresCase, true))
{
    indexAll(m_listedIndex, m_listedKeys.isEmpty() ? m_listed : m_listedKeys);
    indexAll(m_unlistedIndex, m_unlistedKeys);
}

qint32 FolderNames::rowHolding(QStringView key, size_t hash) const
{
    const NameColumn &keys = m_listedKeys.isEmpty() ? m_listed : m_listedKeys;
    return m_listedIndex.find(hash, [&](qint32 row) { return keys.at(row) == key; });
}

bool FolderNames::unlistedHolds(QStringView key, size_t hash) const
{
    return m_unlistedIndex.find(hash, [&](qint32 row) { return m_unlistedKeys.at(row) == key; }) != NoRow;
}

std::optional<RenameReason> refusalOf(RowFate fate)
{
    switch (fate) {
    case RowFate::Stays:
    case RowFate::Moves: return std::nullopt;
    case RowFate::TargetExists: return RenameReason::TargetExists;
    case RowFate::TakenByOtherRow: return RenameReason::TakenByOtherRow;
    case RowFate::InvalidName: return RenameReason::InvalidName;
    }
    return std::nullopt;
}

NameJudgement judgeNewNames(const FolderNames &folder, const NameColumn &newNames)
{
    NameJudgement judgement;
    judgeNewNames(folder, newNames, judgement);
    return judgement;
}

void judgeNewNames(const FolderNames &folder, const NameColumn &newNames, NameJudgement &judgement)
{
    const NameColumn &current = folder.listed();
    const FolderRules &rules = folder.rules();
    const qsizetype rows = current.size();
    auto &fates = judgement.fates;
    auto &blockers = judgement.blockers;
    auto &hashes = judgement.hashes;
    auto &asking = judgement.asking;
    auto &claimed = judgement.claimed;
    fates.assign(size_t(rows), RowFate::Stays);
    blockers.assign(size_t(rows), NoRow);
    judgement.waiters.assign(size_t(rows), NoRow);
    hashes.resize(size_t(rows));
    asking.clear();

    // Where case matters a name is its own key, but for the rare one holding escapes.
    const NameColumn foldedKeys = rules.ignoresCase ? keysOf(newNames, true, true) : NameColumn();
    QHash<qint32, QString> escapedKeys;
    const auto keyAt = [&](qint32 row) {
        if (rules.ignoresCase)
            return foldedKeys.at(row);
        const auto escaped = escapedKeys.constFind(row);
        return escaped == escapedKeys.constEnd() ? newNames.at(row) : QStringView(*escaped);
    };
    // First the rows that ask for another name, with their keys' hashes...
    for (qsizetype row = 0; row < rows; ++row) {
        const QStringView target = newNames.at(row);
        if (target == current.at(row))
            continue;
        const NameScan name = scan(target);
        if (name.bytes <= 0 || name.bytes > rules.nameMax || target == u"." || target == u".."
            || scan(current.at(row)).bytes < 0) {
            fates[size_t(row)] = RowFate::InvalidName;
            continue;
        }
        if (name.escapes) {
            if (FileNameCodec::encode(target) == FileNameCodec::encode(current.at(row)))
                continue; // another spelling of the same bytes
            if (!rules.ignoresCase)
                escapedKeys.insert(qint32(row), keyOf(target, false));
        }
        hashes[size_t(row)] = hashOf(keyAt(qint32(row)));
        asking.push_back(qint32(row));
    }
    // ...then the look-ups, each index slot asked for a few rows ahead.
    constexpr size_t Ahead = 16;
    claimed.reserve(qsizetype(asking.size()));
    for (size_t i = 0; i < asking.size(); ++i) {
        if (i + Ahead < asking.size()) {
            claimed.prefetch(hashes[size_t(asking[i + Ahead])]);
            folder.prefetch(hashes[size_t(asking[i + Ahead])]);
        }
        const qint32 row = asking[i];
        const QStringView key = keyAt(row);
        const size_t hash = hashes[size_t(row)];
        if (claimed.find(hash, [&](qint32 other) { return keyAt(other) == key; }) != NoRow) {
            fates[size_t(row)] = RowFate::TakenByOtherRow;
            continue;
        }
        claimed.insert(hash, row);
        if (fatDriverRefuses(newNames.at(row), rules.driver)) {
            fates[size_t(row)] = RowFate::InvalidName; // tried, so it still takes the name from later rows
            continue;
        }
        fates[size_t(row)] = RowFate::Moves;
        blockers[size_t(row)] = folder.unlistedHolds(key, hash) ? HeldByUnlisted : folder.rowHolding(key, hash);
    }

    // A name held by an entry that stays is held for good.
    std::vector<qsizetype> heldForGood;
    for (qsizetype row = 0; row < rows; ++row) {
        if (fates[size_t(row)] != RowFate::Moves)
            continue;
        const qint32 holder = blockers[size_t(row)];
        if (holder == HeldByUnlisted || (holder != NoRow && fates[size_t(holder)] != RowFate::Moves)) {
            heldForGood.push_back(row);
            blockers[size_t(row)] = NoRow;
        } else if (holder != NoRow) {
            judgement.waiters[size_t(holder)] = qint32(row);
        }
    }
    // ...and so is the name of every file waiting on it in turn.
    for (qsizetype row : heldForGood) {
        for (qint32 at = qint32(row); at != NoRow && fates[size_t(at)] == RowFate::Moves;
             at = judgement.waiters[size_t(at)]) {
            fates[size_t(at)] = RowFate::TargetExists;
            blockers[size_t(at)] = NoRow;
        }
    }
}

} // namespace velmix
