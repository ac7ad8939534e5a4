// A separate process for the tests that kill an apply half-way or race it. Each prints
// "ready …" and then waits for a line on its input before it starts, so that two of them
// can be let go at once.
//   apply_child apply <folder> <base> <start> <step> <method> <every>  renames the folder's
//       files with a base name and numbering, starting from move method <method> (0, 1
//       or 2); prints "ready <rows to rename>" and, once going, "moved <n>" after every
//       <every> moves;
//   apply_child write <folder> <prefix> <count> <exclusive|plain>  appends "writer" to
//       <prefix>1.txt … as fast as it can, printing each name it wrote to; "exclusive"
//       only ever creates a name (O_EXCL), "plain" also opens one that is there.
#include "FakeServices.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using namespace velmix;

namespace {

// Counts the moves that worked and says so every `every` of them.
class ProgressFolderMover : public FolderMover
{
public:
    ProgressFolderMover(std::unique_ptr<FolderMover> inner, int every)
        : m_inner(std::move(inner)), m_every(every)
    {
    }
    int move(const QByteArray &from, const QByteArray &to) override
    {
        const int error = m_inner->move(from, to);
        if (error == 0 && ++m_moved % m_every == 0) {
            std::printf("moved %d\n", m_moved);
            std::fflush(stdout);
        }
        return error;
    }
    bool holdsFile(const QByteArray &name) override { return m_inner->holdsFile(name); }
    qsizetype nameMax() override { return m_inner->nameMax(); }
    FileSystemKind fileSystemKind() override { return m_inner->fileSystemKind(); }

private:
    std::unique_ptr<FolderMover> m_inner;
    const int m_every;
    int m_moved = 0;
};

class ProgressFileMover : public FileMover
{
public:
    ProgressFileMover(MoveMethod first, int every)
        : m_mover(first), m_every(every)
    {
    }
    std::unique_ptr<FolderMover> openFolder(const QByteArray &folder, int &error) override
    {
        std::unique_ptr<FolderMover> inner = m_mover.openFolder(folder, error);
        return inner ? std::make_unique<ProgressFolderMover>(std::move(inner), m_every) : nullptr;
    }

private:
    PosixFileMover m_mover;
    const int m_every;
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
    ProgressFileMover mover(MoveMethod(args[6].toInt()), qMax(1, args[7].toInt()));
    RenamerCore core({busy, messages, drives, mover, work}, args[2]);
    core.startUp();
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
    core.applyNewNames();
    std::printf("done %lld\n", static_cast<long long>(messages.shown.size()));
    return 0;
}

int write(const QString &folder, const QString &prefix, int count, bool exclusive)
{
    const int flags = O_CREAT | O_WRONLY | O_APPEND | (exclusive ? O_EXCL : 0);
    std::printf("ready\n");
    waitForGo();
    for (int i = 1; i <= count; ++i) {
        const QByteArray name = QFile::encodeName(prefix + QString::number(i) + QStringLiteral(".txt"));
        const int fd = ::open((QFile::encodeName(folder) + '/' + name).constData(), flags, 0644);
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
    if (args.size() == 8 && args[1] == u"apply")
        return apply(args);
    if (args.size() == 6 && args[1] == u"write")
        return write(args[2], args[3], args[4].toInt(), args[5] == u"exclusive");
    return 2;
}
