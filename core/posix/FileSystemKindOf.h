#pragma once

#include "FileSystemKind.h"

namespace velmix {

// Which file system the open folder `folderFd` is on: by the mount table's type for the
// kernel's drivers; for FUSE mounts by udev's record of the device, else by the boot
// sector of the mount's source where it can be read.
[[nodiscard]] FileSystemKind fileSystemKindOf(int folderFd);

} // namespace velmix
