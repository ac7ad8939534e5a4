#pragma once

#include "DesktopNotices.h"

namespace velmix::cli {

// The desktop's notices through QtDBus, a module loaded only where a notice is to be shown
// (an apply or an undo that no terminal watches), so no other start loads QtDBus and the
// libraries under it: its file in the program's private folder, and its one entry point,
// which gives the session's notices (the caller owns them), or none where they cannot be
// shown.
inline constexpr char NoticesModuleFile[] = "velmix-notices.so";
inline constexpr char NoticesModuleEntry[] = "velmixSessionNotices";
using SessionNotices = DesktopNotices *();

} // namespace velmix::cli
