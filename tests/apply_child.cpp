// A separate process for the tests that kill an apply half-way or race it. Each prints
// "ready …" and then waits for a line on its input before it starts, so that two of them
// can be let go at once.
//   apply_child apply <folder> <base> <start> <step> <method> <kill> [tree]  renames the
//       folder's files (with "tree", those of its subfolders too; with "folders", the folders
//       too; with "pairs", files that go together as one) with a base name and numbering, starting from move method <method> (0, 1
//       or 2), journaled in $XDG_STATE_HOME/velmix; prints "ready <rows to rename>" and,
//       once going, kills itself after the <kill>-th call that changes the folder (never
//       for 0), or at a call of the journal: "journal" just before the journal is made,
//       "part1" or "part2" half-way through writing that part of its plan, "done" just
//       before its end mark; "after:<file>" never kills, but after its first call that
//       changes the folder waits until <file> is there (a racing writer has started);
//   apply_child applies <folder> <count>  gives the folder's names upper case, then lower
//       case, and so on, <count> applies in all, journaled as above; prints "ready", and
//       "done <boxes shown>" at the end;
//   apply_child list <folder> <list file> <kill>  takes the file's names (one a line in the
//       rows' order, or a map) as the user's own, then applies them, journaled as above
//       and killed after the <kill>-th call that changes the folder (never for 0); prints
//       "done" at the end, or "refused <why>" for a list that does not fit;
//   apply_child write <folder> <prefix> <count> <exclusive|plain> <started>  once the folder
//       holds <prefix>1.txt (the apply's first move), appends "writer" to <prefix><count>.txt,
//       down to <prefix>1.txt, as fast as it can, printing each name it wrote to, and creates
//       <started> after its first name; "exclusive" only ever creates a name (O_EXCL),
//       "plain" also opens one that is there.
#include "FakeServices.h"
#include "journal/JournalFormat.h"
#include "lists/NameLists.h"
#include "posix/PosixFolderCalls.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

using namespace velmix;

namespace {

// Polls for a file for up to a minute.
bool waitForFile(const QByteArray &path)
{
    for (int waited = 0; ::access(path.constData(), F_OK) != 0; ++waited) {
        if (waited == 600000)
            return false;
        ::usleep(100);
    }
    return true;
}

// The real calls, but the process kills itself right after the `killAfter`-th call that
// changes the folder (never for 0): between any two calls of a move, as a crash could.
// With `pauseUntil`, the first such call waits until that file is there instead: a busy
// machine may otherwise not run a racing writer until every move is done.
class KillingFolderCalls : public PosixFolderCalls
{
public:
    KillingFolderCalls(int folderFd, int killAfter, QByteArray pauseUntil)
        : PosixFolderCalls(folderFd), m_left(killAfter), m_pauseUntil(std::move(pauseUntil))
    {
    }
    int renameNoReplace(const QByteArray &from, const QByteArray &to) override
    {
        return counted(PosixFolderCalls::renameNoReplace(from, to));
    }
    // A run's moves one call at a time, each counted.
    qsizetype renameNoReplaceRun(std::span<const KeptMove> run, int &error) override
    {
        return FolderCalls::renameNoReplaceRun(run, error);
    }
    int link(const QByteArray &from, const QByteArray &to) override { return counted(PosixFolderCalls::link(from, to)); }
    int unlink(const QByteArray &name) override { return counted(PosixFolderCalls::unlink(name)); }
    int rename(const QByteArray &from, const QByteArray &to) override { return counted(PosixFolderCalls::rename(from, to)); }
    int createExclusive(const QByteArray &name, EntryStatus &created) override
    {
        return counted(PosixFolderCalls::createExclusive(name, created));
    }

private:
    int counted(int error)
    {
        if (--m_left == 0)
            ::kill(::getpid(), SIGKILL);
        if (!m_pauseUntil.isEmpty() && !waitForFile(std::exchange(m_pauseUntil, {})))
            std::_Exit(4);
        return error;
    }

    int m_left;
    QByteArray m_pauseUntil;
};

class KillingFileMover : public FileMover
{
public:
    KillingFileMover(MoveMethod first, const QString &killAt)
        : m_first(first), m_killAfter(killAt.toInt()),
          m_pauseUntil(killAt.startsWith(u"after:") ? QFile::encodeName(killAt.mid(6)) : QByteArray())
    {
    }
    std::unique_ptr<FolderMover> openFolder(const QByteArray &folder, int &error) override
    {
        const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        error = fd < 0 ? errno : 0;
        return fd < 0 ? nullptr : std::make_unique<NoReplaceMover>(std::make_shared<KillingFolderCalls>(fd, m_killAfter, m_pauseUntil), m_first);
    }

private:
    const MoveMethod m_first;
    const int m_killAfter;
    const QByteArray m_pauseUntil;
};

// The state folder on disk, but the process kills itself at the journal's call named.
class KillingStateFolder : public PosixStateFolder
{
public:
    explicit KillingStateFolder(QString killAt)
        : m_killAt(std::move(killAt))
    {
    }
    std::unique_ptr<StateFile> create(const QString &name, int &error) override
    {
        if (m_killAt == u"journal")
            ::kill(::getpid(), SIGKILL);
        std::unique_ptr<StateFile> file = PosixStateFolder::create(name, error);
        return file ? std::make_unique<File>(std::move(file), m_killAt) : nullptr;
    }

private:
    class File : public StateFile
    {
    public:
        File(std::unique_ptr<StateFile> inner, const QString &killAt)
            : m_inner(std::move(inner)), m_killAt(killAt)
        {
        }
        int append(const QByteArray &bytes) override
        {
            // The first goes with the names, by whole paths or by folder.
            const bool part = bytes.startsWith("N ") || bytes.startsWith("d ") || bytes.startsWith("R ");
            if (part && m_killAt == QStringLiteral("part%1").arg(++m_parts)) {
                (void)m_inner->append(bytes.first(bytes.size() / 2));
                ::kill(::getpid(), SIGKILL);
            }
            if (m_killAt == u"done" && bytes == JournalFormat::done())
                ::kill(::getpid(), SIGKILL);
            return m_inner->append(bytes);
        }
        int sync() override { return m_inner->sync(); }

