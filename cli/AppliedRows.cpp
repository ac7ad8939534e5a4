#include "AppliedRows.h"

#include "apply/BatchReport.h"
#include "preview/FileNameTable.h"
#include "text/FileNameCodec.h"
#include "text/TsvField.h"

#include <QHash>

#include <sys/stat.h>

#include <cstdio>

namespace velmix::cli {

using namespace Qt::StringLiterals;

namespace {

// A row neither renamed nor refused: a cancel or a pulled medium left it.
const QString NotRenamed = u"не переименован: переименование остановлено"_s;

// The file a name in the folder holds: its device and inode, or nothing.
bool identify(const QByteArray &folder, const QString &name, dev_t &device, ino_t &inode)
{
    const std::optional<QByteArray> bytes = FileNameCodec::encode(name);
    struct stat status{};
    if (!bytes || ::lstat((folder + '/' + *bytes).constData(), &status) != 0)
        return false;
    device = status.st_dev;
    inode = status.st_ino;
    return true;
}

} // namespace

AppliedRows::AppliedRows(const FileNameTable &table, const QString &folder)
    : m_folder(FileNameCodec::encode(folder).value_or(folder.toUtf8()))
{
    for (qsizetype row = 0; row < table.fileCount(); ++row) {
        const bool marked = table.mark(row) != NameMark::None;
        Row taken{table.currentNames().at(row).toString(), table.newNames().at(row).toString(),
                  marked ? table.markReason(row) : QString()};
        if (!marked && taken.from == taken.to)
            continue;
        identify(m_folder, taken.from, taken.device, taken.inode);
        m_rows.push_back(std::move(taken));
    }
}

void AppliedRows::print(const BatchReport &report) const
{
    QHash<QString, QString> refusedWhy;
    for (const BatchReport::RefusedRow &refused : report.refused)
        refusedWhy.insert(refused.from, reasonText(refused.failure));
    for (const Row &row : m_rows) {
        dev_t device = 0;
        ino_t inode = 0;
        // The same file under its new name: a swap or a change of letter case alone is
        // told apart from a name that was free already.
        const bool renamed = row.inode != 0 && identify(m_folder, row.to, device, inode) && device == row.device
                             && inode == row.inode;
        const QString reason = renamed ? QString()
                               : !row.markReason.isEmpty() ? row.markReason
                                                           : refusedWhy.value(row.from, NotRenamed);
        const QByteArray line = tsvRow(row.from, row.to, reason);
        std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    }
}

} // namespace velmix::cli
