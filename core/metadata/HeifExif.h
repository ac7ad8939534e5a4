#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include "metadata/MediaTags.h"

namespace velmix {

// The EXIF dates and camera of a HEIC, HEIF or AVIF picture: the EXIF item found by heifExifRange()
// and read alone, else through libheif (which reads every box of the file whole), read as a
// JPEG's EXIF block is. `head` holds the file's start, and the whole file where `whole`.
// False where no EXIF block is found.
bool readHeifExif(const QByteArray &path, QByteArrayView head, bool whole, MediaTags &tags);

} // namespace velmix
