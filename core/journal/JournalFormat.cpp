#include "journal/JournalFormat.h"

#include "work/AsyncTask.h"

#include <QHash>
#include <QList>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>

namespace velmix::JournalFormat {
namespace {

// Each record's first field: what the record is.
namespace Tag {
constexpr QByteArrayView Version = "V";
constexpr QByteArrayView Batch = "B";
constexpr QByteArrayView Name = "N";
constexpr QByteArrayView Folder = "d";       // the folder of the names that follow
constexpr QByteArrayView NameInFolder = "n"; // a row's names as the last parts of paths in that folder
constexpr QByteArrayView Whole = "W";
constexpr QByteArrayView Row = "R";
constexpr QByteArrayView PartEnd = "P";
constexpr QByteArrayView Moved = "M";      // its names in hex: journals before version 5
constexpr QByteArrayView MovedAsIs = "m";  // its names as the batch's names are written
constexpr QByteArrayView MovedRows = "k";  // a run of rows, each under its planned names
constexpr QByteArrayView Found = "F";
constexpr QByteArrayView Done = "D";
constexpr QByteArrayView Resumed = "C";
} // namespace Tag

// The batch record's kind field.
constexpr QByteArrayView ApplyKind = "a";
constexpr QByteArrayView UndoKind = "u";

// Whether a record is the bare tag alone, as the end marks are.
bool isMark(const std::optional<QList<QByteArray>> &fields, QByteArrayView tag)
{
    return fields && fields->size() == 1 && fields->front() == tag;
}

// CRC-32 eight bytes a step (slicing by eight): the plan of a large batch is megabytes.
quint32 crc32(QByteArrayView data)
{
    static constexpr auto tables = [] {
        std::array<std::array<quint32, 256>, 8> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int bit = 0; bit < 8; ++bit)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[0][i] = c;
        }
        for (size_t k = 1; k < 8; ++k) {
            for (size_t i = 0; i < 256; ++i)
                t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFFu];
        }
        return t;
    }();
    quint32 c = 0xFFFFFFFFu;
    const uchar *bytes = reinterpret_cast<const uchar *>(data.data());
    qsizetype left = data.size();
    for (; left >= 8; left -= 8, bytes += 8) {
        const quint32 low = qFromLittleEndian<quint32>(bytes) ^ c;
        const quint32 high = qFromLittleEndian<quint32>(bytes + 4);
        c = tables[7][low & 0xFFu] ^ tables[6][(low >> 8) & 0xFFu] ^ tables[5][(low >> 16) & 0xFFu]
            ^ tables[4][low >> 24] ^ tables[3][high & 0xFFu] ^ tables[2][(high >> 8) & 0xFFu]
            ^ tables[1][(high >> 16) & 0xFFu] ^ tables[0][high >> 24];
    }
    for (; left > 0; --left)
        c = tables[0][(c ^ *bytes++) & 0xFFu] ^ (c >> 8);
    return ~c;
}

constexpr char HexDigits[] = "0123456789abcdef";

// Ends the record begun at `start` of `out` with its checksum and the line end.
void closeRecord(QByteArray &out, qsizetype start)
{
    const quint32 sum = crc32(QByteArrayView(out).sliced(start));
    char tail[10] = {' '};
    for (int i = 0; i < 8; ++i)
        tail[1 + i] = HexDigits[(sum >> (28 - 4 * i)) & 0xFu];
    tail[9] = '\n';
    out.append(tail, sizeof tail);
}

void appendRecord(QByteArray &out, QByteArrayView body)
{
    const qsizetype start = out.size();
    out += body;
    closeRecord(out, start);
}

// A name as a field: its bytes in hex, "-" for none. Written in place: a large batch
// writes hundreds of thousands of them.
void appendName(QByteArray &out, const QByteArray &name)
{
    out += ' ';
    if (name.isEmpty()) {
        out += '-';
        return;
    }
    const qsizetype at = out.size();
    out.resize(at + name.size() * 2);
    char *hex = out.data() + at;
    for (const char byte : name) {
        *hex++ = HexDigits[(uchar(byte) >> 4) & 0xFu];
        *hex++ = HexDigits[uchar(byte) & 0xFu];
    }
}

