#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace velmix::test {

// Small media files made byte by byte, holding just the tags the names take.

// A JPEG with an EXIF block holding DateTimeOriginal and CreateDate ("2026:07:14
// 15:30:12"), the camera's Make and Model and SubSecTimeOriginal; an empty one is left out; all empty: no EXIF
// at all.
[[nodiscard]] QByteArray jpegWithExif(const QString &dateTimeOriginal, const QString &createDate = {},
                                      const QByteArray &make = {}, const QByteArray &model = {}, const QString &subSecond = {});
// An MP3 with an ID3v2.4 tag (and a few silent frames; no track frame for track 0), and
// a FLAC with Vorbis comments, one ARTIST comment for each of `artists`.
[[nodiscard]] QByteArray mp3WithTags(const QString &artist, const QString &title, const QString &album, int track);
[[nodiscard]] QByteArray flacWithTags(const QStringList &artists, const QString &title, const QString &album, int track);
// The tags of old players, their text written as the bytes given: an MP3 with an ID3v2.3
// tag of Latin-1 frames (artist and title; no tag where both are empty), and an ID3v1 tag put at the end of `mp3`.
[[nodiscard]] QByteArray mp3WithLatin1Frames(const QByteArray &artist, const QByteArray &title);
[[nodiscard]] QByteArray withId3v1(QByteArray mp3, const QByteArray &artist, const QByteArray &title, int track);
// A HEIC (or, with `av1`, an AVIF) picture whose EXIF block holds DateTimeOriginal,
// CreateDate and the camera (none where empty; no block where all are), stored as libheif writes it or,
// with `twoExtents`, in two pieces as Exiv2 0.27 cannot read it; empty where libheif has
// no encoder for it.
[[nodiscard]] QByteArray heifWithExif(const QString &dateTimeOriginal, bool av1 = false, bool twoExtents = true,
                                      const QString &createDate = {}, const QByteArray &make = {},
                                      const QByteArray &model = {});
// An MP4 whose movie header says it was made at `secondsSince1904` (UTC).
[[nodiscard]] QByteArray mp4CreatedAt(quint32 secondsSince1904);

} // namespace velmix::test
