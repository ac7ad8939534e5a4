#pragma once

#include <QString>

namespace velmix {
class PreviewSession;
}

namespace velmix::cli {

struct Command;

// Takes the command's list of new names (--names, --map or --edit) over the preview's
// rows as names typed by hand. The reason, where the list does not fit the rows, is
// returned and nothing is taken; a map's names that are no row's are told on standard
// error, and the rest is taken.
[[nodiscard]] QString takeCommandList(PreviewSession &preview, const Command &command);

} // namespace velmix::cli
