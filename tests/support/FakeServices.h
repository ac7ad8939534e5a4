#pragma once

#include "DriveList.h"
#include "LongWork.h"
#include "MessageBox.h"
#include "RenamerCore.h"
#include "TestSupport.h"
#include "posix/PosixFileIdentities.h"
#include "posix/PosixFileMover.h"
#include "posix/PosixStateFolder.h"

#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <cerrno>
#include <functional>
#include <thread>

namespace velmix::test {

class FixedDriveList : public DriveList
{
public:
    explicit FixedDriveList(QStringList mountPoints = {QStringLiteral("/")})
        : m_mountPoints(std::move(mountPoints))
    {
    }
    QList<Drive> drives() const override
    {
        QList<Drive> result;
        for (const QString &point : m_mountPoints)
            result.append({point});
        return result;
    }

private:
    QStringList m_mountPoints;
};

// Keeps what would have been shown, for the test to read; questions are answered as
// the test told in advance, and "Нет" when it told nothing.
class RecordingMessageBox : public MessageBox
{
public:
    void showMessage(const QString &title, const QString &text) override { shown.append({title, text}); }
    bool ask(const QString &title, const QString &text) override
    {
        asked.append({title, text});
        return !answers.isEmpty() && answers.takeFirst();
    }
    // Shows a flow's report as the window does, its summary line kept.
    void show(const BatchReport &report)
    {
        for (const BatchReport::Box &box : report.boxes())
            showMessage(box.title, box.text);
        summary = report.summary;
    }
    QList<std::pair<QString, QString>> shown;
    QList<std::pair<QString, QString>> asked;
    QList<bool> answers;
    QString summary; // the last flow's
};

// Real moves that each take `delay` first, as on a slow medium; `beforeMove` sees each
// move on the thread that makes it.
class SlowFileMover : public FileMover
{
public:
    explicit SlowFileMover(std::chrono::microseconds moveDelay)
        : delay(moveDelay)
    {
    }
    // What each move waits; a test may lift it once the slow part is over.
    std::chrono::microseconds delay;
    std::function<void(const QByteArray &from, const QByteArray &to)> beforeMove;
    // The first this many look-ups find a file whatever the name, as in a folder that
    // ignores letter case.
    int lookUpsFindingAny = 0;
    // From this move on (counted from 1) the medium answers nothing; 0: never.
    int goneFromMove = 0;
    // Answers as fusefat in a FAT16 subfolder does.
    bool movesDamageFiles = false;

    std::unique_ptr<FolderMover> openFolder(const QByteArray &folder, int &error) override
    {
        std::unique_ptr<FolderMover> inner = m_mover.openFolder(folder, error);
        return inner ? std::make_unique<Folder>(*this, std::move(inner)) : nullptr;
    }

private:
    class Folder : public FolderMover
    {
    public:
        Folder(SlowFileMover &owner, std::unique_ptr<FolderMover> inner)
            : m_owner(owner), m_inner(std::move(inner))
        {
        }
        int move(const QByteArray &from, const QByteArray &to) override
        {
            if (m_owner.beforeMove)
                m_owner.beforeMove(from, to);
            std::this_thread::sleep_for(m_owner.delay);
            if (m_owner.goneFromMove > 0 && ++m_owner.m_moves >= m_owner.goneFromMove)
                return ENOTCONN;
            return m_inner->move(from, to);
        }
        bool holdsFile(const QByteArray &name) override
        {
            return m_owner.lookUpsFindingAny-- > 0 || m_inner->holdsFile(name);
        }
        qsizetype nameMax() override { return m_inner->nameMax(); }
        FileSystemKind fileSystemKind() override { return m_inner->fileSystemKind(); }
        int writeError() override { return m_inner->writeError(); }
        int clusterEntries() override { return m_inner->clusterEntries(); }
        bool movesDamageFiles() override { return m_owner.movesDamageFiles || m_inner->movesDamageFiles(); }

    private:
        SlowFileMover &m_owner;
        std::unique_ptr<FolderMover> m_inner;
    };

    PosixFileMover m_mover;
    int m_moves = 0;
};

// Stands in for the window's side of long work: records what it was shown and lets a
// test act at the start of the work and at each progress update.
class RecordingWorkDisplay : public WorkDisplay
{
public:
    void workStarted(WorkKind kind, WorkProgress &progress) override
    {
        kinds.append(kind);
        m_progress = &progress;
        if (onStart)
            onStart(progress);
    }
    void showProgress() override
    {
        shownDone.append(m_progress->done());
        shownTotal = m_progress->total();
        if (onProgress)
            onProgress(*m_progress);
    }
    void workFinished() override { m_progress = nullptr; }
    // The work under way, if any.
    [[nodiscard]] WorkProgress *progress() const { return m_progress; }

    std::function<void(WorkProgress &)> onStart;
    std::function<void(WorkProgress &)> onProgress;
    QList<WorkKind> kinds; // of every piece of work, in order
    QList<qsizetype> shownDone; // the count at each progress update
    qsizetype shownTotal = 0;

private:
    WorkProgress *m_progress = nullptr;
};

// A core on real folders with services a test can inspect, its journals in a state
// folder of its own.
struct CoreFixture
{
    explicit CoreFixture(const QString &startFolder, QStringList mountPoints = {QStringLiteral("/")})
        : drives(std::move(mountPoints))
        , core(services(mover), startFolder)
    {
    }
    // The fixture's services with another mover, for a second core (a restart).
    [[nodiscard]] RenamerCore::Services services(FileMover &fileMover)
    {
        return {busy, messages, drives, fileMover, work, &state, &identities};
    }
    CountingBusyPointer busy;
    RecordingMessageBox messages;
    FixedDriveList drives;
    PosixFileMover mover;
    RecordingWorkDisplay work;
    QTemporaryDir stateRoot;
    PosixStateFolder state{stateRoot.filePath(QStringLiteral("velmix"))};
    PosixFileIdentities identities;
    RenamerCore core;
};

} // namespace velmix::test
