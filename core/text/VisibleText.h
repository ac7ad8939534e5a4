#pragma once

#include <QString>
#include <QStringView>

namespace velmix {

// A name as shown to a person: the control characters Linux allows in names (a newline,
// a tab, \x01, ...) become their pictures, U+2400 plus the code (DEL: U+2421), so a name
// never breaks a line or hides a character. Only for showing; the names on disk stay.
[[nodiscard]] QString withControlPictures(QStringView text);

} // namespace velmix