// A name as it is, but for the bytes that end a field or a line, the escape itself and a
// lone "-" (the empty name): half the size of hex for the batch's names, written before
// the first move.
constexpr auto Escaped = [] {
    std::array<bool, 256> escaped{};
    for (const char byte : {' ', '\n', '\\', '\r'})
        escaped[uchar(byte)] = true;
    return escaped;
}();

// The most a name takes as a field: each byte escaped, or the lone "-".
qsizetype rawNameRoom(QByteArrayView name)
{
    return 1 + 3 * std::max<qsizetype>(name.size(), 1);
}

char *writeRawName(char *to, QByteArrayView name)
{
    *to++ = ' ';
    if (name.isEmpty() || (name.size() == 1 && name.front() == '-'))
        return std::copy_n(name.isEmpty() ? "-" : "\\2d", name.isEmpty() ? 1 : 3, to);
    for (const char byte : name) {
        if (!Escaped[uchar(byte)]) {
            *to++ = byte;
            continue;
        }
        *to++ = '\\';
        *to++ = HexDigits[(uchar(byte) >> 4) & 0xFu];
        *to++ = HexDigits[uchar(byte) & 0xFu];
    }
    return to;
}

// A record of a tag, one or two names and an ending field, its checksum and line end
// written straight into room made for the most it can take: the batch's names and the
// moves' records are hundreds of thousands of these, and appending field by field took
// twice as long.
void appendNamesRecord(QByteArray &out, QByteArrayView tag, QByteArrayView from, std::optional<QByteArrayView> to,
                       QByteArrayView last = {})
{
    const qsizetype start = out.size();
    out.resize(start + tag.size() + rawNameRoom(from) + (to ? rawNameRoom(*to) : 0) + last.size() + 10);
    char *const begin = out.data() + start;
    char *end = std::copy_n(tag.data(), tag.size(), begin);
    end = writeRawName(end, from);
    if (to)
        end = writeRawName(end, *to);
    end = std::copy_n(last.data(), last.size(), end);
    const quint32 sum = crc32(QByteArrayView(begin, end));
    *end++ = ' ';
    for (int i = 0; i < 8; ++i)
        *end++ = HexDigits[(sum >> (28 - 4 * i)) & 0xFu];
    *end++ = '\n';
    out.resize(end - out.constData());
}

std::optional<QByteArray> rawName(const QByteArray &field)
{
    if (field == "-")
        return QByteArray();
    QByteArray name;
    name.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            name += field[i];
            continue;
        }
        bool ok = false;
        const uint byte = field.mid(i + 1, 2).toUInt(&ok, 16);
        if (!ok || i + 2 >= field.size())
            return std::nullopt;
        name += char(byte);
        i += 2;
    }
    return name.isEmpty() ? std::nullopt : std::optional(name);
}

void appendNumber(QByteArray &out, qint64 value)
{
    char digits[24] = {' '};
    const auto end = std::to_chars(digits + 1, digits + sizeof digits, value).ptr;
    out.append(digits, end - digits);
}

QByteArray record(std::initializer_list<QByteArrayView> fields)
{
    QByteArray body;
    for (QByteArrayView field : fields) {
        if (!body.isEmpty())
            body += ' ';
        body += field;
    }
    return JournalFormat::record(body);
}

// The fields of a line whose checksum holds; nothing otherwise. An empty name is "-".
std::optional<QList<QByteArray>> fieldsOf(QByteArrayView line)
{
    const qsizetype space = line.lastIndexOf(' ');
    if (space <= 0 || line.size() - space != 9)
        return std::nullopt;
    bool ok = false;
    const quint32 sum = line.sliced(space + 1).toUInt(&ok, 16);
    const QByteArrayView body = line.first(space);
    if (!ok || sum != crc32(body))
        return std::nullopt;
    return body.toByteArray().split(' ');
}

QByteArray hex(const QByteArray &name)
{
    QByteArray field;
    appendName(field, name);
    return field.mid(1);
}

std::optional<QByteArray> unhex(const QByteArray &field)
{
    if (field == "-")
        return QByteArray();
    if (field.isEmpty() || field.size() % 2 != 0)
        return std::nullopt;
    QByteArray name = QByteArray::fromHex(field);
    if (name.size() * 2 != field.size())
        return std::nullopt;
    return name;
}

