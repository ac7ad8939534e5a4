#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>

#include <optional>

namespace velmix {

// Where a HEIF file (HEIC, HEIF, AVIF) keeps its EXIF item, in the usual layout, found from
// the file's start alone (`head`): its meta box, whose iloc box stores the item in one
// piece of the file. Nothing where the layout is any other.
struct FileRange
{
    quint64 offset;
    quint64 length;
};
[[nodiscard]] std::optional<FileRange> heifExifRange(QByteArrayView head);

// The EXIF dates of a HEIC, HEIF or AVIF picture: the EXIF item found by heifExifRange()
// and read alone, else through libheif (which reads every box of the file whole), read as a
// JPEG's EXIF block is. `head` holds the file's start, and the whole file where `whole`.
// False where no EXIF block is found.
bool readHeifExifDates(const QByteArray &path, QByteArrayView head, bool whole, QDateTime &original,
                       QDateTime &created);

} // namespace velmix
