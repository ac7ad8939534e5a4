#pragma once

#include <QString>

namespace velmix {

// A short report the desktop shows by itself, for a program whose printed lines nobody
// reads (one a file manager started). The core never shows one; a front end renders its
// outcomes through it.
class DesktopNotices
{
public:
    virtual ~DesktopNotices() = default;

    enum class Answer { None, Undo };

    // Shows `summary` (one line) over `body` (plain text). With `offerUndo` the notice offers
    // "Отменить" and waits a bounded time for the user's click; Answer::Undo when it came.
    [[nodiscard]] virtual Answer show(const QString &summary, const QString &body, bool offerUndo) = 0;
};

} // namespace velmix
