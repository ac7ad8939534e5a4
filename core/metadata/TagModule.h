#pragma once

#include "metadata/MediaTags.h"

namespace velmix {

// The metadata module (the tag libraries and their adapter, loaded by the programs on the
// first file whose tags are asked for): its file, in the program's private folder, and its
// one entry point, which makes a reader the caller owns.
inline constexpr char TagModuleFile[] = "velmix-metadata.so";
inline constexpr char TagModuleEntry[] = "velmixNewTagReader";
using NewTagReader = TagReader *();

} // namespace velmix
