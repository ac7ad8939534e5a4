#pragma once

#include "metadata/MediaTags.h"

#include <QDateTime>
#include <QStringView>

namespace velmix {

// Where a row's date came from, in the order they are tried.
enum class DateSource : quint8 { None, DateTimeOriginal, CreateDate, QuickTime, FileName, ModificationTime };

// A file's date and its source, and the tags its name fields take.
struct RowMetadata
{
    QDateTime date;
    DateSource source = DateSource::None;
    QString artist;
    QString title;
    QString album;
    int track = 0;
    QString camera = {}; // as cameraName() writes it; empty where the file names none
    int shiftMinutes = 0; // how far `date` was moved from what was read, for its camera's clock
    QString subSecond = {}; // of the date taken, as the camera wrote it; empty for none
    qint64 size = -1;  // in bytes; -1 where the file could not be looked at
    QDateTime modified = {}; // as a wall-clock time (see wallClock); invalid where unknown
};

// A date written in a file name, with the time written after it: 20260714 (as in
// IMG_20260714_153012 or PXL_20260714_153012345), 2026-07-14 or 2026-7-4 (as in
// "WhatsApp Image 2026-07-14 at 15.30.12" or signal-2026-07-14-153012), 14.07.2026;
// digits around it, or a date that does not exist, break the match (a time that does not
// exist is left out).
[[nodiscard]] QDateTime dateInName(QStringView name);

// The first of the tags' dates, the name's date and the modification time that holds one.
[[nodiscard]] RowMetadata rowMetadata(const MediaTags &tags, QStringView name, const QDateTime &modified);
// Whether the tags hold a date of their own, so the name and the file's time are not needed.
[[nodiscard]] bool hasTagDate(const MediaTags &tags);


// What the grid says of a row's date, in Russian.
[[nodiscard]] QString dateNote(const RowMetadata &row);

} // namespace velmix
