#include "metadata/HeifExif.h"

#include "metadata/ExifDates.h"

#include <libheif/heif.h>

#include <QtEndian>

#include <memory>

#include <fcntl.h>
#include <unistd.h>

namespace velmix {
namespace {

struct ContextFree
{
    void operator()(heif_context *context) const { heif_context_free(context); }
};
struct HandleRelease
{
    void operator()(heif_image_handle *handle) const { heif_image_handle_release(handle); }
};

// A block claiming more than any camera writes is a damaged or hostile file.
constexpr quint64 MaxExifSize = 4 * 1024 * 1024;

// Reads big-endian numbers of 0 to 8 bytes, every read checked against the end.
class Reader
{
public:
    explicit Reader(QByteArrayView data) : m_data(data) {}
    [[nodiscard]] bool ok() const { return m_ok; }
    [[nodiscard]] qsizetype at() const { return m_at; }
    quint64 number(int bytes)
    {
        if (bytes < 0 || bytes > 8 || m_at + bytes > m_data.size()) {
            m_ok = false;
            return 0;
        }
        quint64 value = 0;
        for (int i = 0; i < bytes; ++i)
            value = value << 8 | uchar(m_data[m_at++]);
        return value;
    }

private:
    QByteArrayView m_data;
    qsizetype m_at = 0;
    bool m_ok = true;
};

// Calls `box(type, body)` for each box in `data` until it returns true; false where none
// did or a box runs past the data.
template<typename Box>
bool eachBox(QByteArrayView data, Box box)
{
    while (data.size() >= 8) {
        Reader reader(data);
        quint64 size = reader.number(4);
        const QByteArrayView type = data.sliced(4, 4);
        (void)reader.number(4);
        if (size == 1)
            size = reader.number(8);
        else if (size == 0)
            size = quint64(data.size()); // the last box, to the end
        const qsizetype header = reader.at();
        if (!reader.ok() || size < quint64(header) || size > quint64(data.size()))
            return false;
        if (box(type, data.sliced(header, qsizetype(size) - header)))
            return true;
        data = data.sliced(qsizetype(size));
    }
    return false;
}

} // namespace

std::optional<FileRange> heifExifRange(QByteArrayView head)
{
    QByteArrayView meta;
    if (!eachBox(head, [&](QByteArrayView type, QByteArrayView body) {
            if (type != "meta")
                return false;
            meta = body.size() >= 4 ? body.sliced(4) : QByteArrayView(); // after its version and flags
            return true;
        }))
        return std::nullopt;
    QByteArrayView iinf, iloc;
    (void)eachBox(meta, [&](QByteArrayView type, QByteArrayView body) {
        if (type == "iinf")
            iinf = body;
        else if (type == "iloc")
            iloc = body;
        return false;
    });
    // The item info: each infe box (version 2 or 3) names an item's type.
    std::optional<quint64> exifItem;
    const qsizetype firstEntry = iinf.size() > 0 && iinf[0] == 0 ? 6 : 8; // after the version and the count
    if (iinf.size() < firstEntry)
        return std::nullopt;
    (void)eachBox(iinf.sliced(firstEntry), [&](QByteArrayView type, QByteArrayView body) {
        Reader infe(body);
        const quint64 version = infe.number(1);
        (void)infe.number(3);
        if (type != "infe" || version < 2)
            return false;
        const quint64 id = infe.number(version == 2 ? 2 : 4);
        (void)infe.number(2); // protection index
        if (infe.ok() && infe.at() + 4 <= body.size() && body.sliced(infe.at(), 4) == "Exif")
            exifItem = id;
        return exifItem.has_value();
    });
    if (!exifItem)
        return std::nullopt;
    // The item locations: the EXIF item in one extent of this file.
    Reader r(iloc);
    const quint64 version = r.number(1);
    (void)r.number(3);
    const quint64 sizes = r.number(1), moreSizes = r.number(1);
    const int offsetSize = int(sizes >> 4), lengthSize = int(sizes & 15), baseSize = int(moreSizes >> 4);
    const int indexSize = version == 1 || version == 2 ? int(moreSizes & 15) : 0;
    const quint64 items = r.number(version < 2 ? 2 : 4);
    for (quint64 item = 0; r.ok() && item < items; ++item) {
        const quint64 id = r.number(version < 2 ? 2 : 4);
        const quint64 method = version == 1 || version == 2 ? r.number(2) & 15 : 0;
        const quint64 dataReference = r.number(2);
        const quint64 base = r.number(baseSize);
        const quint64 extents = r.number(2);
        quint64 offset = 0, length = 0;
        for (quint64 extent = 0; r.ok() && extent < extents; ++extent) {
            (void)r.number(indexSize);
            offset = r.number(offsetSize);
            length = r.number(lengthSize);
        }
        if (r.ok() && id == *exifItem) {
            if (method != 0 || dataReference != 0 || extents != 1 || length == 0 || length > MaxExifSize)
                return std::nullopt;
            return FileRange{base + offset, length};
        }
    }
    return std::nullopt;
}

namespace {

// The EXIF item's bytes: from the head where it lies there, else read from the file.
QByteArray readRange(const QByteArray &path, QByteArrayView head, FileRange range)
{
    if (range.offset <= quint64(head.size()) && range.length <= quint64(head.size()) - range.offset)
        return head.sliced(qsizetype(range.offset), qsizetype(range.length)).toByteArray();
    QByteArray bytes(qsizetype(range.length), Qt::Uninitialized);
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    const ssize_t got = ::pread(fd, bytes.data(), size_t(bytes.size()), off_t(range.offset));
    ::close(fd);
    return got == bytes.size() ? bytes : QByteArray();
}

// The block starts with where its TIFF header is, counted from after those four bytes.
bool readExifItem(QByteArrayView exif, QDateTime &original, QDateTime &created)
{
    if (exif.size() < 4)
        return false;
    const quint32 tiffAt = qFromBigEndian<quint32>(exif.data());
    return tiffAt <= quint32(exif.size() - 4) && readTiffExifDates(exif.sliced(4 + tiffAt), original, created);
}

bool readThroughLibheif(const QByteArray &path, QByteArrayView head, bool whole, QDateTime &original,
                        QDateTime &created)
{
    const std::unique_ptr<heif_context, ContextFree> context(heif_context_alloc());
    if (!context)
        return false;
    const heif_error opened =
        whole ? heif_context_read_from_memory_without_copy(context.get(), head.data(), size_t(head.size()), nullptr)
              : heif_context_read_from_file(context.get(), path.constData(), nullptr);
    if (opened.code != heif_error_Ok)
        return false;
    heif_image_handle *primary = nullptr;
    if (heif_context_get_primary_image_handle(context.get(), &primary).code != heif_error_Ok)
        return false;
    const std::unique_ptr<heif_image_handle, HandleRelease> handle(primary);
    heif_item_id block = 0;
    if (heif_image_handle_get_list_of_metadata_block_IDs(primary, "Exif", &block, 1) != 1)
        return false;
    const size_t size = heif_image_handle_get_metadata_size(primary, block);
    if (size < 4 || size > MaxExifSize)
        return false;
    QByteArray exif(qsizetype(size), Qt::Uninitialized);
    return heif_image_handle_get_metadata(primary, block, exif.data()).code == heif_error_Ok &&
           readExifItem(exif, original, created);
}

} // namespace

bool readHeifExifDates(const QByteArray &path, QByteArrayView head, bool whole, QDateTime &original,
                       QDateTime &created)
{
    if (const std::optional<FileRange> range = heifExifRange(head)) {
        if (readExifItem(readRange(path, head, *range), original, created))
            return true;
    }
    return readThroughLibheif(path, head, whole, original, created);
}

} // namespace velmix
