#pragma once

#include "LongWork.h"
#include "metadata/MediaTags.h"
#include "metadata/MetadataSource.h"
#include "work/WorkRunner.h"

#include <QString>

#include <memory>

namespace velmix {

// Reads the files of one folder (the one listed) on the work runner, with progress and
// cancel, through a tag reader.
class FolderMetadata final : public MetadataSource
{
public:
    FolderMetadata(WorkRunner &runner, std::unique_ptr<TagReader> reader);
    void setFolder(const QString &folder) { m_folder = folder; }
    // How the text of old tags is read from the next file on; false where it already was.
    bool setOldTagText(OldTagText choice)
    {
        if (choice == m_oldTagText)
            return false;
        m_oldTagText = choice;
        m_reader->setOldTagText(choice);
        return true;
    }
    [[nodiscard]] OldTagText oldTagText() const { return m_oldTagText; }
    std::vector<std::optional<RowMetadata>> read(const NameColumn &names, const std::vector<quint32> &rows) override;

    // The reading itself, on any thread: each file's tags, its name and its modification
    // time down the date chain.
    [[nodiscard]] static std::vector<std::optional<RowMetadata>>
    readFiles(TagReader &reader, const QString &folder, const NameColumn &names, const std::vector<quint32> &rows,
              WorkProgress *progress);

private:
    WorkRunner &m_runner;
    std::shared_ptr<TagReader> m_reader;
    QString m_folder;
    OldTagText m_oldTagText = OldTagText::Detect;
};

} // namespace velmix
