#include "metadata/ExifDates.h"

#include <QtEndian>

namespace velmix {
namespace {

constexpr quint16 MakeTag = 0x010F;
constexpr quint16 ModelTag = 0x0110;
constexpr quint16 ExifFolderTag = 0x8769;
constexpr quint16 DateTimeOriginalTag = 0x9003;
constexpr quint16 CreateDateTag = 0x9004;
constexpr quint16 SubSecTimeOriginalTag = 0x9291;
constexpr quint16 AsciiType = 2;
constexpr qsizetype DateLength = 19; // "2026:07:14 15:30:12"

// The TIFF structure inside the EXIF block, every read checked against its end.
class Tiff
{
public:
    explicit Tiff(QByteArrayView data)
        : m_data(data)
        , m_little(data.size() >= 2 && data[0] == 'I' && data[1] == 'I')
    {
    }
    [[nodiscard]] bool has(qint64 at, qint64 size) const { return at >= 0 && size >= 0 && at + size <= m_data.size(); }
    [[nodiscard]] quint32 u16(qint64 at) const
    {
        const auto *bytes = reinterpret_cast<const uchar *>(m_data.data() + at);
        return m_little ? qFromLittleEndian<quint16>(bytes) : qFromBigEndian<quint16>(bytes);
    }
    [[nodiscard]] quint32 u32(qint64 at) const
    {
        const auto *bytes = reinterpret_cast<const uchar *>(m_data.data() + at);
        return m_little ? qFromLittleEndian<quint32>(bytes) : qFromBigEndian<quint32>(bytes);
    }
    [[nodiscard]] QByteArrayView bytes(qint64 at, qint64 size) const { return m_data.sliced(at, size); }

private:
    QByteArrayView m_data;
    bool m_little;
};

// Calls `entry(tag, type, count, valueAt)` for each entry of the folder at `at`.
template<typename Entry>
bool eachEntry(const Tiff &tiff, qint64 at, Entry entry)
{
    if (!tiff.has(at, 2))
        return false;
    const qint64 count = tiff.u16(at);
    if (!tiff.has(at + 2, count * 12))
        return false;
    for (qint64 i = 0; i < count; ++i) {
        const qint64 item = at + 2 + i * 12;
        entry(quint16(tiff.u16(item)), quint16(tiff.u16(item + 2)), tiff.u32(item + 4), item + 8);
    }
    return true;
}

QDateTime dateAt(const Tiff &tiff, quint16 type, quint32 count, qint64 valueAt)
{
    if (type != AsciiType || count < DateLength || !tiff.has(valueAt, 4))
        return {};
    const qint64 text = tiff.u32(valueAt);
    if (!tiff.has(text, DateLength))
        return {};
    return exifDateTime(tiff.bytes(text, DateLength));
}

// An ASCII value: inside its entry up to four bytes, else where the entry points; what
// follows its first zero is padding.
QString textAt(const Tiff &tiff, quint16 type, quint32 count, qint64 valueAt)
{
    constexpr quint32 TextLimit = 256; // no make or model is longer; a damaged count reads no further
    if (type != AsciiType || count == 0 || count > TextLimit)
        return {};
    const qint64 at = count <= 4 ? valueAt : (tiff.has(valueAt, 4) ? qint64(tiff.u32(valueAt)) : -1);
    if (!tiff.has(at, count))
        return {};
    QByteArrayView text = tiff.bytes(at, count);
    if (const qsizetype end = text.indexOf('\0'); end >= 0)
        text.truncate(end);
    return QString::fromLatin1(text).trimmed();
}

// The digits an ASCII entry starts with ("25", "250 "); empty where it holds none.
QString digitsAt(const Tiff &tiff, quint16 type, quint32 count, qint64 valueAt)
{
    QString digits = textAt(tiff, type, count, valueAt);
    qsizetype end = 0;
    while (end < digits.size() && digits[end] >= u'0' && digits[end] <= u'9')
        ++end;
    digits.truncate(end);
    return digits;
}

} // namespace

bool readTiffExif(QByteArrayView block, MediaTags &tags)
{
    const Tiff tiff(block);
    if (!tiff.has(0, 8) || !(block.startsWith("II") || block.startsWith("MM")) || tiff.u16(2) != 42)
        return false;
    qint64 exifFolder = -1;
    if (!eachEntry(tiff, tiff.u32(4), [&](quint16 tag, quint16 type, quint32 count, qint64 valueAt) {
            if (tag == ExifFolderTag)
                exifFolder = tiff.u32(valueAt);
            else if (tag == MakeTag)
                tags.cameraMake = textAt(tiff, type, count, valueAt);
            else if (tag == ModelTag)
                tags.cameraModel = textAt(tiff, type, count, valueAt);
        }))
        return false;
    return exifFolder >= 0 && eachEntry(tiff, exifFolder, [&](quint16 tag, quint16 type, quint32 count, qint64 valueAt) {
               if (tag == DateTimeOriginalTag)
                   tags.dateTimeOriginal = dateAt(tiff, type, count, valueAt);
               else if (tag == CreateDateTag)
                   tags.createDate = dateAt(tiff, type, count, valueAt);
               else if (tag == SubSecTimeOriginalTag)
                   tags.subSecondOriginal = digitsAt(tiff, type, count, valueAt);
           });
}

QDateTime exifDateTime(QByteArrayView text)
{
    // "2026:07:14 15:30:12", read by hand: this runs for every photo of a folder.
    if (text.size() < 19)
        return {};
    int parts[6];
    for (int i = 0; i < 6; ++i) {
        const qsizetype at = i < 1 ? 0 : 2 + 3 * i;
        const int width = i == 0 ? 4 : 2;
        int value = 0;
        for (int d = 0; d < width; ++d) {
            const char c = text[at + d];
            if (c < '0' || c > '9')
                return {};
            value = value * 10 + (c - '0');
        }
        parts[i] = value;
    }
    const QDate date(parts[0], parts[1], parts[2]);
    const QTime time(parts[3], parts[4], parts[5]);
    return date.isValid() && time.isValid() ? wallClock(date, time) : QDateTime();
}

bool readJpegExif(QByteArrayView head, MediaTags &tags)
{
    const auto byte = [&](qsizetype at) { return uchar(head[at]); };
    if (head.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8)
        return false;
    qsizetype at = 2;
    while (at + 4 <= head.size() && byte(at) == 0xFF) {
        const uchar marker = byte(at + 1);
        if (marker == 0xDA || marker == 0xD9) // the image data: no metadata after this
            return false;
        const qsizetype length = qFromBigEndian<quint16>(head.data() + at + 2);
        if (length < 2 || at + 2 + length > head.size())
            return false;
        const QByteArrayView body = head.sliced(at + 4, length - 2);
        if (marker == 0xE1 && body.startsWith(QByteArrayView("Exif\0\0", 6)))
            return readTiffExif(body.sliced(6), tags);
        at += 2 + length;
    }
    return false;
}

} // namespace velmix
