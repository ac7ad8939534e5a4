#pragma once

#include "metadata/MediaTags.h"

#include <QByteArrayView>
#include <QString>

namespace velmix {

// The text of an old tag field, one byte a letter. Where `choice` is Detect, cp1251 is
// taken when more words read as Russian in it (all their letters from its upper half)
// than as Latin-1 (an accented letter among plain ones, as in "Motörhead").
// Whether one-byte text reads as Russian in cp1251 rather than as Latin-1, by that count;
// old tags and list files are guessed alike.
[[nodiscard]] bool readsAsCp1251(QByteArrayView bytes);
[[nodiscard]] QString oldTagText(QByteArrayView bytes, OldTagText choice);

} // namespace velmix
