#pragma once

#include <QStringList>

#include <optional>

namespace velmix::cli {

// Where the window is asked for but no display is named, so it cannot be shown: prints
// why and how to rename without it, or an option the window does not know as the command
// line tells one, and gives the exit status (2). Nothing where the window can start.
[[nodiscard]] std::optional<int> refuseWindowWithoutDisplay(const QStringList &arguments);

} // namespace velmix::cli
