#pragma once

#include "apply/RenameExecutor.h"
#include "marks/NameConflicts.h"
#include "marks/RenameFailure.h"
#include "text/FileNameCodec.h"
#include "text/NameColumn.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QTest>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace velmix::test {

// A real folder whose files hold their own first names as content, so that after a
// rename every file can be traced back to where it came from.
inline void createFile(const QByteArray &folder, const QByteArray &name, const QByteArray &content)
{
    const QByteArray path = folder + '/' + name;
    const int fd = ::open(path.constData(), O_CREAT | O_EXCL | O_WRONLY, 0644);
    QVERIFY2(fd >= 0, path.constData());
    QCOMPARE(::write(fd, content.constData(), size_t(content.size())), ssize_t(content.size()));
    ::close(fd);
}

// Name (bytes) to content of every entry of the folder.
inline QMap<QByteArray, QByteArray> folderContents(const QByteArray &folder)
{
    QMap<QByteArray, QByteArray> contents;
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return contents;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        QByteArray content;
        const int fd = ::openat(dirfd(dir), entry->d_name, O_RDONLY);
        char buffer[256];
        for (ssize_t got; fd >= 0 && (got = ::read(fd, buffer, sizeof buffer)) > 0;)
            content.append(buffer, got);
        if (fd >= 0)
            ::close(fd);
        contents.insert(name, content);
    }
    ::closedir(dir);
    return contents;
}

// Per failed row: row * 10 + reason, so a whole outcome compares in one go.
using Reasons = QList<int>;

inline Reasons reasonsOf(const std::vector<RenameFailure> &failures)
{
    Reasons reasons;
    for (const RenameFailure &failure : failures)
        reasons.append(int(failure.row) * 10 + int(failure.reason));
    return reasons;
}

inline NameColumn decodedColumn(const QList<QByteArray> &names)
{
    NameColumn column;
    for (const QByteArray &name : names)
        column.append(FileNameCodec::decode(name));
    return column;
}

// Renames as the apply does, by the folder's rules read first as its listing reads them.
inline RenameOutcome renameAsListed(FolderMover &mover, const NameColumn &currentNames, const NameColumn &newNames,
                                    WorkProgress *progress = nullptr)
{
    return renameFiles(mover, currentNames, newNames, readFolderRules(mover, currentNames), progress);
}

// The rows the grid marks as refused before apply, in the form of reasonsOf.
inline Reasons markedReasons(const QList<QByteArray> &sources, const NameColumn &targets,
                             const QList<QByteArray> &unlisted, const FolderRules &rules)
{
    const NameJudgement judgement =
        judgeNewNames(FolderNames(decodedColumn(sources), rules, decodedColumn(unlisted)), targets);
    Reasons reasons;
    for (size_t row = 0; row < judgement.fates.size(); ++row) {
        if (const std::optional<RenameReason> reason = refusalOf(judgement.fates[row]))
            reasons.append(int(row) * 10 + int(*reason));
    }
    return reasons;
}

} // namespace velmix::test
