#include "journal/JournalFormat.h"

#include <QHash>
#include <QList>
#include <QtEndian>

#include <array>
#include <charconv>
#include <optional>

namespace velmix::JournalFormat {
namespace {

// Each record's first field: what the record is.
namespace Tag {
constexpr QByteArrayView Version = "V";
constexpr QByteArrayView Batch = "B";
constexpr QByteArrayView Row = "R";
constexpr QByteArrayView PartEnd = "P";
constexpr QByteArrayView Moved = "M";
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
    bool read(const QList<QByteArray> &fields)
    {
        if (fields.size() == 3 && fields[0] == Tag::Moved) {
            const auto from = unhex(fields[1]), to = unhex(fields[2]);
            if (!from || !to)
                return false;
            moved(*from, *to);
            return true;
        }
        const auto row = fields.size() == 3 && fields[0] == Tag::Found ? number(fields[1]) : std::nullopt;
        const auto name = row ? unhex(fields[2]) : std::nullopt;
        if (!name || *row < 0 || size_t(*row) >= m_names.size())
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

    JournalContent read(Depth depth)
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
        if (depth == Depth::Summary && lastIsDone()) {
            result.state = JournalContent::State::Finished;
            return result;
        }
        std::vector<JournalRow> &rows = result.plan.rows;
        NamesNow names;
        size_t closedRows = 0; // the rows of the parts whose end is written
        bool closed = false;
        while (const auto fields = next()) {
            const QByteArray type = fields->value(0);
            if (type == Tag::Row) {
                if (qint64(rows.size()) >= m_rows || !readRow(*fields, result.plan))
                    return result;
                continue;
            }
            if (isMark(fields, Tag::PartEnd)) {
                closedRows = rows.size();
                closed = true;
                continue;
            }
            // The rows of a part cut short belong to files that did not move.
            rows.resize(closedRows);
            if (!closed)
                return result;
            names.add(rows);
            if (isMark(fields, Tag::Done)) {
                result.state = JournalContent::State::Finished;
                result.namesNow = names.take();
                return result;
            }
            if (isMark(fields, Tag::Resumed))
                continue;
            if (!names.read(*fields))
                return result;
        }
        if (!closed)
            return endOfPlan(result);
        rows.resize(closedRows);
        names.add(rows);
        result.namesNow = names.take();
        result.unwrittenRows = qsizetype(m_rows) - qsizetype(closedRows);
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

    [[nodiscard]] bool lastIsDone() const
    {
        return !m_lines.isEmpty() && isMark(fieldsOf(m_lines.last()), Tag::Done);
    }

    // The plan ends early: cut short by a crash before any move, unless a line is damaged.
    JournalContent &endOfPlan(JournalContent &result) const
    {
        result.state = m_damaged ? JournalContent::State::Damaged : JournalContent::State::NotStarted;
        return result;
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

    static bool readRow(const QList<QByteArray> &fields, JournalPlan &plan)
    {
        if (fields.size() != 8 || fields[0] != Tag::Row)
            return false;
        const auto from = unhex(fields[1]), to = unhex(fields[2]);
        const auto device = number(fields[3]), inode = number(fields[4]), size = number(fields[5]),
                   modified = number(fields[6]), free = number(fields[7]);
        if (!from || !to || !device || !inode || !size || !modified || !free)
            return false;
        plan.rows.push_back({*from, *to, {quint64(*device), quint64(*inode), *size, *modified}, *free != 0});
        return true;
    }

    QList<QByteArray> m_lines;
    qsizetype m_next = 0;
    qint64 m_rows = 0;
    bool m_damaged = false;
};

} // namespace

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

QByteArray planPart(const std::vector<JournalRow> &rows)
{
    QByteArray out;
    qsizetype room = 16;
    for (const JournalRow &row : rows)
        room += 2 * (row.from.size() + row.to.size()) + 80;
    out.reserve(room);
    for (const JournalRow &row : rows) {
        const qsizetype start = out.size();
        out += Tag::Row;
        appendName(out, row.from);
        appendName(out, row.to);
        for (const qint64 value : {qint64(row.identity.device), qint64(row.identity.inode), row.identity.size,
                                   row.identity.modifiedNs, qint64(row.targetFree)})
            appendNumber(out, value);
        closeRecord(out, start);
    }
    out += record({Tag::PartEnd});
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
    const qsizetype start = out.size();
    out += Tag::Moved;
    appendName(out, from);
    appendName(out, to);
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

JournalContent parse(const QByteArray &content, Depth depth)
{
    return Reader(content).read(depth);
}

} // namespace velmix::JournalFormat
