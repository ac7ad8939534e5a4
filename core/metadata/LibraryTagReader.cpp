#include "metadata/LibraryTagReader.h"

#include "metadata/ExifDates.h"
#include "metadata/HeifExif.h"
#include "metadata/OldTagText.h"
#include "metadata/QuickTimeHeader.h"

#include <exiv2/exiv2.hpp>
#include <libheif/heif.h>
#include <taglib/apetag.h>
#include <taglib/fileref.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>
#include <taglib/tpropertymap.h>

#include <atomic>
#include <mutex>

#include <fcntl.h>
#include <unistd.h>

namespace velmix {
namespace {

enum class Family { None, Picture, Heif, Music, Movie };

Family familyOf(const QByteArray &path)
{
    static const std::pair<const char *, Family> extensions[] = {
        {"jpg", Family::Picture},  {"jpeg", Family::Picture}, {"jpe", Family::Picture},  {"tif", Family::Picture},
        {"tiff", Family::Picture}, {"heic", Family::Heif},    {"heif", Family::Heif},    {"avif", Family::Heif},
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

template<typename Data, typename Key>
QString firstText(const Data &data, const char *key)
{
    const auto found = data.findKey(Key(key));
    return found == data.end() ? QString() : QString::fromStdString(found->toString()).trimmed();
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

void readPicture(const QByteArray &path, Family family, QByteArray &head, MediaTags &tags)
{
    // Most photos are JPEGs with their dates in EXIF: read from the head alone. A HEIF's
    // EXIF item is found by a walk of its boxes or by libheif, for Exiv2 0.27 finds none
    // in many. Exiv2 parses the rest, and a picture without an original date there, for
    // its XMP.
    if (!readHead(path, head))
        return;
    const bool found = family == Family::Heif ? readHeifExif(path, head, head.size() <= HeadSize, tags)
                                              : readJpegExif(head, tags);
    if (found && tags.dateTimeOriginal.isValid())
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
        // Only what the EXIF block read above left empty: Exiv2 finds no EXIF in many a HEIF.
        if (!tags.dateTimeOriginal.isValid()) {
            tags.dateTimeOriginal = firstDate<Exiv2::ExifData, Exiv2::ExifKey>(exif, {"Exif.Photo.DateTimeOriginal"});
            if (const auto sub = exif.findKey(Exiv2::ExifKey("Exif.Photo.SubSecTimeOriginal")); sub != exif.end())
                tags.subSecondOriginal = QString::fromStdString(sub->toString()).trimmed();
        }
        if (!tags.dateTimeOriginal.isValid())
            tags.dateTimeOriginal = firstDate<Exiv2::XmpData, Exiv2::XmpKey>(
                xmp, {"Xmp.exif.DateTimeOriginal", "Xmp.photoshop.DateCreated"});
        if (!tags.createDate.isValid())
            tags.createDate = firstDate<Exiv2::ExifData, Exiv2::ExifKey>(exif, {"Exif.Photo.DateTimeDigitized"});
        if (!tags.createDate.isValid())
            tags.createDate = firstDate<Exiv2::XmpData, Exiv2::XmpKey>(xmp, {"Xmp.xmp.CreateDate"});
        if (tags.cameraMake.isEmpty())
            tags.cameraMake = firstText<Exiv2::ExifData, Exiv2::ExifKey>(exif, "Exif.Image.Make");
        if (tags.cameraMake.isEmpty())
            tags.cameraMake = firstText<Exiv2::XmpData, Exiv2::XmpKey>(xmp, "Xmp.tiff.Make");
        if (tags.cameraModel.isEmpty())
            tags.cameraModel = firstText<Exiv2::ExifData, Exiv2::ExifKey>(exif, "Exif.Image.Model");
        if (tags.cameraModel.isEmpty())
            tags.cameraModel = firstText<Exiv2::XmpData, Exiv2::XmpKey>(xmp, "Xmp.tiff.Model");
    } catch (...) {
        // Not a picture Exiv2 can read (cut short, not what its name says): no tags.
    }
}

QString text(const TagLib::String &value)
{
    return QString::fromStdString(value.to8Bit(true));
}

// TagLib's hooks for one-byte text are process-wide: they are set once, and each read
// passes its choice through its own thread.
thread_local OldTagText threadOldTagText = OldTagText::Detect;

TagLib::String parseOldText(const TagLib::ByteVector &data)
{
    QByteArrayView bytes(data.data(), qsizetype(data.size()));
    if (const qsizetype end = bytes.indexOf('\0'); end >= 0)
        bytes.truncate(end); // ID3v1 pads its fields with zeros
    const QByteArray utf8 = oldTagText(bytes, threadOldTagText).trimmed().toUtf8();
    return TagLib::String(TagLib::ByteVector(utf8.constData(), uint(utf8.size())), TagLib::String::UTF8);
}

class OldV1Text final : public TagLib::ID3v1::StringHandler
{
public:
    TagLib::String parse(const TagLib::ByteVector &data) const override { return parseOldText(data); }
};

class OldV2Text final : public TagLib::ID3v2::Latin1StringHandler
{
public:
    TagLib::String parse(const TagLib::ByteVector &data) const override { return parseOldText(data); }
};

void setOldTextHandlers()
{
    static std::once_flag once;
    std::call_once(once, [] {
        static const OldV1Text v1;
        static const OldV2Text v2;
        TagLib::ID3v1::Tag::setStringHandler(&v1);
        TagLib::ID3v2::Tag::setLatin1StringHandler(&v2);
    });
}

// The one tag of an MP3 the names take, whole, the newest kind first, so a stale ID3v1
// tag never fills a field its ID3v2 tag leaves empty; and its fields, asked of the tag's
// own kind, as Tag::properties() is not virtual and the base's gives one value a field.
TagLib::Tag *chosenTag(TagLib::MPEG::File *mpeg, TagLib::PropertyMap &properties)
{
    if (mpeg->hasID3v2Tag()) {
        properties = mpeg->ID3v2Tag()->properties();
        return mpeg->ID3v2Tag();
    }
    if (mpeg->hasAPETag()) {
        properties = mpeg->APETag()->properties();
        return mpeg->APETag();
    }
    if (!mpeg->hasID3v1Tag())
        return nullptr;
    properties = mpeg->ID3v1Tag()->properties();
    return mpeg->ID3v1Tag();
}

// Several values of one field (two ARTIST comments, an ID3v2.4 frame's list) join with ", ".
QString joined(const TagLib::PropertyMap &properties, const char *key)
{
    const auto found = properties.find(key);
    return found == properties.end() ? QString() : text(found->second.toString(", "));
}

void readMusic(const QByteArray &path, MediaTags &tags)
{
    try {
        const TagLib::FileRef file(path.constData(), false);
        if (file.isNull())
            return;
        auto *mpeg = dynamic_cast<TagLib::MPEG::File *>(file.file());
        TagLib::PropertyMap properties;
        TagLib::Tag *tag = mpeg ? chosenTag(mpeg, properties) : file.tag();
        if (!tag)
            return;
        // The file's own map where it is no MP3: the base tag's lists only its first values.
        if (!mpeg)
            properties = file.file()->properties();
        tags.artist = joined(properties, "ARTIST");
        tags.title = joined(properties, "TITLE");
        tags.album = joined(properties, "ALBUM");
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
        setOldTextHandlers();
        heif_init(nullptr);
    }
    ~LibraryTagReader() override { heif_deinit(); }

    MediaTags read(const QByteArray &path) override
    {
        threadOldTagText = m_oldTagText.load(std::memory_order_relaxed);
        MediaTags tags;
        const Family family = familyOf(path);
        switch (family) {
        case Family::Picture:
        case Family::Heif: readPicture(path, family, m_head, tags); break;
        case Family::Music: readMusic(path, tags); break;
        case Family::Movie:
            tags.quickTimeCreated = quickTimeCreation(path);
            readMusic(path, tags); // MP4 tags, where TagLib takes the extension
            break;
        case Family::None: break;
        }
        return tags;
    }

    void setOldTagText(OldTagText choice) override { m_oldTagText.store(choice, std::memory_order_relaxed); }

private:
    QByteArray m_head; // reused from file to file
    std::atomic<OldTagText> m_oldTagText{OldTagText::Detect};
};

} // namespace

std::unique_ptr<TagReader> makeLibraryTagReader()
{
    return std::make_unique<LibraryTagReader>();
}

} // namespace velmix
