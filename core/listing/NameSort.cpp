#include "listing/NameSort.h"

#include "text/NameOrder.h"
#include "work/AsyncTask.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <ranges>
#include <span>
#include <string>

namespace velmix {
namespace {

// Below this many names a second thread costs more than it saves.
constexpr qsizetype NamesWorthAThread = 4096;

// Runs `back` on a second thread while `front` runs on this one, and returns when both
// are done; an exception from either comes out here. Without `worthAThread`, or when no
// thread can be started, both run here one after the other.
template<typename Front, typename Back>
void runSideBySide(bool worthAThread, Front front, Back back)
{
    AsyncTask backDone(back, worthAThread);
    front();
    backDone.take();
}

// One name in the sort. `head` caches eight bytes of the key at the depth being sorted,
// so most steps compare numbers instead of reaching into the keys.
struct Entry
{
    quint64 head;
    const char *key;
    quint32 length;
    quint32 position;
};

// Each folded UTF-16 unit is written the way UTF-8 writes a code point, which keeps the
// units' order byte by byte; an ASCII name's key is as long as the name.
void appendKey(QStringView name, std::string &key)
{
    for (QChar character : name) {
        const char16_t unit = foldCase(character.unicode());
        if (unit < 0x80) {
            key += char(unit);
        } else if (unit < 0x800) {
            key += char(0xC0 | (unit >> 6));
            key += char(0x80 | (unit & 0x3F));
        } else {
            key += char(0xE0 | (unit >> 12));
            key += char(0x80 | ((unit >> 6) & 0x3F));
            key += char(0x80 | (unit & 0x3F));
        }
    }
}

// The key's eight bytes from `depth` as a big-endian number, zero past its end.
quint64 chunkAt(const Entry &entry, quint32 depth)
{
    if (entry.length >= depth + 8)
        return qFromBigEndian<quint64>(entry.key + depth);
    quint64 chunk = 0;
    for (quint32 i = depth; i < depth + 8; ++i)
        chunk = chunk << 8 | (i < entry.length ? uchar(entry.key[i]) : 0);
    return chunk;
}

// Names whose keys are equal differ in letter case only; their exact units decide.
bool exactlyBefore(const NameColumn &names, const Entry &a, const Entry &b)
{
    return names.at(a.position).compare(names.at(b.position)) < 0;
}

bool keyBefore(const NameColumn &names, const Entry &a, const Entry &b)
{
    const int order = std::memcmp(a.key, b.key, std::min(a.length, b.length));
    if (order != 0)
        return order < 0;
    if (a.length != b.length)
        return a.length < b.length;
    return exactlyBefore(names, a, b);
}

// Sorts eight key bytes at a time: by the chunk at the current depth, and then each run
// of equal chunks by the next one. A key that ends inside the chunk sorts before every
// longer key with the same chunk, since it is their prefix.
void sortByChunks(std::span<Entry> entries, const NameColumn &names)
{
    struct Run
    {
        size_t begin;
        size_t end;
        quint32 depth;
    };
    std::vector<Run> pending{{0, entries.size(), 0}};
    while (!pending.empty()) {
        const Run run = pending.back();
        pending.pop_back();
        const std::span<Entry> part = entries.subspan(run.begin, run.end - run.begin);
        const quint32 depth = run.depth;
        for (Entry &entry : part)
            entry.head = chunkAt(entry, depth);
        // Lengths past this chunk count as one: those keys go on to the next chunk.
        const auto rank = [depth](const Entry &entry) { return std::pair(entry.head, std::min(entry.length, depth + 9)); };
        const auto byRank = [&rank](const Entry &a, const Entry &b) { return rank(a) < rank(b); };
        if (!std::is_sorted(part.begin(), part.end(), byRank))
            std::sort(part.begin(), part.end(), byRank);
        for (size_t i = 0; i < part.size();) {
            size_t j = i + 1;
            while (j < part.size() && rank(part[j]) == rank(part[i]))
                ++j;
            if (j - i > 1 && part[i].length > depth + 8)
                pending.push_back({run.begin + i, run.begin + j, depth + 8});
            else if (j - i > 1)
                std::sort(part.begin() + i, part.begin() + j,
                          [&names](const Entry &a, const Entry &b) { return exactlyBefore(names, a, b); });
            i = j;
        }
    }
}

// Writes the keys of the names at `positions` to `keys`, which must then stay in place,
// and their entries to `out`.
template<typename Positions>
void writeEntries(const NameColumn &names, const Positions &positions, Entry *out, std::string &keys)
{
    Entry *entry = out;
    for (const quint32 position : positions) {
        const size_t offset = keys.size();
        appendKey(names.at(position), keys);
        *entry++ = {0, nullptr, quint32(keys.size() - offset), position};
    }
    // Pointers only now: the buffer moves while it grows.
    const char *key = keys.data();
    for (Entry *written = out; written != entry; ++written) {
        written->key = key;
        key += written->length;
    }
}

} // namespace

std::vector<quint32> sortedOrder(const NameColumn &names)
{
    const auto count = quint32(names.size());
    const bool worthAThread = names.size() >= NamesWorthAThread;
    std::vector<Entry> entries(count);
    const quint32 middle = count / 2;
    std::string frontKeys, backKeys;
    runSideBySide(
        worthAThread, [&] { writeEntries(names, std::views::iota(quint32(0), middle), entries.data(), frontKeys); },
        [&] { writeEntries(names, std::views::iota(middle, count), entries.data() + middle, backKeys); });

    // The two threads split the sort at a sampled median: every name before it goes to
    // the front, the others to the back, and each part is sorted on its own.
    std::span<Entry> front(entries);
    std::span<Entry> back = front.subspan(front.size()); // empty, but placed after the front
    if (worthAThread) {
        constexpr quint32 Samples = 1023;
        std::vector<Entry> sample;
        for (quint32 i = 0; i < Samples; ++i)
            sample.push_back(entries[size_t(i) * count / Samples]);
        const auto before = [&names](const Entry &a, const Entry &b) { return keyBefore(names, a, b); };
        std::nth_element(sample.begin(), sample.begin() + Samples / 2, sample.end(), before);
        const Entry pivot = sample[Samples / 2];
        const auto split = std::partition(entries.begin(), entries.end(),
                                          [&](const Entry &entry) { return before(entry, pivot); });
        front = front.first(size_t(split - entries.begin()));
        back = std::span<Entry>(split, entries.end());
    }
    std::vector<quint32> order(count);
    const auto sortPart = [&names, &order, &entries](std::span<Entry> part) {
        sortByChunks(part, names);
        quint32 *out = order.data() + (part.data() - entries.data());
        for (const Entry &entry : part)
            *out++ = entry.position;
    };
    runSideBySide(worthAThread, [&] { sortPart(front); }, [&] { sortPart(back); });
    return order;
}

struct NameSorter::Buffers
{
    std::string keys;
    std::vector<Entry> entries;
    std::vector<quint32> order;
};

NameSorter::NameSorter() : m_buffers(std::make_unique<Buffers>()) {}

NameSorter::~NameSorter() = default;

void NameSorter::sortFrom(NameColumn &names, qsizetype from)
{
    const auto begin = quint32(from), end = quint32(names.size());
    if (end - begin < 2)
        return;
    Buffers &buffers = *m_buffers;
    buffers.keys.clear();
    buffers.entries.resize(end - begin);
    writeEntries(names, std::views::iota(begin, end), buffers.entries.data(), buffers.keys);
    sortByChunks(buffers.entries, names);
    buffers.order.clear();
    for (const Entry &entry : buffers.entries)
        buffers.order.push_back(entry.position);
    // A folder that hands out its names sorted (FAT, many FUSE drivers) is left as it is.
    if (!std::is_sorted(buffers.order.begin(), buffers.order.end()))
        names.reorderFrom(from, buffers.order);
}

} // namespace velmix
