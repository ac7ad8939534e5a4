#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace velmix {

// A wall-clock time as written, with no time zone: held as UTC so that no zone's rules
// (daylight saving) shift, refuse or slow it.
[[nodiscard]] inline QDateTime wallClock(QDate date, QTime time)
{
    return QDateTime(date, time, Qt::UTC);
}

// What a file's own tags say, as far as the names need it. A date is the wall-clock
// time the camera wrote (see wallClock); an invalid one was not found.
struct MediaTags
{
    QDateTime dateTimeOriginal; // EXIF DateTimeOriginal, or XMP's
    QDateTime createDate;       // EXIF CreateDate (DateTimeDigitized), or XMP's
    QDateTime quickTimeCreated; // a MP4/MOV movie header's creation time, in local time
    QString cameraMake;         // EXIF Make and Model (or XMP's), as written
    QString cameraModel;
    QString subSecondOriginal = {}; // EXIF SubSecTimeOriginal's digits: tells a burst's photos apart
    QString artist;
    QString title;
    QString album;
    int track = 0;
};

// How the text of old tags (ID3v1, ID3v2's Latin-1 frames), one byte a letter, is read:
// as cp1251 where it reads as Russian words and not as Latin-1 text, or always as one.
enum class OldTagText : quint8 { Detect, Cp1251, Latin1 };

// Reads the tags of one file. Never throws; a file it cannot read gives empty tags.
// Called on a pool thread, one file at a time.
class TagReader
{
public:
    virtual ~TagReader() = default;
    [[nodiscard]] virtual MediaTags read(const QByteArray &path) = 0;
    // Takes effect from the next file read; may be called from any thread.
    virtual void setOldTagText(OldTagText choice) = 0;
};

} // namespace velmix
