#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>

namespace velmix {

// The EXIF dates of a HEIC, HEIF or AVIF picture, through libheif: the EXIF block of its
// primary image, read as a JPEG's is. `head` holds the file's start, and the whole file
// where `whole`, so a small file is not read twice. False where no EXIF block is found.
bool readHeifExifDates(const QByteArray &path, QByteArrayView head, bool whole, QDateTime &original,
                       QDateTime &created);

} // namespace velmix
