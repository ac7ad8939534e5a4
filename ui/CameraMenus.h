#pragma once

#include "preview/NamingOptions.h"

#include <QString>

#include <functional>
#include <optional>

class QMenu;
class QWidget;

namespace velmix {

class MessageBox;

// The menu entries for a card of photos: the counters that restart, and a camera's clock
// put right.
namespace CameraMenus {

inline const QString RestartPerFolder = QStringLiteral("Нумерация заново в каждой папке");
inline const QString RestartPerDay = QStringLiteral("Нумерация заново каждый день");
inline const QString ShiftTitle = QStringLiteral("Сдвиг времени");

// The two restarts, ticked as the options have them; a pick gives both as they are to be.
void addNumberingRestarts(QMenu &menu, const NamingOptions &options,
                          const std::function<void(bool perFolder, bool perDay)> &changed);

// "Сдвиг времени камеры «…»…" where the row names a camera, and "Сдвиг времени всех
// файлов…"; a pick gives the camera (empty for every file).
void addDateShifts(QMenu &menu, const QString &camera, const DateShifts &shifts,
                   const std::function<void(const QString &camera)> &picked);

// Asks the camera's shift, the one it has filled in; nothing where the box is cancelled or
// the text is no shift (told in `messages`).
[[nodiscard]] std::optional<int> askShift(QWidget *parent, MessageBox &messages, const QString &camera,
                                          const DateShifts &shifts);

} // namespace CameraMenus

} // namespace velmix
