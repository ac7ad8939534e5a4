#pragma once

#include <QByteArrayView>
#include "metadata/MediaTags.h"

#include <QDateTime>

namespace velmix {

// The EXIF dates of a JPEG from the start of the file (its EXIF block sits in the first
// 64 KiB): DateTimeOriginal and CreateDate, each invalid where absent. Reads the EXIF
// block's two folders of tags and nothing else, so it costs far less than a full parse;
// false where `head` holds no EXIF block that can be read.
// An EXIF date, "2026:07:14 15:30:12"; invalid where the text is no such date.
[[nodiscard]] QDateTime exifDateTime(QByteArrayView text);

// Where `subSecond` is given, it takes SubSecTimeOriginal's digits too (empty for none).
bool readJpegExifDates(QByteArrayView head, QDateTime &original, QDateTime &created, QString *subSecond = nullptr);
// The same from an EXIF block's TIFF structure itself ("II*" or "MM*"), as other
// containers hold it.
bool readTiffExifDates(QByteArrayView tiff, QDateTime &original, QDateTime &created, QString *subSecond = nullptr);

} // namespace velmix
