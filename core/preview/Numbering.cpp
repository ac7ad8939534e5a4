#include "preview/Numbering.h"

#include "text/FileExtension.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace velmix {
namespace {

constexpr double PlainDigitsLimit = 1e15;

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

qsizetype skipDigits(QStringView text, qsizetype at)
{
    while (at < text.size() && isDigit(text[at]))
        ++at;
    return at;
}

// Optional sign, digits with an optional fraction, an optional exponent; nothing else.
bool isDecimalNumber(QStringView text)
{
    qsizetype at = 0;
    if (at < text.size() && (text[at] == u'+' || text[at] == u'-'))
        ++at;
    const qsizetype wholeStart = at;
    at = skipDigits(text, at);
    qsizetype digits = at - wholeStart;
    if (at < text.size() && text[at] == u'.') {
        const qsizetype fractionStart = ++at;
        at = skipDigits(text, at);
        digits += at - fractionStart;
    }
    if (digits == 0)
        return false;
    if (at < text.size() && (text[at] == u'e' || text[at] == u'E')) {
        ++at;
        if (at < text.size() && (text[at] == u'+' || text[at] == u'-'))
            ++at;
        const qsizetype exponentStart = at;
        at = skipDigits(text, at);
        if (at == exponentStart)
            return false;
    }
    return at == text.size();
}

// The whole numbers numbering nearly always produces, written straight into `out` from
// its end, two digits at a time, zero-filled as writeNumberText says. Returns the length.
int writeWholeNumber(long long value, int width, char16_t *out)
{
    static constexpr char Pairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                                    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                                    "8081828384858687888990919293949596979899";
    const int sign = value < 0 ? 1 : 0;
    const unsigned long long magnitude = sign ? 0ull - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    int count = 1;
    for (unsigned long long rest = magnitude; rest >= 10; rest /= 10)
        ++count;
    const int length = sign + qMax(count, qMin(width, NumberTextCapacity) - sign);
    char16_t *at = out + length;
    const auto writePair = [&](unsigned pair) {
        *--at = char16_t(Pairs[pair * 2 + 1]);
        *--at = char16_t(Pairs[pair * 2]);
    };
    unsigned long long rest = magnitude;
    for (; rest >= 100; rest /= 100)
        writePair(unsigned(rest % 100));
    if (rest >= 10)
        writePair(unsigned(rest));
    else
        *--at = char16_t(u'0' + rest);
    while (at > out + sign)
        *--at = u'0';
    if (sign)
        out[0] = u'-';
    return length;
}

// Where the number goes: before the extension the base name kept from the file's own
// name, which the base name's text cannot move ("" on "report.txt" gives "1.txt", though
// ".txt" alone has no extension).
qsizetype numberedTail(QStringView name, QStringView currentName, bool folder)
{
    if (folder)
        return 0; // a folder's name is all base name
    const qsizetype kept = extensionLength(currentName);
    return name.endsWith(currentName.last(kept)) ? kept : extensionLength(name);
}

} // namespace

bool keepsOwnNames(QStringView baseName)
{
    return baseName == u"*" || baseName == u"-";
}

double fieldNumber(QStringView text)
{
    if (!isDecimalNumber(text))
        return 1;
    const QByteArray latin = text.toLatin1();
    const char *begin = latin.constData();
    if (*begin == '+')
        ++begin;
    double value = 0;
    const auto result = std::from_chars(begin, latin.constData() + latin.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value))
        return 1;
    return std::floor(value);
}

int writeNumberText(double value, int width, char16_t *out)
{
    if (!std::isfinite(value))
        return -1;
    if (std::abs(value) < PlainDigitsLimit && value == std::floor(value))
        return writeWholeNumber(static_cast<long long>(value), width, out); // -0 becomes 0
    // Else as printf's %.15G writes it.
    char digits[NumberTextCapacity];
    const int length = std::snprintf(digits, NumberTextCapacity, "%.15G", value);
    const int sign = digits[0] == '-' ? 1 : 0;
    const int zeros = qMax(0, qMin(width, NumberTextCapacity) - length);
    int written = 0;
    for (int i = 0; i < sign; ++i)
        out[written++] = u'-';
    for (int i = 0; i < zeros; ++i)
        out[written++] = u'0';
    for (int i = sign; i < length; ++i)
        out[written++] = char16_t(digits[i]);
    return written;
}

void ApplyBaseName(FileNameTable &table, const QString &baseName)
{
    const NameColumn &current = table.currentNames();
    if (keepsOwnNames(baseName)) {
        table.keepCurrentNames();
        return;
    }
    NameColumn &fresh = table.spareColumn();
    fresh.beginRewrite(current.size(), current.totalLength() + current.size() * baseName.size());
    for (qsizetype i = 0; i < current.size(); ++i) {
        const QStringView name = current.at(i);
        fresh.write({baseName, name.last(table.extensionLengthAt(i, name))});
    }
    fresh.endRewrite();
    table.takeSpareAsNewNames();
}

RunningNumber::RunningNumber(QStringView startText, QStringView stepText, int digitWidthIndex)
    : m_start(fieldNumber(startText))
    , m_step(fieldNumber(stepText))
    , m_width(digitWidthIndex + 1)
{
}

int RunningNumber::write(qsizetype row, int width, char16_t *out) const
{
    double place = 0;
    if (size_t(row) < m_places.size()) {
        place = double(m_places[size_t(row)]);
    } else {
        const auto skippedBefore = std::lower_bound(m_skipped.begin(), m_skipped.end(), row) - m_skipped.begin();
        place = double(row - skippedBefore);
    }
    const double value = m_start + m_step * place;
    // From 10^15 on the number would be written in powers of ten, rounded or not at all: a
    // null stands in its place, which no file name can hold, so the row is marked and
    // refused rather than carrying a number the user did not ask for.
    const int length = std::abs(value) < PlainDigitsLimit ? writeNumberText(value, width, out) : -1;
    if (length >= 0)
        return length;
    out[0] = u'\0';
    return 1;
}

void ApplyNumbering(FileNameTable &table, const RunningNumber &number)
{
    const NameColumn &names = table.newNames();
    NameColumn &numbered = table.spareColumn();
    char16_t text[NumberTextCapacity];
    numbered.beginRewrite(names.size(), names.totalLength() + names.size() * NumberTextCapacity);
    const NameColumn &current = table.currentNames();
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QStringView name = names.at(i);
        const qsizetype tail = numberedTail(name, current.at(i), table.isFolderRow(i));
        const int length = number.write(i, number.width(), text);
        numbered.write({name.first(name.size() - tail), QStringView(text, length), name.last(tail)});
    }
    numbered.endRewrite();
    table.takeSpareAsNewNames();
}

} // namespace velmix
