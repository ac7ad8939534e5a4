#include "TreeBench.h"

#include "BenchFolder.h"
#include "Measure.h"
#include "apply/JournaledRename.h"
#include "journal/RenameJournal.h"
#include "listing/FolderListing.h"
#include "posix/PosixFileIdentities.h"
#include "posix/PosixFileMover.h"
#include "posix/PosixStateFolder.h"
#include "preview/PreviewSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>

using namespace velmix;

namespace {

constexpr int Top = 10;         // first level
constexpr int Inside = 100;     // second level, in each of the first

class NoBusy : public BusyPointer
{
public:
    void showBusy() override {}
    void restore() override {}
};

QString leaf(int top, int inside)
{
    return QStringLiteral("%1CANON/%2").arg(100 + top).arg(inside, 3, 10, QLatin1Char('0'));
}

// The least a tree listing must do: each folder opened from its parent, its entries read
// once, the files kept and sorted in byte order, the folders entered.
qsizetype floorTree(int parentFd, const char *name, int depth)
{
    const int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    DIR *dir = ::fdopendir(fd);
    std::vector<std::string> files, folders;
    while (const dirent *entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        if (entry->d_type == DT_REG)
            files.emplace_back(entry->d_name);
        else if (entry->d_type == DT_DIR)
            folders.emplace_back(entry->d_name);
    }
    std::sort(files.begin(), files.end());
    std::sort(folders.begin(), folders.end());
    qsizetype count = qsizetype(files.size());
    for (const std::string &folder : folders)
        count += floorTree(dirfd(dir), folder.c_str(), depth + 1);
    ::closedir(dir);
    return count;
}

struct TreeListing
{
    FolderListing::Contents contents;
    PreviewSession preview;
    explicit TreeListing(BusyPointer &busy) : preview(busy) {}
};

void listTree(const QString &path, TreeListing &listing)
{
    PosixFileMover files;
    listing.contents = FolderListing::read(files, path, QStringLiteral("*.*"), nullptr, {true, -1});
    const FolderListing::Contents &read = listing.contents;
    listing.preview.loadFileList(read.names, read.rules, read.unlisted, {read.tree, read.folderOfName, read.folderOfUnlisted, read.folderRows});
}

// Each file's path before and after upper case, as the apply's batch names them.
struct TreePairs
{
    NameColumn from;
    NameColumn to;
    std::vector<std::pair<QByteArray, QByteArray>> bytes;
};

TreePairs treePairs(const QString &path, BusyPointer &busy)
{
    TreeListing listing(busy);
    listTree(path, listing);
    listing.preview.ToggleOption(Toggle::UpperCase);
    const FileNameTable &table = listing.preview.table();
    TreePairs pairs;
    for (qsizetype row = 0; row < table.fileCount(); ++row) {
        const QString prefix = table.folderPrefix(row);
        pairs.from.append(prefix + table.currentNames().at(row).toString());
        pairs.to.append(prefix + table.newNames().at(row).toString());
        pairs.bytes.emplace_back(pairs.from.at(row).toUtf8(), pairs.to.at(row).toUtf8());
    }
    return pairs;
}

void renameBack(const QString &path, const TreePairs &pairs)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY);
    for (const auto &[from, to] : pairs.bytes) {
        if (from != to && ::renameat2(fd, to.constData(), fd, from.constData(), RENAME_NOREPLACE) != 0) {
            std::fprintf(stderr, "tree: %s did not get its name back\n", from.constData());
            std::exit(1);
        }
    }
    ::close(fd);
}

double ourApplyMs(const QString &path, const TreePairs &pairs)
{
    PosixFileMover fileMover;
    int error = 0;
    const std::unique_ptr<FolderMover> mover = fileMover.openFolder(QFile::encodeName(path), error);
    const QTemporaryDir state;
    PosixStateFolder stateFolder(state.path());
    PosixFileIdentities identities;
    RenameJournal journal(stateFolder);
    const JournaledBatch batch{BatchKind::Apply, QFile::encodeName(path), pairs.from, pairs.to,
                               readFolderRules(*mover, {})};
    JournaledOutcome outcome;
    const double ms = timeMs([&] { outcome = renameJournaled(*mover, batch, &identities, &journal); });
    const auto changing = std::count_if(pairs.bytes.begin(), pairs.bytes.end(), [](const auto &pair) { return pair.first != pair.second; });
    if (outcome.journal.isEmpty() || outcome.outcome.renamed != qsizetype(changing)) {
        std::fprintf(stderr, "tree apply: %lld of %lld renamed, journal error %d\n", qlonglong(outcome.outcome.renamed),
                     qlonglong(pairs.bytes.size()), outcome.journalError);
        std::exit(1);
    }
    return ms;
}

