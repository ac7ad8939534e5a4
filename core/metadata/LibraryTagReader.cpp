#include "metadata/LibraryTagReader.h"

#include "metadata/ExifDates.h"
#include "metadata/QuickTimeHeader.h"

#include <exiv2/exiv2.hpp>
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <fcntl.h>
#include <unistd.h>

namespace velmix {
namespace {

enum class Family { None, Picture, Music, Movie };

Family familyOf(const QByteArray &path)
{
    static const std::pair<const char *, Family> extensions[] = {
        {"jpg", Family::Picture},  {"jpeg", Family::Picture}, {"jpe", Family::Picture},  {"tif", Family::Picture},
        {"tiff", Family::Picture}, {"heic", Family::Picture}, {"heif", Family::Picture}, {"avif", Family::Picture},
        {"png", Family::Picture},  {"webp", Family::Picture}, {"dng", Family::Picture},  {"cr2", Family::Picture},
        {"cr3", Family::Picture},  {"nef", Family::Picture},  {"arw", Family::Picture},  {"orf", Family::Picture},
        {"rw2", Family::Picture},  {"raf", Family::Picture},  {"pef", Family::Picture},  {"srw", Family::Picture},
        {"jp2", Family::Picture},  {"psd", Family::Picture},  {"mp3", Family::Music},    {"flac", Family::Music},
        {"ogg", Family::Music},    {"oga", Family::Music},    {"opus", Family::Music},   {"spx", Family::Music},
        {"m4a", Family::Music},    {"m4b", Family::Music},    {"aac", Family::Music},    {"wav", Family::Music},
        {"aif", Family::Music},    {"aiff", Family::Music},   {"wma", Family::Music},    {"ape", Family::Music},
        {"wv", Family::Music},     {"mpc", Family::Music},    {"tta", Family::Music},    {"mp4", Family::Movie},
        {"m4v", Family::Movie},    {"mov", Family::Movie},    {"3gp", Family::Movie},    {"3g2", Family::Movie},
    };
    const qsizetype dot = path.lastIndexOf('.');
    if (dot <= path.lastIndexOf('/') + 1)
        return Family::None;
    const QByteArrayView extension = QByteArrayView(path).sliced(dot + 1);
    for (const auto &[known, family] : extensions) {
        if (extension.compare(known, Qt::CaseInsensitive) == 0)
            return family;
    }
    return Family::None;
}

// EXIF writes "2026:07:14 15:30:12"; XMP an ISO date, with or without zone, of which
// the wall-clock time is kept as EXIF's is.
QDateTime exifDate(const std::string &text)
{
    const QString written = QString::fromStdString(text).trimmed();
    QDateTime date = exifDateTime(written.toLatin1());
    if (!date.isValid()) {
        const QDateTime iso = QDateTime::fromString(written, Qt::ISODate);
        if (iso.isValid())
            date = wallClock(iso.date(), iso.time());
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

// Where a JPEG's EXIF block is found at the start of the file.
constexpr qsizetype HeadSize = 64 * 1024;

// The first HeadSize bytes, and whether that is the whole file.
bool readHead(const QByteArray &path, QByteArray &head)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    head.resize(HeadSize + 1); // one more tells a file of exactly HeadSize bytes from a longer one
    qsizetype got = 0;
    while (got < head.size()) {
        const ssize_t n = ::read(fd, head.data() + got, size_t(head.size() - got));
        if (n <= 0)
            break;
        got += n;
    }
    ::close(fd);
    head.truncate(got);
    return true;
}

void readPicture(const QByteArray &path, QByteArray &head, MediaTags &tags)
{
    // Most photos are JPEGs with their dates in EXIF: read from the head alone. Exiv2
    // parses the rest, and a JPEG without an original date there, for its XMP.
    if (!readHead(path, head))
        return;
    if (readJpegExifDates(head, tags.dateTimeOriginal, tags.createDate) && tags.dateTimeOriginal.isValid())
        return;
    try {
        const bool whole = head.size() <= HeadSize;
        const Exiv2::Image::AutoPtr image =
            whole ? Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte *>(head.constData()), long(head.size()))
                  : Exiv2::ImageFactory::open(path.toStdString());
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
        case Family::Picture: readPicture(path, m_head, tags); break;
        case Family::Music: readMusic(path, tags); break;
        case Family::Movie:
            tags.quickTimeCreated = quickTimeCreation(path);
            readMusic(path, tags); // MP4 tags, where TagLib takes the extension
            break;
        case Family::None: break;
        }
        return tags;
    }

private:
    QByteArray m_head; // reused from file to file
};

} // namespace

std::unique_ptr<TagReader> makeLibraryTagReader()
{
    return std::make_unique<LibraryTagReader>();
}

} // namespace velmix
