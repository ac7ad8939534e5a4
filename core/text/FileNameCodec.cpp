#include "text/FileNameCodec.h"

#include "text/Surrogates.h"

namespace velmix::FileNameCodec {
namespace {

constexpr char16_t EscapeBase = 0xDC00;

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Length of the valid UTF-8 sequence starting at `p`, or 0. Overlong forms, encoded
// surrogates and code points past U+10FFFF are invalid, which keeps decoding reversible.
int validSequenceLength(const unsigned char *p, const unsigned char *end, char32_t &codePoint)
{
    const unsigned char lead = p[0];
    int length;
    char32_t minimum;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, minimum = 0x80, codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, minimum = 0x800, codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, minimum = 0x10000, codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (end - p < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        if (!isContinuation(p[i]))
            return 0;
        codePoint = (codePoint << 6) | (p[i] & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

void decodeAppend(const char *bytes, qsizetype size, QString &out)
{
    // Each byte gives at most one UTF-16 unit, so writing through a pointer into room
    // made once avoids a capacity check per character.
    const qsizetype start = out.size();
    if (out.capacity() < start + size)
        out.reserve(qMax(start + size, out.capacity() * 2));
    out.resize(start + size);
    char16_t *dst = reinterpret_cast<char16_t *>(out.data()) + start;
    const auto *p = reinterpret_cast<const unsigned char *>(bytes);
    const auto *end = p + size;
    while (p < end) {
        if (*p < 0x80) {
            *dst++ = *p++;
            continue;
        }
        char32_t codePoint = 0;
        const int length = validSequenceLength(p, end, codePoint);
        if (length == 0) {
            *dst++ = char16_t(EscapeBase + *p++);
            continue;
        }
        if (codePoint > 0xFFFF) {
            *dst++ = QChar::highSurrogate(codePoint);
            *dst++ = QChar::lowSurrogate(codePoint);
        } else {
            *dst++ = char16_t(codePoint);
        }
        p += length;
    }
    out.resize(dst - reinterpret_cast<char16_t *>(out.data()));
}

QString decode(QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size());
    decodeAppend(bytes.data(), bytes.size(), out);
    return out;
}

std::optional<QByteArray> encode(QStringView name)
{
    // Sized first, then written through a pointer: one allocation of the exact size per
    // name and no capacity check per byte, which a batch of 100,000 names feels.
    const qsizetype size = name.size();
    qsizetype bytes = 0;
    int units = 1;
    for (qsizetype i = 0; i < size; i += units) {
        const int encoded = encodedSize(name, i, units);
        if (encoded == 0)
            return std::nullopt;
        bytes += encoded;
    }
    QByteArray encoded(bytes, Qt::Uninitialized);
    char *out = encoded.data();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = name[i].unicode();
        char32_t codePoint = unit;
        if (unit < 0x80) {
            *out++ = char(unit);
            continue;
        }
        if (isSurrogatePairAt(name, i)) {
            codePoint = QChar::surrogateToUcs4(unit, name[++i].unicode());
        } else if (isEscape(unit)) {
            *out++ = char(unit - EscapeBase);
            continue;
        }
        if (codePoint < 0x800) {
            *out++ = char(0xC0 | (codePoint >> 6));
        } else if (codePoint < 0x10000) {
            *out++ = char(0xE0 | (codePoint >> 12));
            *out++ = char(0x80 | ((codePoint >> 6) & 0x3F));
        } else {
            *out++ = char(0xF0 | (codePoint >> 18));
            *out++ = char(0x80 | ((codePoint >> 12) & 0x3F));
            *out++ = char(0x80 | ((codePoint >> 6) & 0x3F));
        }
        *out++ = char(0x80 | (codePoint & 0x3F));
    }
    return encoded;
}

} // namespace velmix::FileNameCodec
