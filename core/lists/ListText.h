#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace velmix {

// The text of a list file. A file of valid UTF-8 is read as UTF-8, a byte order mark
// dropped. In any other, each line that is not UTF-8 is read as cp1251 where those lines
// read as Russian in it (guessed as old tags are), else byte for byte as a name on disk
// holds them, so a saved list of names that are not UTF-8 comes back as it went.
[[nodiscard]] QString listText(QByteArrayView bytes);

// The lines of a list: a byte order mark dropped, CR LF taken as a line break, and the
// last line break ending the last line, not opening an empty one.
[[nodiscard]] QStringList listLines(QStringView text);

} // namespace velmix
