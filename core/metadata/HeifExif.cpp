#include "metadata/HeifExif.h"

#include "metadata/ExifDates.h"

#include <libheif/heif.h>

#include <QtEndian>

#include <memory>

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

} // namespace

bool readHeifExifDates(const QByteArray &path, QByteArrayView head, bool whole, QDateTime &original,
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
    QByteArray exif(qsizetype(heif_image_handle_get_metadata_size(primary, block)), Qt::Uninitialized);
    if (exif.size() < 4 || heif_image_handle_get_metadata(primary, block, exif.data()).code != heif_error_Ok)
        return false;
    // The block starts with where its TIFF header is, counted from after those four bytes.
    const quint32 tiffAt = qFromBigEndian<quint32>(exif.constData());
    if (tiffAt > quint32(exif.size() - 4))
        return false;
    return readTiffExifDates(QByteArrayView(exif).sliced(4 + tiffAt), original, created);
}

} // namespace velmix
