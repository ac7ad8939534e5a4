#include "SampleMedia.h"

#include <QList>
#include <libheif/heif.h>
#include <QtEndian>

namespace velmix::test {
namespace {

template<typename T>
void appendBig(QByteArray &out, T value)
{
    char bytes[sizeof(T)];
    qToBigEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

template<typename T>
void appendLittle(QByteArray &out, T value)
{
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

QByteArray box(const char *type, const QByteArray &body)
{
    QByteArray out;
    appendBig<quint32>(out, quint32(8 + body.size()));
    return out + type + body;
}

} // namespace

namespace {

// Little-endian TIFF: IFD0 with the camera's make and model and an entry pointing at the
// EXIF IFD, whose entries point at the date strings after it (and the original's sub-second, where
// given); a text of four bytes or fewer
// stands in its entry. Empty where nothing is given.
QByteArray exifTiff(const QString &dateTimeOriginal, const QString &createDate, const QByteArray &make = {},
                    const QByteArray &model = {}, const QString &subSecond = {})
{
    QList<std::pair<quint16, QByteArray>> camera, dates;
    if (!make.isEmpty())
        camera.append({0x010F, make + '\0'});
    if (!model.isEmpty())
        camera.append({0x0110, model + '\0'});
    if (!dateTimeOriginal.isEmpty())
        dates.append({0x9003, dateTimeOriginal.toLatin1() + '\0'});
    if (!createDate.isEmpty())
        dates.append({0x9004, createDate.toLatin1() + '\0'});
    if (!subSecond.isEmpty() && !dates.isEmpty())
        dates.append({0x9291, subSecond.toLatin1() + '\0'});
    if (camera.isEmpty() && dates.isEmpty())
        return {};
    const quint32 exifIfd = 8 + 2 + 12 * quint32(camera.size() + (dates.isEmpty() ? 0 : 1)) + 4;
    const quint32 data = exifIfd + (dates.isEmpty() ? 0 : 2 + 12 * quint32(dates.size()) + 4);
    QByteArray tiff("II*\0", 4);
    appendLittle<quint32>(tiff, 8);
    QByteArray texts;
    const auto folder = [&](const QList<std::pair<quint16, QByteArray>> &entries, bool exifPointer) {
        appendLittle<quint16>(tiff, quint16(entries.size() + (exifPointer ? 1 : 0)));
        for (const auto &[tag, text] : entries) {
            appendLittle<quint16>(tiff, tag);
            appendLittle<quint16>(tiff, 2); // ASCII
            appendLittle<quint32>(tiff, quint32(text.size()));
            if (text.size() <= 4) {
                tiff += text.leftJustified(4, '\0');
            } else {
                appendLittle<quint32>(tiff, data + quint32(texts.size()));
                texts += text;
            }
        }
        if (exifPointer) {
            appendLittle<quint16>(tiff, 0x8769);
            appendLittle<quint16>(tiff, 4);
            appendLittle<quint32>(tiff, 1);
            appendLittle<quint32>(tiff, exifIfd);
        }
        appendLittle<quint32>(tiff, 0);
    };
    folder(camera, !dates.isEmpty());
    if (!dates.isEmpty())
        folder(dates, false);
    return tiff + texts;
}

quint32 bigAt(const QByteArray &data, qsizetype at, int size)
{
    return size == 2 ? qFromBigEndian<quint16>(data.constData() + at) : qFromBigEndian<quint32>(data.constData() + at);
}

void setBigAt(QByteArray &data, qsizetype at, quint32 value, int size)
{
    if (size == 2)
        qToBigEndian(quint16(value), data.data() + at);
    else
        qToBigEndian(value, data.data() + at);
}

// Stores the EXIF item of libheif's file (its iloc box: offsets and lengths of four bytes,
// one extent per item) in two extents, as the format allows: Exiv2 0.27 reads an iloc box
// only where every item has the same layout, and so finds no EXIF there, as with many
// phones' pictures.
QByteArray exifInTwoExtents(QByteArray file)
{
    const qsizetype meta = file.indexOf("meta") - 4, iloc = file.indexOf("iloc") - 4;
    const int version = iloc > meta && meta >= 0 ? file[iloc + 8] : -1;
    if ((version != 0 && version != 1) || file[iloc + 12] != 0x44)
        return {};
    const int baseOffsetSize = uchar(file[iloc + 13]) >> 4;
    const quint32 items = bigAt(file, iloc + 14, 2);
    qsizetype at = iloc + 16, exifEnd = -1;
    for (quint32 item = 0; item < items; ++item) {
        at += 2 + (version == 1 ? 2 : 0) + 2; // its id, how it is stored
        const qsizetype baseAt = at;
        const quint32 base = baseOffsetSize == 4 ? bigAt(file, baseAt, 4) : 0;
        at += baseOffsetSize;
        const quint32 extents = bigAt(file, at, 2);
        at += 2;
        for (quint32 extent = 0; extent < extents; ++extent, at += 8) {
            if (file.mid(base + bigAt(file, at, 4) + 4, 2) == "II") // the EXIF block, after where its TIFF header is
                exifEnd = at + 8;
        }
        // Everything after the meta box moves by the 8 bytes it grows by.
        const qsizetype movedAt = baseOffsetSize == 4 ? baseAt : at - 8 * extents;
        for (quint32 moved = 0; moved < (baseOffsetSize == 4 ? 1 : extents); ++moved)
            setBigAt(file, movedAt + 8 * moved, bigAt(file, movedAt + 8 * moved, 4) + 8, 4);
    }
    if (exifEnd < 0)
        return {};
    const quint32 offset = bigAt(file, exifEnd - 8, 4), length = bigAt(file, exifEnd - 4, 4);
    setBigAt(file, exifEnd - 4, length / 2, 4);
    setBigAt(file, exifEnd - 10, 2, 2);
    QByteArray second(8, '\0');
    setBigAt(second, 0, offset + length / 2, 4);
    setBigAt(second, 4, length - length / 2, 4);
    file.insert(exifEnd, second);
    setBigAt(file, iloc, bigAt(file, iloc, 4) + 8, 4);
    setBigAt(file, meta, bigAt(file, meta, 4) + 8, 4);
    return file;
}

heif_error appendWritten(heif_context *, const void *data, size_t size, void *out)
{
    static_cast<QByteArray *>(out)->append(static_cast<const char *>(data), qsizetype(size));
    return {heif_error_Ok, heif_suberror_Unspecified, ""};
}

} // namespace

QByteArray jpegWithExif(const QString &dateTimeOriginal, const QString &createDate, const QByteArray &make,
                        const QByteArray &model, const QString &subSecond)
{
    QByteArray jpeg("\xFF\xD8", 2);
    if (const QByteArray tiff = exifTiff(dateTimeOriginal, createDate, make, model, subSecond); !tiff.isEmpty()) {
        const QByteArray segment = QByteArray("Exif\0\0", 6) + tiff;
        jpeg += "\xFF\xE1";
        appendBig<quint16>(jpeg, quint16(segment.size() + 2));
        jpeg += segment;
    }
    // A comment segment, so the file has a body before its end marker.
    jpeg += QByteArray("\xFF\xFE\x00\x08velmix\xFF\xD9", 12);
    return jpeg;
}

namespace {

// An MP3 with an ID3v2 tag of `version` holding text frames (id, encoding byte, text);
// with none, an MP3 with no ID3v2 tag.
QByteArray mp3WithFrames(char version, const QList<std::pair<const char *, QByteArray>> &texts)
{
    QByteArray frames;
    for (const auto &[id, body] : texts) {
        frames += id;
        appendBig<quint32>(frames, quint32(body.size())); // below 128: the same when syncsafe
        frames += QByteArray(2, '\0') + body;
    }
    QByteArray mp3;
    if (!texts.isEmpty()) {
        mp3 = QByteArray("ID3", 3) + version + QByteArray(2, '\0');
        const quint32 size = quint32(frames.size());
        for (int shift : {21, 14, 7, 0})
            mp3 += char((size >> shift) & 0x7F);
        mp3 += frames;
    }
    // MPEG-1 layer III frames, 128 kbit/s at 44.1 kHz: 417 bytes each.
    for (int i = 0; i < 4; ++i)
        mp3 += QByteArray("\xFF\xFB\x90\x00", 4) + QByteArray(413, '\0');
    return mp3;
}

} // namespace

QByteArray mp3WithTags(const QString &artist, const QString &title, const QString &album, int track)
{
    QList<std::pair<const char *, QByteArray>> texts = {
        {"TPE1", '\x03' + artist.toUtf8()}, {"TIT2", '\x03' + title.toUtf8()}, {"TALB", '\x03' + album.toUtf8()}};
    if (track > 0)
        texts.append({"TRCK", '\x03' + QByteArray::number(track)});
    return mp3WithFrames(4, texts);
}

QByteArray mp3WithLatin1Frames(const QByteArray &artist, const QByteArray &title)
{
    QList<std::pair<const char *, QByteArray>> texts;
    if (!artist.isEmpty())
        texts.append({"TPE1", '\0' + artist});
    if (!title.isEmpty())
        texts.append({"TIT2", '\0' + title});
    return mp3WithFrames(3, texts);
}

QByteArray withId3v1(QByteArray mp3, const QByteArray &artist, const QByteArray &title, int track)
{
    const auto field = [](const QByteArray &text, int size) { return text.left(size).leftJustified(size, '\0'); };
    // ID3v1.1: the comment's last two bytes are a zero and the track.
    return mp3 + "TAG" + field(title, 30) + field(artist, 30) + field({}, 30) + field({}, 4) + field({}, 28) + '\0' +
           char(track) + char(255);
}

QByteArray flacWithTags(const QStringList &artists, const QString &title, const QString &album, int track)
{
    QByteArray flac("fLaC\x00\x00\x00\x22", 8); // STREAMINFO, 34 bytes
    appendBig<quint16>(flac, 4096);
    appendBig<quint16>(flac, 4096);
    flac += QByteArray(6, '\0');
    // 44,100 Hz, 2 channels, 16 bits, no samples counted.
    flac += QByteArray("\x0A\xC4\x42\xF0\x00\x00\x00\x00", 8) + QByteArray(16, '\0');
    QByteArray comments;
    appendLittle<quint32>(comments, 6);
    comments += "velmix";
    QStringList fields{QStringLiteral("TITLE=") + title, QStringLiteral("ALBUM=") + album,
                       QStringLiteral("TRACKNUMBER=") + QString::number(track)};
    for (const QString &artist : artists)
        fields.append(QStringLiteral("ARTIST=") + artist);
    appendLittle<quint32>(comments, quint32(fields.size()));
    for (const QString &field : fields) {
        appendLittle<quint32>(comments, quint32(field.toUtf8().size()));
        comments += field.toUtf8();
    }
    flac += char(0x84); // the last block: VORBIS_COMMENT
    for (int shift : {16, 8, 0})
        flac += char((comments.size() >> shift) & 0xFF);
    return flac + comments;
}

QByteArray heifWithExif(const QString &dateTimeOriginal, bool av1, bool twoExtents, const QString &createDate,
                        const QByteArray &make, const QByteArray &model)
{
    // A grey 64×64 picture, encoded by libheif's own encoders (x265, aom).
    heif_init(nullptr);
    heif_context *context = heif_context_alloc();
    heif_encoder *encoder = nullptr;
    heif_image *image = nullptr;
    heif_image_handle *handle = nullptr;
    QByteArray file;
    if (heif_context_get_encoder_for_format(context, av1 ? heif_compression_AV1 : heif_compression_HEVC, &encoder).code ==
            heif_error_Ok &&
        heif_image_create(64, 64, heif_colorspace_YCbCr, heif_chroma_420, &image).code == heif_error_Ok) {
        for (const auto &[channel, side] : {std::pair{heif_channel_Y, 64}, {heif_channel_Cb, 32}, {heif_channel_Cr, 32}}) {
            heif_image_add_plane(image, channel, side, side, 8);
            int stride = 0;
            std::fill_n(heif_image_get_plane(image, channel, &stride), stride * side, uint8_t(128));
        }
        heif_encoder_set_lossy_quality(encoder, 10);
        const QByteArray tiff = exifTiff(dateTimeOriginal, createDate, make, model);
        heif_writer writer{1, appendWritten};
        if (heif_context_encode_image(context, image, encoder, nullptr, &handle).code == heif_error_Ok &&
            (tiff.isEmpty() || heif_context_add_exif_metadata(context, handle, tiff.constData(), int(tiff.size())).code ==
                                   heif_error_Ok))
            heif_context_write(context, &writer, &file);
    }
    heif_image_handle_release(handle);
    heif_image_release(image);
    heif_encoder_release(encoder);
    heif_context_free(context);
    heif_deinit();
    return (dateTimeOriginal.isEmpty() && createDate.isEmpty() && make.isEmpty()) || !twoExtents ? file
                                                                                   : exifInTwoExtents(file);
}

QByteArray mp4CreatedAt(quint32 secondsSince1904)
{
    QByteArray header(4, '\0'); // version 0, no flags
    appendBig(header, secondsSince1904);
    appendBig(header, secondsSince1904);
    appendBig<quint32>(header, 1000); // time scale
    header += QByteArray(100 - header.size(), '\0');
    return box("ftyp", QByteArray("isom\0\0\0\0isom", 12)) + box("moov", box("mvhd", header));
}

} // namespace velmix::test
