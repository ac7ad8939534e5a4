#include "metadata/DateChain.h"

#include "metadata/CameraName.h"
#include "metadata/DateShifts.h"

#include <QLocale>
#include <QRegularExpression>

namespace velmix {
namespace {

// Years a camera or phone plausibly wrote; keeps serial numbers from reading as dates.
constexpr int FirstYear = 1970;
constexpr int LastYear = 2100;

QDateTime fromParts(const QRegularExpressionMatch &match)
{
    const int year = match.captured(u"y").toInt();
    if (year < FirstYear || year > LastYear)
        return {};
    const QDate date(year, match.captured(u"mo").toInt(), match.captured(u"d").toInt());
    if (!date.isValid())
        return {};
    QTime time(0, 0);
    if (match.hasCaptured(u"h")) {
        const QTime written(match.captured(u"h").toInt(), match.captured(u"mi").toInt(), match.captured(u"s").toInt());
        if (written.isValid())
            time = written;
    }
    return wallClock(date, time);
}

} // namespace

QDateTime dateInName(QStringView name)
{
    // The time after a date: three two-digit parts, apart or run together, as cameras and
    // phones write it (PXL_20260714_153012345, "at 15.30.12", -153012, -15-30-12), with
    // milliseconds after it left aside; after a date of digits alone, also with nothing
    // between them (20260714153012).
    const auto time = [](const QString &before) {
        return QStringLiteral("(?:%1(?<h>\\d{2})(?<ts>[-._:]?)(?<mi>\\d{2})\\k<ts>(?<s>\\d{2})(?:[-._]?\\d{3})?)?(?!\\d)")
            .arg(before);
    };
    static const QString apart = QStringLiteral("(?:[ _T-]| at )");
    // 20260714; 2026-07-14 or 2026-7-4 (dots, dashes or underscores); 14.07.2026, the
    // Russian order.
    static const QRegularExpression patterns[] = {
        QRegularExpression(QStringLiteral("(?<!\\d)(?<y>\\d{4})([-._])(?<mo>\\d{1,2})\\2(?<d>\\d{1,2})") + time(apart)),
        QRegularExpression(QStringLiteral("(?<!\\d)(?<y>\\d{4})(?<mo>\\d{2})(?<d>\\d{2})") + time(apart + u'?')),
        QRegularExpression(QStringLiteral("(?<!\\d)(?<d>\\d{1,2})([-._])(?<mo>\\d{1,2})\\2(?<y>\\d{4})") + time(apart)),
    };
    const QString text = name.toString();
    for (const QRegularExpression &pattern : patterns) {
        QRegularExpressionMatchIterator matches = pattern.globalMatch(text);
        while (matches.hasNext()) {
            const QDateTime date = fromParts(matches.next());
            if (date.isValid())
                return date;
        }
    }
    return {};
}

RowMetadata rowMetadata(const MediaTags &tags, QStringView name, const QDateTime &modified)
{
    RowMetadata row{{}, DateSource::None, tags.artist, tags.title, tags.album, tags.track,
                    cameraName(tags.cameraMake, tags.cameraModel)};
    row.subSecond = tags.subSecondOriginal;
    const std::pair<const QDateTime &, DateSource> tagged[] = {
        {tags.dateTimeOriginal, DateSource::DateTimeOriginal},
        {tags.createDate, DateSource::CreateDate},
        {tags.quickTimeCreated, DateSource::QuickTime},
    };
    for (const auto &[date, source] : tagged) {
        if (date.isValid()) {
            row.date = date;
            row.source = source;
            return row;
        }
    }
    if (const QDateTime named = dateInName(name); named.isValid()) {
        row.date = named;
        row.source = DateSource::FileName;
    } else if (modified.isValid()) {
        row.date = modified;
        row.source = DateSource::ModificationTime;
    }
    return row;
}

bool hasTagDate(const MediaTags &tags)
{
    return tags.dateTimeOriginal.isValid() || tags.createDate.isValid() || tags.quickTimeCreated.isValid();
}

QString dateNote(const RowMetadata &row)
{
    QString source;
    switch (row.source) {
    case DateSource::None: return QStringLiteral("Дата не найдена");
    case DateSource::DateTimeOriginal: source = QStringLiteral("EXIF, дата съёмки (DateTimeOriginal)"); break;
    case DateSource::CreateDate: source = QStringLiteral("EXIF, дата создания (CreateDate)"); break;
    case DateSource::QuickTime: source = QStringLiteral("заголовок видео (QuickTime)"); break;
    case DateSource::FileName: source = QStringLiteral("имя файла"); break;
    case DateSource::ModificationTime:
        source = QStringLiteral("время изменения файла: тегов с датой нет, после копирования оно не дата съёмки");
        break;
    }
    const QLocale c = QLocale::c();
    QString note = QStringLiteral("Дата %1 — %2").arg(c.toString(row.date, u"yyyy-MM-dd HH:mm:ss"), source);
    if (row.shiftMinutes != 0 && row.date.isValid()) {
        // The time as written and as moved; with the day where the shift crosses midnight.
        const QDateTime written = row.date.addSecs(-qint64(row.shiftMinutes) * 60);
        const QStringView format = written.date() == row.date.date() ? u"HH:mm" : u"dd.MM HH:mm";
        const bool taken = row.source != DateSource::FileName && row.source != DateSource::ModificationTime;
        note += QStringLiteral("; %1 %2, сдвиг %3 → %4")
                    .arg(taken ? QStringLiteral("снято") : QStringLiteral("было"), c.toString(written, format),
                         DateShifts::offsetText(row.shiftMinutes), c.toString(row.date, format));
    }
    return note;
}

} // namespace velmix
