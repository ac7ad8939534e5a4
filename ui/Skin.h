#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace velmix::Skin {

inline const QColor cream(255, 243, 195);
inline const QColor red(255, 0, 0);
inline const QColor silver(192, 192, 192);
// The skin's red, dark enough for text on cream and on the marks' tints.
inline const QColor accent(190, 0, 0);

// A skin picture at its natural size in logical pixels; on a dense screen the @2x
// picture is taken.
[[nodiscard]] QPixmap picture(const QString &name, QSize naturalSize);
[[nodiscard]] QIcon windowIcon();

// The fonts of the layout: "MS Sans Serif" where a desktop has it, otherwise a sans font
// with Cyrillic letters.
[[nodiscard]] QFont controlFont();
[[nodiscard]] QFont frameFont();
[[nodiscard]] QFont titleFont();

} // namespace velmix::Skin
