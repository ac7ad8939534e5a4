#pragma once

#include <QByteArrayView>
#include <QtGlobal>

#include <optional>

namespace velmix {

// An EXIF block claiming more than any camera writes is a damaged or hostile file.
constexpr quint64 MaxHeifExifSize = 4 * 1024 * 1024;

// Where a HEIF file (HEIC, HEIF, AVIF) keeps its EXIF item, in the usual layout, found from
// the file's start alone (`head`): its meta box, whose iloc box stores the item in one
// piece of the file. Nothing where the layout is any other.
struct FileRange
{
    quint64 offset;
    quint64 length;
};
[[nodiscard]] std::optional<FileRange> heifExifRange(QByteArrayView head);

} // namespace velmix