    private:
        std::unique_ptr<StateFile> m_inner;
        const QString m_killAt;
        int m_parts = 0;
    };

    const QString m_killAt;
};

void waitForGo()
{
    std::fflush(stdout);
    char line[16];
    (void)std::fgets(line, sizeof line, stdin);
}

int apply(const QStringList &args)
{
    test::CountingBusyPointer busy;
    test::RecordingMessageBox messages;
    test::FixedDriveList drives;
    test::RecordingWorkDisplay work;
    KillingFileMover mover(MoveMethod(args[6].toInt()), args[7]);
    KillingStateFolder state(args[7]);
    PosixFileIdentities identities;
    RenamerCore core({busy, messages, drives, mover, work, &state, &identities}, args[2]);
    core.startUp();
    if (args.value(8).contains(u"tree") || args.value(8).contains(u"folders"))
        core.setSubfolders(true);
    if (args.value(8).contains(u"folders"))
        core.setRenameFolders(true);
    core.setPairs(args.value(8).contains(u"pairs"));
    PreviewSession &preview = core.preview();
    preview.setBaseName(args[3]);
    preview.setStartText(args[4]);
    preview.setStepText(args[5]);
    preview.baseNameKeyReleased();
    qsizetype changing = 0;
    for (qsizetype row = 0; row < core.table().fileCount(); ++row)
        changing += core.table().currentNames().at(row) != core.table().newNames().at(row);
    std::printf("ready %lld\n", static_cast<long long>(changing));
    waitForGo();
    messages.show(core.applyNewNames());
    std::printf("done %lld\n", static_cast<long long>(messages.shown.size()));
    return 0;
}

int applies(const QString &folder, int count)
{
    test::CountingBusyPointer busy;
    test::RecordingMessageBox messages;
    test::FixedDriveList drives;
    test::RecordingWorkDisplay work;
    PosixFileMover mover;
    PosixStateFolder state;
    PosixFileIdentities identities;
    RenamerCore core({busy, messages, drives, mover, work, &state, &identities}, folder);
    core.startUp();
    std::printf("ready\n");
    waitForGo();
    long long troubled = 0; // applies whose report is not clean: a journal it could not make among them
    for (int i = 0; i < count; ++i) {
        core.preview().ToggleOption(i % 2 == 0 ? Toggle::UpperCase : Toggle::LowerCase);
        troubled += core.applyNewNames().clean() ? 0 : 1;
    }
    std::printf("done %lld\n", troubled);
    return 0;
}

int applyList(const QString &folder, const QString &list, int killAfter)
{
    test::CountingBusyPointer busy;
    test::RecordingMessageBox messages;
    test::FixedDriveList drives;
    test::RecordingWorkDisplay work;
    KillingFileMover mover(MoveMethod::RenameNoReplace, QString::number(killAfter));
    PosixStateFolder state;
    PosixFileIdentities identities;
    RenamerCore core({busy, messages, drives, mover, work, &state, &identities}, folder);
    core.startUp();
    const ListOutcome outcome = NameLists::take(core.preview(), NameLists::readFile(list));
    if (!outcome.taken()) {
        std::printf("refused %s\n", qPrintable(outcome.problem));
        return 3;
    }
    messages.show(core.applyNewNames());
    std::printf("done\n");
    return 0;
}

int write(const QString &folder, const QString &prefix, int count, bool exclusive, const QString &started)
{
    const int flags = O_CREAT | O_WRONLY | O_APPEND | (exclusive ? O_EXCL : 0);
    std::printf("ready\n");
    waitForGo();
    if (!waitForFile(QFile::encodeName(folder + u'/' + prefix + QStringLiteral("1.txt"))))
        return 2; // a minute without a move of the apply
    for (int i = count; i >= 1; --i) {
        const QByteArray name = QFile::encodeName(prefix + QString::number(i) + QStringLiteral(".txt"));
        const int fd = ::open((QFile::encodeName(folder) + '/' + name).constData(), flags, 0644);
        if (i == count)
            ::close(::open(QFile::encodeName(started).constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
        if (fd < 0)
            continue;
        const bool written = ::write(fd, "writer", 6) == 6;
        ::close(fd);
        if (!written)
            return 1;
        std::printf("%s\n", name.constData());
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if ((args.size() == 8 || args.size() == 9) && args[1] == u"apply")
        return apply(args);
    if (args.size() == 4 && args[1] == u"applies")
        return applies(args[2], args[3].toInt());
    if (args.size() == 5 && args[1] == u"list")
        return applyList(args[2], args[3], args[4].toInt());
    if (args.size() == 7 && args[1] == u"write")
        return write(args[2], args[3], args[4].toInt(), args[5] == u"exclusive", args[6]);
    return 2;
}
