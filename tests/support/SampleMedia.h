#pragma once

#include <QByteArray>
#include <QString>

namespace velmix::test {

// Small media files made byte by byte, holding just the tags the names take.

// A JPEG with an EXIF block holding DateTimeOriginal and CreateDate ("2026:07:14
// 15:30:12"; an empty one is left out; both empty: no EXIF at all).
[[nodiscard]] QByteArray jpegWithExif(const QString &dateTimeOriginal, const QString &createDate = {});
// An MP3 with an ID3v2.4 tag (and a few silent frames), and a FLAC with Vorbis comments.
[[nodiscard]] QByteArray mp3WithTags(const QString &artist, const QString &title, const QString &album, int track);
[[nodiscard]] QByteArray flacWithTags(const QString &artist, const QString &title, const QString &album, int track);
// An MP4 whose movie header says it was made at `secondsSince1904` (UTC).
[[nodiscard]] QByteArray mp4CreatedAt(quint32 secondsSince1904);

} // namespace velmix::test
