#pragma once

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

// Fails on a lone surrogate that no byte decodes to (such text cannot come from the
// file system, only from pasted input).
[[nodiscard]] std::optional<QByteArray> encode(QStringView name);

} // namespace FileNameCodec
} // namespace velmix