std::optional<qint64> number(const QByteArray &field)
{
    bool ok = false;
    const qint64 value = field.toLongLong(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

// Each row's name as the move and found records have it, replayed in order.
class NamesNow
{
public:
    // Takes in the rows of the plan from the first not yet taken in.
    void add(const std::vector<JournalRow> &rows)
    {
        for (size_t row = m_names.size(); row < rows.size(); ++row) {
            m_names.push_back(rows[row].from);
            if (!m_rowNamed.isEmpty())
                m_rowNamed.insert(rows[row].from, row);
        }
    }

    // False where the record is neither a move nor a found name.
    bool read(const QList<QByteArray> &fields, const std::vector<JournalRow> &rows)
    {
        if (fields.size() == 3 && fields[0] == Tag::MovedRows) {
            const auto first = number(fields[1]), count = number(fields[2]);
            if (!first || !count || *first < 0 || *count <= 0 || quint64(*first) > rows.size()
                || quint64(*count) > rows.size() - size_t(*first))
                return false;
            for (size_t row = size_t(*first); row < size_t(*first + *count); ++row)
                moved(rows[row].from, rows[row].to);
            return true;
        }
        if (fields.size() == 3 && (fields[0] == Tag::Moved || fields[0] == Tag::MovedAsIs)) {
            const auto name = fields[0] == Tag::Moved ? unhex : rawName;
            const auto from = name(fields[1]), to = name(fields[2]);
            if (!from || !to || !staysInFolder(*from) || !staysInFolder(*to))
                return false;
            moved(*from, *to);
            return true;
        }
        const auto row = fields.size() == 3 && fields[0] == Tag::Found ? number(fields[1]) : std::nullopt;
        const auto name = row ? unhex(fields[2]) : std::nullopt;
        if (!name || !staysInFolder(*name) || *row < 0 || size_t(*row) >= m_names.size())
            return false;
        m_names[size_t(*row)] = *name;
        m_rowNamed.clear(); // built again at the next move
        return true;
    }
    std::vector<QByteArray> take() { return std::move(m_names); }

private:
    void moved(const QByteArray &from, const QByteArray &to)
    {
        if (m_rowNamed.isEmpty()) {
            for (size_t row = 0; row < m_names.size(); ++row)
                m_rowNamed.insert(m_names[row], row);
        }
        const auto it = m_rowNamed.constFind(from);
        if (it == m_rowNamed.constEnd())
            return; // no row is under that name: nothing to follow
        const size_t row = *it;
        m_rowNamed.erase(it);
        m_rowNamed.insert(to, row);
        m_names[row] = to;
    }

    std::vector<QByteArray> m_names;
    QHash<QByteArray, size_t> m_rowNamed;
};

// Reads the records in order; where a step fails the journal is damaged.
class Reader
{
public:
    explicit Reader(const QByteArray &content)
    {
        QList<QByteArray> lines = content.split('\n');
        lines.removeLast(); // what follows the last line end: empty, or a line cut short
        m_lines = std::move(lines);
    }

    // The version and batch records alone.
    std::optional<JournalContent> header()
    {
        const auto version = next();
        const auto batch = version ? next() : std::nullopt;
        JournalContent result;
        if (!batch || version->size() != 2 || version->at(0) != Tag::Version || !number(version->at(1))
            || *number(version->at(1)) > Version || !readBatch(*batch, result.plan, m_rows))
            return std::nullopt;
        result.plan.rows.clear();
        result.plan.rows.shrink_to_fit();
        return result;
    }

    JournalContent read()
    {
        JournalContent result;
        const auto version = next();
        if (!version)
            return endOfPlan(result);
        if (version->size() != 2 || version->at(0) != Tag::Version || !number(version->at(1)))
            return result;
        if (*number(version->at(1)) > Version) {
            result.state = JournalContent::State::Newer;
            return result;
        }
        const auto batch = next();
        if (!batch)
            return endOfPlan(result);
        if (!readBatch(*batch, result.plan, m_rows))
            return result;
        m_whole = *number(version->at(1)) >= 3;
        std::vector<JournalRow> &rows = result.plan.rows;
        NamesNow names;
        while (const auto fields = next()) {
            const std::optional<bool> planRecord = m_whole ? readWhole(*fields, rows) : readParts(*fields, rows);
            if (!planRecord)
                return result;
            if (*planRecord)
                continue;
            if (!m_whole)
                rows.resize(m_covered); // the rows of a part cut short belong to files that did not move
            if (!m_planWritten)
                return result;
            names.add(rows);
            if (isMark(fields, Tag::Done)) {
                endParts(rows);
                result.state = JournalContent::State::Finished;
                result.namesNow = names.take();
                return result;
            }
            if (isMark(fields, Tag::Resumed))
                continue;
            if (!names.read(*fields, rows))
                return result;
        }
        if (!m_planWritten)
            return endOfPlan(result);
        endParts(rows);
        names.add(rows);
        result.namesNow = names.take();
        result.state = m_damaged ? JournalContent::State::Damaged : JournalContent::State::Unfinished;
        return result;
    }

private:
    // The next record; nothing at the end, or at a line that fails its checksum. Such a
    // line is torn where it is the last or a later session resumed after it, and damage
    // anywhere else.
    std::optional<QList<QByteArray>> next()
    {
        while (m_next < m_lines.size()) {
            const QByteArray &line = m_lines[m_next++];
            if (auto fields = fieldsOf(line))
                return fields;
            const bool last = m_next == m_lines.size();
            const bool resumedAfter = !last && isMark(fieldsOf(m_lines[m_next]), Tag::Resumed);
            if (!last && !resumedAfter) {
                m_damaged = true;
                return std::nullopt;
            }
        }
        return std::nullopt;
    }

    // The plan ends early: cut short by a crash before any move, unless a line is damaged.
    JournalContent &endOfPlan(JournalContent &result) const
    {
        result.state = m_damaged ? JournalContent::State::Damaged : JournalContent::State::NotStarted;
        return result;
    }

    // Whether a record of this version is one of the plan's, read into `rows`; nothing
    // where it is out of place or does not read.
    std::optional<bool> readWhole(const QList<QByteArray> &fields, std::vector<JournalRow> &rows)
    {
        const QByteArray &type = fields.value(0);
        if (type == Tag::Folder) {
            const auto folder = fields.size() == 2 ? rawName(fields[1]) : std::nullopt;
            if (m_namesWritten || !folder || !staysInFolder(*folder))
                return std::nullopt;
            m_folder = *folder + '/';
            return true;
        }
        if (type == Tag::Name || type == Tag::NameInFolder) {
            auto from = fields.size() == 4 ? rawName(fields[1]) : std::nullopt;
            auto to = from ? rawName(fields[2]) : std::nullopt;
            if (to && type == Tag::NameInFolder) {
                if (m_folder.isEmpty())
                    return std::nullopt;
                from->prepend(m_folder);
                to->prepend(m_folder);
            }
            if (m_namesWritten || !to || qint64(rows.size()) >= m_rows || !staysInFolder(*from) || !staysInFolder(*to))
                return std::nullopt;
            rows.push_back({std::move(*from), std::move(*to), {}, fields[3] != "0", JournalRow::Seen::NotYet});
            return true;
        }
        if (isMark(fields, Tag::Whole)) {
            if (m_namesWritten || qint64(rows.size()) != m_rows)
                return std::nullopt;
            m_namesWritten = true;
            return true;
        }
        if (type == Tag::Row) {
            if (!m_namesWritten || fields.size() != 6)
                return std::nullopt;
            qint64 values[5] = {};
            for (qsizetype i = 0; i < 5; ++i) {
                const auto value = number(fields[i + 1]);
                if (!value)
                    return std::nullopt;
                values[i] = *value;
            }
            if (values[0] < 0 || size_t(values[0]) >= rows.size())
                return std::nullopt;
            m_seen.push_back({size_t(values[0]), {quint64(values[1]), quint64(values[2]), values[3], values[4]}});
            return true;
        }
        if (type == Tag::PartEnd) {
            const auto covered = fields.size() == 2 ? number(fields[1]) : std::nullopt;
            if (!m_namesWritten || !covered || size_t(*covered) < m_covered || size_t(*covered) > rows.size())
                return std::nullopt;
            m_planWritten = true; // the first moves may go
            for (const auto &[row, identity] : std::exchange(m_seen, {})) {
                rows[row].identity = identity;
                rows[row].seen = JournalRow::Seen::File;
            }
            for (; m_covered < size_t(*covered); ++m_covered) {
                if (rows[m_covered].seen == JournalRow::Seen::NotYet)
                    rows[m_covered].seen = JournalRow::Seen::NotThere;
            }
            return true;
        }
        return false;
    }

    // The same for the earlier version, whose plan came in parts of whole rows.
    std::optional<bool> readParts(const QList<QByteArray> &fields, std::vector<JournalRow> &rows)
    {
        if (fields.value(0) == Tag::Row) {
            if (qint64(rows.size()) >= m_rows || !readRow(fields, rows))
                return std::nullopt;
            return true;
        }
        if (isMark(fields, Tag::PartEnd)) {
            m_covered = rows.size();
            m_planWritten = true;
            return true;
        }
        return false;
    }

    // The rows whose part a crash cut short are files that did not move.
    void endParts(std::vector<JournalRow> &rows) const
    {
        if (!m_whole)
            rows.resize(m_covered);
    }

    static bool readBatch(const QList<QByteArray> &fields, JournalPlan &plan, qint64 &rowCount)
    {
        if (fields.size() != 8 || fields[0] != Tag::Batch || (fields[1] != ApplyKind && fields[1] != UndoKind))
            return false;
        const auto undoes = unhex(fields[2]);
        const auto folder = unhex(fields[3]);
        const auto nameMax = number(fields[4]), flags = number(fields[5]), windows = number(fields[6]),
                   rows = number(fields[7]);
        if (!undoes || !folder || folder->isEmpty() || !nameMax || !flags || !windows || !rows || *rows < 0)
            return false;
        plan.kind = fields[1] == ApplyKind ? BatchKind::Apply : BatchKind::Undo;
        plan.undoes = QString::fromUtf8(*undoes);
        plan.folder = *folder;
        plan.rules.nameMax = qsizetype(*nameMax);
        plan.rules.ignoresCase = (*flags & 1) != 0;
        plan.rules.numbersKept = (*flags & 2) == 0;
        plan.rules.windows = *windows != 0;
        rowCount = *rows;
        plan.rows.reserve(size_t(qMin<qint64>(*rows, 1'000'000)));
        return true;
    }

    static bool readRow(const QList<QByteArray> &fields, std::vector<JournalRow> &rows)
    {
        if (fields.size() != 8 || fields[0] != Tag::Row)
            return false;
        const auto from = unhex(fields[1]), to = unhex(fields[2]);
        const auto device = number(fields[3]), inode = number(fields[4]), size = number(fields[5]),
                   modified = number(fields[6]), free = number(fields[7]);
        if (!from || !to || !device || !inode || !size || !modified || !free || !staysInFolder(*from)
            || (!to->isEmpty() && !staysInFolder(*to)))
            return false;
        rows.push_back({*from, *to, {quint64(*device), quint64(*inode), *size, *modified}, *free != 0});
        return true;
    }

    QList<QByteArray> m_lines;
    qsizetype m_next = 0;
    qint64 m_rows = 0;
    bool m_damaged = false;
    bool m_whole = false;       // the whole batch written first
    bool m_namesWritten = false;
    QByteArray m_folder; // of the rows named by their last parts, its "/" included
    bool m_planWritten = false; // a part closed: files may have moved
    size_t m_covered = 0;       // the rows of the parts closed
    std::vector<std::pair<size_t, FileIdentity>> m_seen; // of the part not yet closed
};

} // namespace

bool staysInFolder(const QByteArray &name)
{
    if (name.isEmpty())
        return false;
    for (const QByteArray &part : name.split('/')) {
        if (part.isEmpty() || part == ".." || part == ".")
            return false;
    }
    return true;
}

QByteArray record(QByteArrayView body)
{
    QByteArray out;
    appendRecord(out, body);
    return out;
}

QByteArray header(const JournalPlan &plan, qsizetype rows)
{
    return record({Tag::Version, QByteArray::number(Version)})
           + record({Tag::Batch, plan.kind == BatchKind::Apply ? ApplyKind : UndoKind, hex(plan.undoes.toUtf8()), hex(plan.folder),
                     QByteArray::number(plan.rules.nameMax),
                     QByteArray::number(int(plan.rules.ignoresCase) | (plan.rules.numbersKept ? 0 : 2)),
                     plan.rules.windows ? "1" : "0", QByteArray::number(rows)});
}

namespace {

// Where a row's two paths lie in one folder below the batch's: the length of that folder's
// part, its "/" included; 0 otherwise.
qsizetype sharedFolder(const QByteArray &from, const QByteArray &to)
{
    const qsizetype folder = from.lastIndexOf('/') + 1;
    if (folder <= 1 || from.size() == folder || to.size() <= folder || !to.startsWith(QByteArrayView(from).first(folder)))
        return 0;
    return QByteArrayView(to).sliced(folder).contains('/') ? 0 : folder;
}

// The names records of rows [from, to). A row within one folder gives its folder once
// for all the rows after it in the same one, and then the last parts alone: a tree's
// batch writes a third fewer bytes before its first move.
QByteArray nameRecords(const std::vector<NameRow> &rows, size_t from, size_t to)
{
    QByteArray out;
    qsizetype room = 0, longest = 0; // and the last record's room beyond it, made before it is cut to size
    for (size_t i = from; i < to; ++i) {
        room += rows[i].from->size() + rows[i].to->size() + 20;
        longest = std::max(longest, rows[i].from->size() + rows[i].to->size());
    }
    out.reserve(room + 3 * longest + 20);
    QByteArrayView folder; // that of the last row written by its last parts
    for (size_t i = from; i < to; ++i) {
        const QByteArray &source = *rows[i].from, &target = *rows[i].to;
        const QByteArrayView free = rows[i].targetFree ? " 1" : " 0";
        const qsizetype shared = sharedFolder(source, target);
        if (shared == 0) {
            appendNamesRecord(out, Tag::Name, source, target, free);
            continue;
        }
        if (QByteArrayView(source).first(shared) != folder) {
            folder = QByteArrayView(source).first(shared);
            appendNamesRecord(out, Tag::Folder, folder.chopped(1), std::nullopt);
        }
        appendNamesRecord(out, Tag::NameInFolder, QByteArrayView(source).sliced(shared), QByteArrayView(target).sliced(shared), free);
    }
    return out;
}

} // namespace

QByteArray wholeBatch(const std::vector<JournalRow> &rows)
{
    std::vector<NameRow> names;
    names.reserve(rows.size());
    for (const JournalRow &row : rows)
        names.push_back({&row.from, &row.to, row.targetFree});
    return wholeBatch(names);
}

QByteArray wholeBatch(const std::vector<NameRow> &rows)
{
    // Megabytes for a large batch, which waits for them before its first move: the second
    // core writes half.
    const size_t split = rows.size() < size_t(PartedRows) ? rows.size() : rows.size() / 2;
    AsyncTask secondHalf([&] { return nameRecords(rows, split, rows.size()); }, split < rows.size());
    QByteArray out = nameRecords(rows, 0, split);
    out += secondHalf.take();
    out += record({Tag::Whole});
    return out;
}

QByteArray identityPart(const std::vector<std::pair<size_t, FileIdentity>> &seen, size_t covered)
{
    QByteArray out;
    out.reserve(qsizetype(seen.size()) * 80 + 24);
    for (const auto &[row, identity] : seen) {
        const qsizetype start = out.size();
        out += Tag::Row;
        for (const qint64 value : {qint64(row), qint64(identity.device), qint64(identity.inode), identity.size, identity.modifiedNs})
            appendNumber(out, value);
        closeRecord(out, start);
    }
    const qsizetype start = out.size();
    out += Tag::PartEnd;
    appendNumber(out, qint64(covered));
    closeRecord(out, start);
    return out;
}

void appendFound(QByteArray &out, const FoundName &found)
{
    const qsizetype start = out.size();
    out += Tag::Found;
    appendNumber(out, qint64(found.row));
    appendName(out, found.name);
    closeRecord(out, start);
}

void appendMoved(QByteArray &out, const QByteArray &from, const QByteArray &to)
{
    appendNamesRecord(out, Tag::MovedAsIs, from, to);
}

void appendMovedRows(QByteArray &out, size_t first, size_t count)
{
    const qsizetype start = out.size();
    out += Tag::MovedRows;
    appendNumber(out, qint64(first));
    appendNumber(out, qint64(count));
    closeRecord(out, start);
}

QByteArray done()
{
    return record({Tag::Done});
}

QByteArray resumed()
{
    return record({Tag::Resumed});
}

JournalContent parse(const QByteArray &content)
{
    return Reader(content).read();
}

std::optional<JournalContent> finishedSummary(const QByteArray &head, const QByteArray &tail)
{
    if (!tail.endsWith('\n' + done()))
        return std::nullopt;
    std::optional<JournalContent> content = Reader(head).header();
    if (content)
        content->state = JournalContent::State::Finished;
    return content;
}

} // namespace velmix::JournalFormat
