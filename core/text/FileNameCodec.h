#pragma once

#include "text/Surrogates.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

namespace velmix {

// File names on Linux are bytes, not text. Valid UTF-8 decodes as usual; every byte that
// is not part of valid UTF-8 becomes the lone surrogate U+DC80 + byte, which encoding
// turns back into that same byte. So every listed name can be handed back to the file
// system exactly as it was read, and the same rule serves listing, folders and moves.
namespace FileNameCodec {

// Appends the decoded form of `bytes` to `out`.
void decodeAppend(const char *bytes, qsizetype size, QString &out);
[[nodiscard]] QString decode(QByteArrayView bytes);

// Whether a UTF-16 unit is the escape of a byte that is not valid UTF-8.
[[nodiscard]] constexpr bool isEscape(char16_t unit)
{
    return unit >= 0xDC80 && unit <= 0xDCFF;
}

// The bytes on disk of the character at `at` of `name` (an escape is its one byte), and
// in `units` how many UTF-16 units it spans; 0 for a lone surrogate that no byte decodes to.
[[nodiscard]] inline int encodedSize(QStringView name, qsizetype at, int &units)
{
    const char16_t unit = name[at].unicode();
    units = 1;
    if (unit < 0x80 || isEscape(unit))
        return 1;
    if (unit < 0x800)
        return 2;
    if (isSurrogatePairAt(name, at)) {
        units = 2;
        return 4;
    }
    return QChar::isSurrogate(unit) ? 0 : 3;
}

// Fails on a lone surrogate that no byte decodes to (such text cannot come from the
// file system, only from pasted input).
[[nodiscard]] std::optional<QByteArray> encode(QStringView name);

} // namespace FileNameCodec
} // namespace velmix
