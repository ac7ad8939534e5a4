#include "metadata/HeifExif.h"

#include "metadata/ExifDates.h"
#include "metadata/HeifBoxes.h"

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
bool readExifItem(QByteArrayView exif, MediaTags &tags)
{
    if (exif.size() < 4)
        return false;
    const quint32 tiffAt = qFromBigEndian<quint32>(exif.data());
    return tiffAt <= quint32(exif.size() - 4) && readTiffExif(exif.sliced(4 + tiffAt), tags);
}

bool readThroughLibheif(const QByteArray &path, QByteArrayView head, bool whole, MediaTags &tags)
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
    if (size < 4 || size > MaxHeifExifSize)
        return false;
    QByteArray exif(qsizetype(size), Qt::Uninitialized);
    return heif_image_handle_get_metadata(primary, block, exif.data()).code == heif_error_Ok &&
           readExifItem(exif, tags);
}

} // namespace

bool readHeifExif(const QByteArray &path, QByteArrayView head, bool whole, MediaTags &tags)
{
    if (const std::optional<FileRange> range = heifExifRange(head)) {
        if (readExifItem(readRange(path, head, *range), tags))
            return true;
    }
    return readThroughLibheif(path, head, whole, tags);
}

} // namespace velmix
