#pragma once

#include <QByteArrayView>
#include "metadata/MediaTags.h"

#include <QDateTime>

namespace velmix {

// An EXIF date, "2026:07:14 15:30:12"; invalid where the text is no such date.
[[nodiscard]] QDateTime exifDateTime(QByteArrayView text);

// What the names take from the EXIF block of a JPEG, read from the start of the file (its
// EXIF block sits in the first 64 KiB): DateTimeOriginal, CreateDate, SubSecTimeOriginal's digits, the camera's
// Make and Model, each left as it was where absent. Reads the EXIF block's two folders of tags and
// nothing else, so it costs far less than a full parse; false where `head` holds no EXIF
// block that can be read.
bool readJpegExif(QByteArrayView head, MediaTags &tags);
// The same from an EXIF block's TIFF structure itself ("II*" or "MM*"), as other
// containers hold it.
bool readTiffExif(QByteArrayView tiff, MediaTags &tags);

} // namespace velmix
