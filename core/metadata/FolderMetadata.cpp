#include "metadata/FolderMetadata.h"

#include "text/FileNameCodec.h"

#include <sys/stat.h>

namespace velmix {
namespace {

// The file's size and modification time; -1 and an invalid time where it cannot be looked at.
std::pair<qint64, QDateTime> sizeAndTime(const QByteArray &path)
{
    struct stat status {};
    if (::stat(path.constData(), &status) != 0)
        return {-1, {}};
    const QDateTime local = QDateTime::fromSecsSinceEpoch(status.st_mtim.tv_sec).toLocalTime();
    return {qint64(status.st_size), wallClock(local.date(), local.time())};
}

} // namespace

FolderMetadata::FolderMetadata(WorkRunner &runner, std::unique_ptr<TagReader> reader)
    : m_runner(runner)
    , m_reader(std::move(reader))
{
}

std::vector<std::optional<RowMetadata>> FolderMetadata::read(const NameColumn &names, const std::vector<quint32> &rows)
{
    WorkProgress progress;
    return m_runner.run(WorkKind::ReadingTags, progress,
                        [reader = m_reader, folder = m_folder, names, rows, &progress] {
                            return readFiles(*reader, folder, names, rows, &progress);
                        });
}

std::vector<std::optional<RowMetadata>> FolderMetadata::readFiles(TagReader &reader, const QString &folder,
                                                                 const NameColumn &names,
                                                                 const std::vector<quint32> &rows,
                                                                 WorkProgress *progress)
{
    std::vector<std::optional<RowMetadata>> read(rows.size());
    const std::optional<QByteArray> folderBytes = FileNameCodec::encode(folder);
    if (!folderBytes)
        return read;
    const QByteArray prefix = folderBytes->endsWith('/') ? *folderBytes : *folderBytes + '/';
    if (progress)
        progress->setTotal(qsizetype(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) {
        if (progress && progress->cancelled())
            break;
        const QStringView name = names.at(rows[i]);
        if (const std::optional<QByteArray> nameBytes = FileNameCodec::encode(name)) {
            const QByteArray path = prefix + *nameBytes;
            const MediaTags tags = reader.read(path);
            const auto [size, modified] = sizeAndTime(path);
            read[i] = rowMetadata(tags, name, hasTagDate(tags) ? QDateTime() : modified);
            read[i]->size = size;
            read[i]->modified = modified;
        } else {
            read[i] = rowMetadata({}, name, {});
        }
        if (progress)
            progress->advance();
    }
    return read;
}

} // namespace velmix
