#pragma once

#include <QByteArray>
#include "metadata/MediaTags.h"

#include <QDateTime>

namespace velmix {

// The creation time in the movie header (moov/mvhd) of an MP4 or MOV file, in local time;
// invalid when there is none. Reads box headers only, so a file of any size costs a few
// small reads.
[[nodiscard]] QDateTime quickTimeCreation(const QByteArray &path);

} // namespace velmix
