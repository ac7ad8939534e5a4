#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>

namespace velmix {

// The EXIF dates of a HEIC, HEIF or AVIF picture: the EXIF item found by heifExifRange()
// and read alone, else through libheif (which reads every box of the file whole), read as a
// JPEG's EXIF block is. `head` holds the file's start, and the whole file where `whole`.
// False where no EXIF block is found.
bool readHeifExifDates(const QByteArray &path, QByteArrayView head, bool whole, QDateTime &original,
                       QDateTime &created);

} // namespace velmix
