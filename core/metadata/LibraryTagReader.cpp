#include "LibraryTagReader.h"

#include "QuickTimeHeader.h"

#include <exiv2/exiv2.hpp>
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <QSet>

namespace velmix {
namespace {

enum class Family { None, Picture, Music, Movie };

Family familyOf(const QByteArray &path)
{
    static const QSet<QByteArray> pictures{"jpg", "jpeg", "jpe", "tif", "tiff", "heic", "heif", "avif", "png",
                                           "webp", "dng", "cr2", "cr3", "nef", "arw", "orf", "rw2", "raf",
                                           "pef", "srw", "jp2", "psd", "xmp"};
    static const QSet<QByteArray> music{"mp3", "flac", "ogg", "oga", "opus", "spx", "m4a", "m4b", "aac",
                                        "wav", "aif", "aiff", "wma", "ape", "wv", "mpc", "tta"};
    static const QSet<QByteArray> movies{"mp4", "m4v", "mov", "3gp", "3g2"};
    const qsizetype dot = path.lastIndexOf('.');
    const qsizetype slash = path.lastIndexOf('/');
    if (dot <= slash + 1)
        return Family::None;
    const QByteArray extension = path.mid(dot + 1).toLower();
    if (pictures.contains(extension))
        return Family::Picture;
    if (music.contains(extension))
        return Family::Music;
    return movies.contains(extension) ? Family::Movie : Family::None;
}

// EXIF writes "2026:07:14 15:30:12"; XMP an ISO date, with or without zone, of which
// the wall-clock time is kept as EXIF's is.
QDateTime exifDate(const std::string &text)
{
    const QString written = QString::fromStdString(text).trimmed();
    QDateTime date = QDateTime::fromString(written.left(19), u"yyyy:MM:dd HH:mm:ss");
    if (!date.isValid()) {
        const QDateTime iso = QDateTime::fromString(written, Qt::ISODate);
        if (iso.isValid())
            date = QDateTime(iso.date(), iso.time());
    }
    return date;
}

template<typename Data, typename Key>
QDateTime firstDate(const Data &data, std::initializer_list<const char *> keys)
{
    for (const char *key : keys) {
        const auto found = data.findKey(Key(key));
        if (found == data.end())
            continue;
        if (const QDateTime date = exifDate(found->toString()); date.isValid())
            return date;
    }
    return {};
}

void readPicture(const QByteArray &path, MediaTags &tags)
{
    try {
        const Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(path.toStdString());
        if (!image.get())
            return;
        image->readMetadata();
        const Exiv2::ExifData &exif = image->exifData();
        const Exiv2::XmpData &xmp = image->xmpData();
        tags.dateTimeOriginal = firstDate<Exiv2::ExifData, Exiv2::ExifKey>(exif, {"Exif.Photo.DateTimeOriginal"});
        if (!tags.dateTimeOriginal.isValid())
            tags.dateTimeOriginal = firstDate<Exiv2::XmpData, Exiv2::XmpKey>(
                xmp, {"Xmp.exif.DateTimeOriginal", "Xmp.photoshop.DateCreated"});
        tags.createDate = firstDate<Exiv2::ExifData, Exiv2::ExifKey>(exif, {"Exif.Photo.DateTimeDigitized"});
        if (!tags.createDate.isValid())
            tags.createDate = firstDate<Exiv2::XmpData, Exiv2::XmpKey>(xmp, {"Xmp.xmp.CreateDate"});
    } catch (...) {
        // Not a picture Exiv2 can read (cut short, not what its name says): no tags.
    }
}

QString text(const TagLib::String &value)
{
    return QString::fromStdString(value.to8Bit(true));
}

void readMusic(const QByteArray &path, MediaTags &tags)
{
    try {
        const TagLib::FileRef file(path.constData(), false);
        const TagLib::Tag *tag = file.isNull() ? nullptr : file.tag();
        if (!tag)
            return;
        tags.artist = text(tag->artist());
        tags.title = text(tag->title());
        tags.album = text(tag->album());
        tags.track = int(qMin(tag->track(), 9999u));
    } catch (...) {
    }
}

class LibraryTagReader final : public TagReader
{
public:
    LibraryTagReader()
    {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize(); // once, before any pool thread parses XMP
        Exiv2::enableBMFF(true);        // HEIC and AVIF
    }

    MediaTags read(const QByteArray &path) override
    {
        MediaTags tags;
        switch (familyOf(path)) {
        case Family::Picture: readPicture(path, tags); break;
        case Family::Music: readMusic(path, tags); break;
        case Family::Movie:
            tags.quickTimeCreated = quickTimeCreation(path);
            readMusic(path, tags); // MP4 tags, where TagLib takes the extension
            break;
        case Family::None: break;
        }
        return tags;
    }
};

} // namespace

std::unique_ptr<TagReader> makeLibraryTagReader()
{
    return std::make_unique<LibraryTagReader>();
}

} // namespace velmix
