#pragma once

#include "metadata/MediaTags.h"

#include <memory>

namespace velmix {

// Photos' EXIF and XMP through Exiv2, music tags (ID3v1/v2, Vorbis comments, FLAC, MP4)
// through TagLib, a movie's creation time from its MP4/MOV header; which reader a file
// goes to is decided by its extension.
[[nodiscard]] std::unique_ptr<TagReader> makeLibraryTagReader();

} // namespace velmix