// The same renames as a plain loop of renameat2 in each folder, the folder opened once.
double bareApplyMs(const QString &path, const TreePairs &pairs)
{
    // By folder, in the order the pairs come (folder by folder, as the listing gives them).
    std::vector<std::pair<QByteArray, std::vector<std::pair<QByteArray, QByteArray>>>> folders;
    for (const auto &[from, to] : pairs.bytes) {
        if (from == to)
            continue;
        const qsizetype slash = from.lastIndexOf('/');
        const QByteArray folder = from.first(slash);
        if (folders.empty() || folders.back().first != folder)
            folders.emplace_back(folder, std::vector<std::pair<QByteArray, QByteArray>>());
        folders.back().second.emplace_back(from.sliced(slash + 1), to.sliced(slash + 1));
    }
    const int root = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY);
    const double ms = timeMs([&] {
        for (const auto &[folder, renames] : folders) {
            const int fd = ::openat(root, folder.constData(), O_RDONLY | O_DIRECTORY);
            for (const auto &[from, to] : renames)
                ::renameat2(fd, from.constData(), fd, to.constData(), RENAME_NOREPLACE);
            ::close(fd);
        }
    });
    ::close(root);
    renameBack(path, pairs);
    return ms;
}

} // namespace

void makeTree(const QString &path, int files)
{
    QDir().mkpath(path);
    if (files == 0)
        return;
    const QList<QByteArray> names = BenchFolder::realisticNames(files / (Top * Inside));
    for (int top = 0; top < Top; ++top) {
        for (int inside = 0; inside < Inside; ++inside) {
            const QString folder = path + u'/' + leaf(top, inside);
            QDir().mkpath(folder);
            const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
            for (const QByteArray &name : names)
                ::close(::openat(fd, name.constData(), O_CREAT | O_WRONLY, 0644));
            ::close(fd);
        }
    }
}

TreeFigures treeFigures(const QString &path, BusyPointer &busy, int runs)
{
    makeTree(path, TreeFiles);
    std::vector<double> ours, floor;
    const QByteArray parent = QFile::encodeName(QFileInfo(path).path());
    const QByteArray name = QFile::encodeName(QFileInfo(path).fileName());
    for (int run = 0; run < runs + 1; ++run) { // the first round warms the cache
        qsizetype rows = 0, floorRows = 0;
        const double a = timeMs([&] {
            TreeListing listing(busy);
            listTree(path, listing);
            rows = listing.preview.table().fileCount();
        });
        const int parentFd = ::open(parent.constData(), O_RDONLY | O_DIRECTORY);
        const double b = timeMs([&] { floorRows = floorTree(parentFd, name.constData(), 0); });
        ::close(parentFd);
        if (rows != TreeFiles || floorRows != TreeFiles) {
            std::fprintf(stderr, "tree listing: %lld rows, %lld by the floor, for %d files\n", qlonglong(rows),
                         qlonglong(floorRows), TreeFiles);
            std::exit(1);
        }
        if (run > 0)
            ours.push_back(a), floor.push_back(b);
    }
    // The renames are timed as the command line makes them: in a process of their own
    // that readies its heap for one batch, lists the tree and renames it.
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--apply-tree"), path, QString::number(runs)});
    child.waitForFinished(-1);
    const QList<QByteArray> applied = child.readAllStandardOutput().trimmed().split(' ');
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0 || applied.size() != 2) {
        std::fprintf(stderr, "tree apply: the child process failed\n");
        std::exit(1);
    }
    QDir(path).removeRecursively();
    return {median(ours), median(floor), applied[0].toDouble(), applied[1].toDouble()};
}

int treeApplyChild(const QString &path, int runs)
{
    NoBusy busy;
    const TreePairs pairs = treePairs(path, busy);
    std::vector<double> apply, bare;
    for (int run = 0; run < runs; ++run) {
        inTurn(run, [&] {
            apply.push_back(ourApplyMs(path, pairs));
            renameBack(path, pairs);
        }, [&] { bare.push_back(bareApplyMs(path, pairs)); });
    }
    std::printf("%.3f %.3f\n", median(apply), median(bare));
    return 0;
}

int treePeakMemoryChild(const QString &path)
{
    // The peak is taken after the listing and one rebuild, as the flat figure's.
    NoBusy busy;
    TreeListing listing(busy);
    listTree(path, listing);
    PreviewSession &preview = listing.preview;
    preview.setBaseName(QStringLiteral("Holiday_"));
    preview.setDigitWidthIndex(4);
    preview.baseNameKeyReleased();
    preview.ToggleOption(Toggle::UpperCase);
    FILE *status = std::fopen("/proc/self/status", "r");
    char line[256];
    long peak = -1;
    while (status && std::fgets(line, sizeof line, status))
        if (std::strncmp(line, "VmHWM:", 6) == 0)
            peak = std::atol(line + 6);
    if (status)
        std::fclose(status);
    std::printf("%ld\n", peak);
    return 0;
}
