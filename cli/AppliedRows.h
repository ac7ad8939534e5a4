#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

#include <vector>

namespace velmix {
class FileNameTable;
struct BatchReport;
}

namespace velmix::cli {

// The rows an apply is to change, taken before it with what each file is, so that after
// it each can be printed as a TSV row: old name, new name, and empty where the file got
// its new name, else why not.
class AppliedRows
{
public:
    AppliedRows(const FileNameTable &table, const QString &folder);
    // Looks at the folder as the apply left it; a row not renamed takes its reason from
    // the apply's report.
    void print(const BatchReport &report) const;

private:
    struct Row
    {
        QString from;
        QString to;
        QString markReason;
        dev_t device = 0;
        ino_t inode = 0;
    };
    QByteArray m_folder;
    std::vector<Row> m_rows;
};

} // namespace velmix::cli
