// Speed and memory figures on large folders. Each figure is the median of several runs;
// each ratio is measured against its baseline in the same run on the same folder.
// Arguments name the blocks to run (list-10k, list-100k, rules, list-1m, apply, perl, regex,
// hostile, cli, peers, history, exfat, metadata); none runs all; rules runs again within
// list-100k.
#include "BenchFolder.h"
#include "FileGridModel.h"
#include "Measure.h"
#include "MountedImage.h"
#include "SampleMedia.h"
#include "TreeBench.h"

#include "VelmixWindow.h"
#include "WindowLayout.h"
#include "apply/JournaledRename.h"
#include "apply/RenameExecutor.h"
#include "journal/RenameJournal.h"
#include "listing/FolderListing.h"
#include "lists/NameLists.h"
#include "metadata/FolderMetadata.h"
#include "metadata/LibraryTagReader.h"
#include "posix/PosixFileIdentities.h"
#include "posix/BatchHeap.h"
#include "posix/PosixFileMover.h"
#include "posix/PosixStateFolder.h"
#include "preview/PreviewSession.h"
#include "text/NameOrder.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <dirent.h>
#include <fcntl.h>
#include <numeric>
#include <optional>
#include <sys/stat.h>
#include <string>
#include <unistd.h>

using namespace velmix;

namespace {

constexpr int Runs = 5;

class NoBusyPointer : public BusyPointer
{
public:
    void showBusy() override {}
    void restore() override {}
};

class SilentMessageBox : public MessageBox
{
public:
    void showMessage(const QString &, const QString &) override {}
    bool ask(const QString &, const QString &) override { return false; }
};

class RootDriveList : public DriveList
{
public:
    QList<Drive> drives() const override { return {{QStringLiteral("/")}}; }
};

QList<std::pair<QString, double>> figures;

void report(const char *name, double value, const char *unit)
{
    std::printf("  %-24s %12.3f %s\n", name, value, unit);
    std::fflush(stdout);
    figures.append({QString::fromLatin1(name), value});
}

// A folder read as the program reads it, every file listed.
FolderListing::Contents listed(const QString &folder)
{
    PosixFileMover files;
    return FolderListing::read(files, folder, QStringLiteral("*.*"));
}

// The listing and table fill as the program does them.
qsizetype listAndFill(const QString &folder, BusyPointer &busy)
{
    const FolderListing::Contents listing = listed(folder);
    PreviewSession preview(busy);
    preview.loadFileList(listing.names, listing.rules, listing.unlisted);
    return preview.table().fileCount();
}

// The least any listing must do: read the folder, filter by the mask, sort.
qsizetype bareListing(const QString &folder)
{
    const WildcardMask mask(QStringLiteral("*.*"));
    std::vector<QString> names;
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    while (const dirent *entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.' || entry->d_type != DT_REG)
            continue;
        QString name = QString::fromUtf8(entry->d_name);
        if (mask.matches(name))
            names.push_back(std::move(name));
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) { return compareNames(a, b) < 0; });
    return qsizetype(names.size());
}

// The floor under any listing: readdir into byte strings and a sort in byte order.
qsizetype floorListing(const QString &folder)
{
    std::vector<std::string> names;
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    while (const dirent *entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.' && entry->d_type == DT_REG)
            names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return qsizetype(names.size());
}

struct ListingTimes
{
    double ours = 0;
    double bare = 0;
    double floor = 0;
};

// Our listing against the bare one (when asked) and the floor, interleaved on the same
// warm folder; the first round warms the cache and is dropped.
ListingTimes listingTimes(const QString &folder, qsizetype files, bool withBare, BusyPointer &busy)
{
    std::vector<double> ours, bare, floor;
    for (int run = 0; run < Runs + 1; ++run) {
        qsizetype rows = 0;
        const double a = timeMs([&] { rows = listAndFill(folder, busy); });
        const double b = withBare ? timeMs([&] { bareListing(folder); }) : 0;
        const double c = timeMs([&] { floorListing(folder); });
        if (rows != files) {
            std::fprintf(stderr, "listing: %lld rows for %lld files\n", qlonglong(rows), qlonglong(files));
            std::exit(1);
        }
        if (run > 0)
            ours.push_back(a), bare.push_back(b), floor.push_back(c);
    }
    return {median(ours), median(bare), median(floor)};
}

void setPreviewOptions(PreviewSession &preview)
{
    preview.setBaseName(QStringLiteral("Holiday_"));
    preview.setDigitWidthIndex(4);
    preview.baseNameKeyReleased(); // ticks numbering
    preview.ToggleOption(Toggle::UpperCase);
}

// The rebuild, then what the grid asks of the rows it draws: each new name compared with
// its old one, for its colours and its description.
double previewMs(const QString &folder, BusyPointer &busy)
{
    constexpr int DrawnRows = 40; // a grid grown to a tall screen
    const FolderListing::Contents listing = listed(folder);
    PreviewSession preview(busy);
    preview.loadFileList(listing.names, listing.rules, listing.unlisted);
    setPreviewOptions(preview);
    FileGridModel model(preview.table());
    std::vector<double> samples;
    qsizetype changed = 0;
    for (int run = 0; run < Runs; ++run) {
        samples.push_back(timeMs([&] {
            preview.RebuildNewNames();
            for (int row = 0; row < DrawnRows; ++row) {
                const QModelIndex cell = model.index(row, FileNameTable::NewName);
                changed += model.data(cell, FileGridModel::ChangedRunsRole).value<QList<int>>().size();
                changed += model.data(cell, Qt::AccessibleDescriptionRole).toString().size();
            }
        }));
    }
    if (changed == 0)
        qFatal("preview_100k_ms: no drawn row changed its name");
    return median(samples);
}

// The same rebuild with a name typed by hand on every hundredth row (1,000 of 100,000).
double previewHandMs(const QString &folder, BusyPointer &busy)
{
    const FolderListing::Contents listing = listed(folder);
    PreviewSession preview(busy);
    preview.loadFileList(listing.names, listing.rules, listing.unlisted);
    setPreviewOptions(preview);
    for (qsizetype row = 0; row < listing.names.size(); row += 100)
        preview.setHandName(row, QStringLiteral("вручную %1.txt").arg(row));
    std::vector<double> samples;
    for (int run = 0; run < Runs; ++run)
        samples.push_back(timeMs([&] { preview.RebuildNewNames(); }));
    return median(samples);
}

// The list of every new name as the editor shows it, every tenth line changed, taken back
// as names typed by hand: the lines read, checked against the rows, one rebuild.
double listTakeMs(const QString &folder, BusyPointer &busy)
{
    const FolderListing::Contents listing = listed(folder);
    std::vector<double> samples;
    for (int run = 0; run < Runs; ++run) {
        PreviewSession preview(busy);
        preview.loadFileList(listing.names, listing.rules, listing.unlisted);
        setPreviewOptions(preview);
        QStringList lines = NameLists::editorText(preview.table()).split(u'\n');
        for (qsizetype line = 0; line < lines.size(); line += 10)
            lines[line].prepend(u'x');
        const QString text = lines.join(u'\n');
        qsizetype taken = 0;
        samples.push_back(timeMs([&] { taken = qsizetype(NameLists::take(preview, readNameLines(text)).changed.size()); }));
        if (taken != (lines.size() + 9) / 10) {
            std::fprintf(stderr, "list: %lld names taken\n", qlonglong(taken));
            std::exit(1);
        }
    }
    return median(samples);
}

// Every rule after the options on: an expression with a group, a cut, an insert, title
// case and the passport's Latin. One rebuild, marks included.
NameRules everyRule()
{
    NameRules rules;
    rules.findText = QStringLiteral("(\\d+)");
    rules.replaceText = QStringLiteral("№\\1");
    rules.regularExpression = true;
    rules.cutCount = 1;
    rules.position = 1;
    rules.insertText = QStringLiteral("-");
    rules.positionFromEnd = true;
    rules.titleCase = TitleCase::RestLower;
    rules.transliteration = Transliteration::Passport;
    return rules;
}

double previewRulesMs(const QString &folder, BusyPointer &busy)
{
    const FolderListing::Contents listing = listed(folder);
    PreviewSession preview(busy);
    preview.loadFileList(listing.names, listing.rules, listing.unlisted);
    preview.setNameRules(everyRule());
    std::vector<double> samples;
    for (int run = 0; run < Runs; ++run)
        samples.push_back(timeMs([&] { preview.RebuildNewNames(); }));
    return median(samples);
}

// 100,000 files whose upper-case names conflict: 10,000 pairs differing in case only
// (the second of each gets a name already given), and 10,000 more whose upper-case name
// a subfolder holds. One rebuild to upper case, with its marks.
double previewConflictsMs(const QString &folder, BusyPointer &busy)
{
    constexpr int Pairs = 10000, Held = 10000, Plain = 80000;
    QDir().mkpath(folder);
    const QByteArray base = QFile::encodeName(folder) + '/';
    const auto create = [&](const QByteArray &name) { ::close(::open((base + name).constData(), O_CREAT | O_WRONLY, 0644)); };
    for (int i = 0; i < Pairs; ++i) {
        create("d" + QByteArray::number(i) + ".txt");
        create("D" + QByteArray::number(i) + ".txt");
    }
    for (int i = 0; i < Plain; ++i)
        create("f" + QByteArray::number(i) + ".txt");
    for (int i = 0; i < Held; ++i)
        ::mkdir((base + "F" + QByteArray::number(i) + ".TXT").constData(), 0755);

    const FolderListing::Contents listing = listed(folder);
    PreviewSession preview(busy);
    preview.loadFileList(listing.names, listing.rules, listing.unlisted);
    preview.ToggleOption(Toggle::UpperCase);
    qsizetype marked = 0;
    for (qsizetype row = 0; row < preview.table().fileCount(); ++row)
        marked += preview.table().mark(row) == NameMark::Refused;
    if (marked != Pairs + Held) {
        std::fprintf(stderr, "conflicts: %lld rows marked, not %d\n", qlonglong(marked), Pairs + Held);
        return -1;
    }
    std::vector<double> samples;
    for (int run = 0; run < Runs; ++run)
        samples.push_back(timeMs([&] { preview.RebuildNewNames(); }));
    return median(samples);
}

struct RenamePairs
{
    NameColumn current;
    NameColumn fresh;
    std::vector<std::pair<QByteArray, QByteArray>> bytes;
};

RenamePairs pairsOf(const NameColumn &current, const NameColumn &fresh)
{
    RenamePairs pairs{current, fresh, {}};
    for (qsizetype i = 0; i < pairs.current.size(); ++i)
        pairs.bytes.emplace_back(pairs.current.at(i).toUtf8(), pairs.fresh.at(i).toUtf8());
    return pairs;
}

// Puts the old names back after a timed run, so that the next run starts from the same
// folder without making it again.
void renameBack(const QString &folder, const std::vector<std::pair<QByteArray, QByteArray>> &pairs)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    qsizetype stuck = 0;
    for (const auto &[from, to] : pairs) {
        // A plain rename where the file system has no RENAME_NOREPLACE (FUSE exFAT).
        const bool back = from == to || ::renameat2(fd, to.constData(), fd, from.constData(), RENAME_NOREPLACE) == 0
                          || (errno == EINVAL && ::renameat(fd, to.constData(), fd, from.constData()) == 0);
        stuck += !back;
    }
    ::close(fd);
    if (stuck > 0) {
        std::fprintf(stderr, "%s: %lld files could not get their old names back\n", qPrintable(folder), qlonglong(stuck));
        std::exit(1);
    }
}

RenamePairs renamePairs(const QString &folder, bool upperCaseOnly, BusyPointer &busy)
{
    const FolderListing::Contents listing = listed(folder);
    PreviewSession preview(busy);
    preview.loadFileList(listing.names);
    if (upperCaseOnly)
        preview.ToggleOption(Toggle::UpperCase);
    else
        setPreviewOptions(preview);
    return pairsOf(preview.table().currentNames(), preview.table().newNames());
}

// The apply's moves as the program makes them: every file looked at and the plan synced
// to a journal before the first move, each move recorded; without the journal, the bare
// moves of the executor.
double ourRenameMs(const QString &folder, const RenamePairs &pairs, bool journaled = true)
{
    PosixFileMover fileMover;
    int error = 0;
    auto mover = fileMover.openFolder(QFile::encodeName(folder), error);
    const FolderRules rules = readFolderRules(*mover, pairs.current);
    if (!journaled)
        return timeMs([&] { (void)renameFiles(*mover, pairs.current, pairs.fresh, rules); });
    const QTemporaryDir state;
    PosixStateFolder stateFolder(state.path());
    PosixFileIdentities identities;
    RenameJournal journal(stateFolder);
    const JournaledBatch batch{BatchKind::Apply, QFile::encodeName(folder), pairs.current, pairs.fresh, rules};
    JournaledOutcome outcome;
    const double ms = timeMs([&] { outcome = renameJournaled(*mover, batch, &identities, &journal); });
    if (outcome.journal.isEmpty())
        std::fprintf(stderr, "apply: no journal was written (error %d)\n", outcome.journalError);
    return ms;
}

double bareRenameMs(const QString &folder, const RenamePairs &pairs)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    const double ms = timeMs([&] {
        for (const auto &[from, to] : pairs.bytes)
            ::renameat2(fd, from.constData(), fd, to.constData(), RENAME_NOREPLACE);
    });
    ::close(fd);
    return ms;
}

double perlRenameMs(const QString &folder, const RenamePairs &pairs)
{
    QByteArray input;
    for (const auto &pair : pairs.bytes)
        input += pair.first + '\0';
    QProcess perl;
    perl.setWorkingDirectory(folder);
    return timeMs([&] {
        perl.start(QStringLiteral("rename"), {QStringLiteral("-0"), QStringLiteral("y/a-z/A-Z/")});
        perl.waitForStarted();
        perl.write(input);
        perl.closeWriteChannel();
        perl.waitForFinished(-1);
    });
}

// The program's settings and history under `home`, none of the user's.
void runsUnder(QProcess &velmix, const QString &home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_STATE_HOME"), home + QStringLiteral("/state"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    velmix.setProcessEnvironment(environment);
}

// The command line as a whole process, renaming every IMG_ name of the folder by the same
// expression as perlExpressionMs.
double cliRegexMs(const QString &folder, const QString &home)
{
    QProcess velmix;
    runsUnder(velmix, home);
    return timeMs([&] {
        velmix.start(QStringLiteral(VELMIX_PROGRAM),
                     {QStringLiteral("--rename"), QStringLiteral("--regex"), QStringLiteral("--find"),
                      QStringLiteral("IMG_(\\d+)"), QStringLiteral("--replace"), QStringLiteral("Vac_\\1"),
                      QStringLiteral("--apply"), folder});
        velmix.waitForFinished(-1);
    });
}

// The command line as a whole process, a prefix of every IMG_ name replaced by an
// expression, as the peers below do it.
double cliPrefixMs(const QString &folder, const QString &home)
{
    QProcess velmix;
    runsUnder(velmix, home);
    velmix.setStandardOutputFile(QProcess::nullDevice());
    return timeMs([&] {
        velmix.start(QStringLiteral(VELMIX_PROGRAM),
                     {QStringLiteral("--rename"), QStringLiteral("--regex"), QStringLiteral("--find"), QStringLiteral("^IMG_"),
                      QStringLiteral("--replace"), QStringLiteral("Vac_"), QStringLiteral("--apply"), folder});
        velmix.waitForFinished(-1);
    });
}

// The same through perl's rename in one process, fed every file's name as find gives them.
double renameZeroMs(const QString &folder)
{
    QProcess shell;
    shell.setWorkingDirectory(folder);
    return timeMs([&] {
        shell.start(QStringLiteral("sh"), {QStringLiteral("-c"),
                                           QStringLiteral("find . -maxdepth 1 -type f -printf '%f\\0' | rename -0 's/^IMG_/Vac_/'")});
        shell.waitForFinished(-1);
    });
}

// The same through mmv, which matches the folder's names itself.
double mmvMs(const QString &folder)
{
    QProcess mmv;
    mmv.setWorkingDirectory(folder);
    return timeMs([&] {
        mmv.start(QStringLiteral("mmv"), {QStringLiteral("IMG_*"), QStringLiteral("Vac_#1")});
        mmv.waitForFinished(-1);
    });
}

// The command line's dry run as a whole process, an expression that backtracks without
// end on every name of the folder: bounded per match and per rebuild, it must still answer.
double cliHostileMs(const QString &folder, const QString &home, const QString &pattern)
{
    QProcess velmix;
    runsUnder(velmix, home);
    velmix.setStandardOutputFile(QProcess::nullDevice());
    return timeMs([&] {
        velmix.start(QStringLiteral(VELMIX_PROGRAM), {QStringLiteral("--rename"), QStringLiteral("--regex"),
                                                      QStringLiteral("--find"), pattern, QStringLiteral("--replace"),
                                                      QStringLiteral("x"), folder});
        velmix.waitForFinished(-1);
    });
}

// The history a start reads: `journals` finished applies of `rows` files each, in the
// state folder under `home`, as applies in other folders leave them.
void writeHistory(const QString &home, int journals, int rows)
{
    PosixStateFolder folder(home + QStringLiteral("/state/velmix"));
    RenameJournal journal(folder);
    std::vector<JournalRow> planRows;
    std::vector<std::pair<size_t, FileIdentity>> seen;
    for (int row = 0; row < rows; ++row) {
        const QByteArray number = QByteArray::number(row).rightJustified(5, '0');
        planRows.push_back({"IMG_" + number + ".JPG", "Vac_" + number + ".JPG", {1, quint64(row + 1), 4096, 1}});
        seen.emplace_back(size_t(row), planRows.back().identity);
    }
    for (int made = 0; made < journals; ++made) {
        JournalPlan plan;
        plan.folder = "/tmp/velmix-bench-elsewhere-" + QByteArray::number(made);
        int error = 0;
        const std::unique_ptr<JournalWriter> writer = journal.begin(plan, rows, error);
        if (!writer || !writer->planned(JournalFormat::wholeBatch(planRows))
            || !writer->planned(JournalFormat::identityPart(seen, planRows.size())))
            qFatal("cannot write a journal in %s", qPrintable(folder.path()));
        for (const JournalRow &row : planRows)
            writer->moved(row.from, row.to);
        if (!writer->finish())
            qFatal("cannot finish a journal in %s", qPrintable(folder.path()));
    }
}

// A start of the command line as a whole process, with the history under `home`, on a
// folder with nothing to rename.
double cliStartMs(const QString &home, const QString &folder)
{
    QProcess velmix;
    runsUnder(velmix, home);
    return timeMs([&] {
        velmix.start(QStringLiteral(VELMIX_PROGRAM), {QStringLiteral("--rename"), QStringLiteral("--upper"), folder});
        velmix.waitForFinished(-1);
    });
}

// 1,000 names of 255 characters, each 24 "a" and a "b" first: no pattern below matches,
// and each tries every way to.
QString hostileFolder(const QString &path)
{
    QDir().mkpath(path);
    for (int i = 0; i < 1000; ++i) {
        const QString stem = QString(24, u'a') + u'b' + QStringLiteral("%1").arg(i, 4, 10, QChar(u'0'));
        QFile file(path + u'/' + stem + QString(255 - 4 - stem.size(), u'x') + QStringLiteral(".txt"));
        if (!file.open(QIODevice::WriteOnly))
            std::exit(1);
    }
    return path;
}

// The expression both sides apply: camera numbers to a holiday's.
NameRules cameraToHoliday()
{
    NameRules rules;
    rules.findText = QStringLiteral("IMG_(\\d+)");
    rules.replaceText = QStringLiteral("Vac_\\1");
    rules.regularExpression = true;
    return rules;
}

// The whole path of an expression as the program takes it: the folder listed, the preview
// with the rule, the journaled apply of every row that moves and the folder read again.
// Gives the pairs it renamed, for putting the names back.
double expressionPathMs(const QString &folder, BusyPointer &busy, RenamePairs &renamed)
{
    const QTemporaryDir state;
    PosixStateFolder stateFolder(state.path());
    PosixFileIdentities identities;
    RenameJournal journal(stateFolder);
    PosixFileMover fileMover;
    qsizetype relisted = 0;
    const double ms = timeMs([&] {
        const FolderListing::Contents listing = listed(folder);
        PreviewSession preview(busy);
        preview.loadFileList(listing.names, listing.rules, listing.unlisted);
        preview.setNameRules(cameraToHoliday());
        int error = 0;
        auto mover = fileMover.openFolder(QFile::encodeName(folder), error);
        const JournaledBatch batch{.kind = BatchKind::Apply, .folder = QFile::encodeName(folder),
                                   .from = preview.table().currentNames(), .to = preview.table().newNames(),
                                   .rules = listing.rules, .unlisted = listing.unlisted};
        (void)preview.table().refusedRows(); // the apply's box counts the rows marked ahead
        (void)renameJournaled(*mover, batch, &identities, &journal);
        renamed.current = batch.from;
        renamed.fresh = batch.to;
        relisted = listed(folder).names.size();
    });
    renamed = pairsOf(renamed.current, renamed.fresh);
    if (relisted != renamed.current.size())
        std::fprintf(stderr, "expression: %lld files listed again, not %lld\n", qlonglong(relisted),
                     qlonglong(renamed.current.size()));
    return ms;
}

// The same expression through perl's rename, fed every file of the folder as find gives them.
double perlExpressionMs(const QString &folder)
{
    QProcess shell;
    shell.setWorkingDirectory(folder);
    return timeMs([&] {
        shell.start(QStringLiteral("sh"), {QStringLiteral("-c"),
                                           QStringLiteral("find . -maxdepth 1 -type f -print0 | xargs -0 rename 's/IMG_(\\d+)/Vac_$1/'")});
        shell.waitForFinished(-1);
    });
}

long peakResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

long childPeakKb(const QString &folder)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--peak-memory"), folder});
    child.waitForFinished(-1);
    return child.readAllStandardOutput().trimmed().toLong();
}

int peakMemoryChild(const QString &folder)
{
    NoBusyPointer busy;
    const FolderListing::Contents listing = listed(folder);
    PreviewSession preview(busy);
    preview.loadFileList(listing.names, listing.rules, listing.unlisted);
    setPreviewOptions(preview);
    std::printf("%ld\n", peakResidentKb());
    return 0;
}

// The window over a folder, shown, with services that stay quiet.
struct BenchWindow
{
    explicit BenchWindow(const QString &folder)
        : window(drives, mover, folder, &messages)
    {
        window.show();
        QApplication::processEvents();
    }
    RootDriveList drives;
    PosixFileMover mover;
    SilentMessageBox messages;
    VelmixWindow window;
};

// With `handNames`, a name typed by hand on every hundredth row first (1,000 of 100,000).
double keystrokeMs(const QString &folder, bool handNames = false)
{
    BenchWindow bench(folder);
    VelmixWindow &window = bench.window;
    auto *box = window.findChild<QLineEdit *>(QStringLiteral("TxtName"));
    auto *grid = window.findChild<QAbstractItemView *>(QStringLiteral("FlexGrid1"));
    // As the grid's editor hands them over.
    for (int row = 0; handNames && row < grid->model()->rowCount(); row += 100)
        grid->model()->setData(grid->model()->index(row, 1), QStringLiteral("вручную %1.txt").arg(row), Qt::EditRole);
    if (handNames && window.core().preview().handNames().size() != 1000) {
        std::fprintf(stderr, "keystroke: %lld names by hand\n", qlonglong(window.core().preview().handNames().size()));
        return -1;
    }
    std::vector<double> samples;
    for (int run = 0; run < Runs + 2; ++run) {
        const Qt::Key key = Qt::Key(Qt::Key_A + run);
        const QString text = QString(QChar(u'a' + run));
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(box, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        const double ms = timeMs([&] { QApplication::sendEvent(box, &release); });
        const QString shown = grid->model()->index(1, 1).data().toString();
        if (!shown.startsWith(box->text())) {
            std::fprintf(stderr, "keystroke: the grid shows %s\n", qPrintable(shown));
            return -1;
        }
        samples.push_back(ms);
    }
    return median(samples);
}

// A key typed into the rules panel's find box, 100,000 rows: the preview is rebuilt as the
// text changes, during the key press.
double findKeystrokeMs(const QString &folder)
{
    BenchWindow bench(folder);
    VelmixWindow &window = bench.window;
    window.findChild<QAbstractButton *>(QStringLiteral("ImgRules"))->click();
    auto *box = window.findChild<QLineEdit *>(QStringLiteral("TxtFind"));
    std::vector<double> samples;
    const QString typed = QStringLiteral("photo 1");
    for (const QChar c : typed) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key(c.toUpper().unicode()), Qt::NoModifier, QString(c));
        samples.push_back(timeMs([&] { QApplication::sendEvent(box, &press); }));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key(c.toUpper().unicode()), Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &release);
    }
    if (window.core().preview().nameRules().findText != typed) {
        std::fprintf(stderr, "find keystroke: the core finds %s\n", qPrintable(window.core().preview().nameRules().findText));
        return -1;
    }
    return median(samples);
}

// From constructing the window in `folder` until the grid's model holds every file.
double windowMs(const QString &folder, qsizetype files)
{
    RootDriveList drives;
    PosixFileMover mover;
    SilentMessageBox messages;
    std::vector<double> samples;
    for (int run = 0; run < Runs; ++run) {
        std::optional<VelmixWindow> window;
        samples.push_back(timeMs([&] { window.emplace(drives, mover, folder, &messages); }));
        const int rows = window->findChild<QAbstractItemView *>(QStringLiteral("FlexGrid1"))->model()->rowCount();
        if (rows != files) {
            std::fprintf(stderr, "window: the grid holds %d rows for %lld files\n", rows, qlonglong(files));
            return -1;
        }
    }
    return median(samples);
}

// The longest time the event loop goes without turning while `action` runs, the action
// started from within the loop, as a click is.
double longestStallMs(const std::function<void()> &action)
{
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    const auto turn = [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    };
    QEventLoop loop;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, &loop, turn);
    QTimer::singleShot(20, &loop, [&] {
        turn();
        action();
        turn();
        loop.quit();
    });
    clock.start();
    tick.start();
    loop.exec();
    return double(longest) / 1e6;
}

void clickButton(VelmixWindow &window, const char *name)
{
    window.findChild<QAbstractButton *>(QLatin1String(name))->click();
}

// The longest stall of the window's event loop while it applies new names to every file;
// the old names go back afterwards.
double applyStallMs(const QString &folder)
{
    BenchWindow bench(folder);
    VelmixWindow &window = bench.window;
    clickButton(window, "PicBig");
    const qsizetype files = window.core().table().fileCount();
    const RenamePairs pairs = pairsOf(window.core().table().currentNames(), window.core().table().newNames());
    const double ms = longestStallMs([&] { clickButton(window, "ImgApply"); });
    if (window.core().table().fileCount() != files || window.core().preview().namesPending()) {
        std::fprintf(stderr, "apply stall: the apply did not complete\n");
        return -1;
    }
    renameBack(folder, pairs.bytes);
    return ms;
}

// The longest time the window's event loop does not turn while the window is resized out
// by 600 × 400 pixels and back in 40 steps, as a window manager's drag does, with every file
// of the folder in the grid; each step's layout and painting run in the loop.
double resizeWorstMs(const QString &folder, qsizetype files)
{
    BenchWindow bench(folder);
    VelmixWindow &window = bench.window;
    if (window.core().table().fileCount() != files) {
        std::fprintf(stderr, "resize: the grid holds %lld rows\n", qlonglong(window.core().table().fileCount()));
        return -1;
    }
    constexpr int Steps = 40;
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QEventLoop loop;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    int step = 0;
    QTimer drag;
    drag.setInterval(15);
    QObject::connect(&drag, &QTimer::timeout, &loop, [&] {
        const int out = ++step <= Steps / 2 ? step : Steps - step;
        window.resize(WindowLayout::WindowSize + QSize(out * 30, out * 20));
        if (step == Steps)
            QTimer::singleShot(50, &loop, &QEventLoop::quit); // the last step's painting too
    });
    clock.start();
    tick.start();
    drag.start();
    loop.exec();
    if (window.size() != WindowLayout::WindowSize) {
        std::fprintf(stderr, "resize: the window did not come back to its size\n");
        return -1;
    }
    return double(longest) / 1e6;
}

// The longest stall of the window's event loop while the Reset button reads the folder again.
double listStallMs(const QString &folder, qsizetype files)
{
    BenchWindow bench(folder);
    VelmixWindow &window = bench.window;
    std::vector<double> samples;
    for (int run = 0; run < Runs; ++run) {
        samples.push_back(longestStallMs([&] { clickButton(window, "ImgChancel"); }));
        if (window.core().table().fileCount() != files) {
            std::fprintf(stderr, "list stall: the grid holds %lld rows\n", qlonglong(window.core().table().fileCount()));
            return -1;
        }
    }
    return median(samples);
}

// 10,000 renames on an exFAT image mounted through FUSE, ours against a plain loop of
// rename(2) on the same mount; false with a reason printed where it cannot be mounted.
bool exfatTimes(const QString &root, BusyPointer &busy, double &ours, double &bare)
{
    const test::MountedImage image(test::MountedImage::FileSystem::ExFat, root);
    if (!image.skipReason().isEmpty() || !image.failure().isEmpty()) {
        std::printf("  apply_exfat_10k_ms skipped: %s\n",
                    qPrintable(image.skipReason().isEmpty() ? image.failure() : image.skipReason()));
        return false;
    }
    std::vector<double> oursSamples, bareSamples;
    BenchFolder a(image.mountPoint() + QStringLiteral("/a"), 10000);
    BenchFolder b(image.mountPoint() + QStringLiteral("/b"), 10000);
    const RenamePairs pairs = renamePairs(a.path(), false, busy);
    for (int run = 0; run < Runs; ++run) {
        oursSamples.push_back(ourRenameMs(a.path(), pairs));
        const QByteArray folder = QFile::encodeName(b.path()) + '/';
        bareSamples.push_back(timeMs([&] {
            for (const auto &[from, to] : pairs.bytes)
                ::rename((folder + from).constData(), (folder + to).constData());
        }));
        if (QDir(a.path()).entryList(QDir::Files).size() != 10000 || !QFile::exists(a.path() + u'/' + pairs.fresh.at(0).toString())) {
            std::fprintf(stderr, "exfat: the renames did not all happen\n");
            return false;
        }
        renameBack(a.path(), pairs.bytes);
        renameBack(b.path(), pairs.bytes);
    }
    ours = median(oursSamples);
    bare = median(bareSamples);
    return true;
}

// Reading the dates and tags of small pictures with EXIF (10,000 JPEGs, 1,000 HEICs), as a
// field in the base name does, over the floor: opening each file and reading its first 64 KiB.
struct MetadataTimes
{
    double ours;
    double floor;
};
MetadataTimes metadataTimes(const QString &path, int files, const char *extension,
                            const std::function<QByteArray(int)> &content)
{
    QDir().mkpath(path);
    NameColumn names;
    for (int i = 0; i < files; ++i) {
        const QString name = QStringLiteral("IMG_%1.%2").arg(i, 5, 10, QLatin1Char('0')).arg(QLatin1String(extension));
        QFile file(path + u'/' + name);
        if (!file.open(QIODevice::WriteOnly) || file.write(content(i)) <= 0)
            qFatal("cannot write %s", qPrintable(file.fileName()));
        names.append(name);
    }
    std::vector<quint32> rows(static_cast<size_t>(files));
    std::iota(rows.begin(), rows.end(), 0u);
    const std::unique_ptr<TagReader> reader = makeLibraryTagReader();
    std::vector<QByteArray> paths;
    for (qsizetype i = 0; i < names.size(); ++i)
        paths.push_back(QFile::encodeName(path + u'/' + names.at(i).toString()));
    std::vector<char> buffer(64 * 1024);
    const auto readHeads = [&] {
        for (const QByteArray &file : paths) {
            const int fd = ::open(file.constData(), O_RDONLY | O_CLOEXEC);
            if (fd < 0 || ::read(fd, buffer.data(), buffer.size()) <= 0)
                qFatal("cannot read %s", file.constData());
            ::close(fd);
        }
    };
    std::vector<double> ours, floor;
    for (int run = 0; run < Runs; ++run) {
        ours.push_back(timeMs([&] {
            if (!FolderMetadata::readFiles(*reader, path, names, rows, nullptr).back())
                qFatal("no metadata read");
        }));
        floor.push_back(timeMs(readHeads));
    }
    return {median(ours), median(floor)};
}

QStringList blocks;

bool runs(const char *block)
{
    return blocks.isEmpty() || blocks.contains(QLatin1String(block));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && QByteArray(argv[1]) == "--peak-memory-tree") {
        QCoreApplication app(argc, argv);
        return treePeakMemoryChild(QString::fromLocal8Bit(argv[2]));
    }
    if (argc == 4 && QByteArray(argv[1]) == "--apply-tree") {
        prepareHeapForOneBatch();
        QCoreApplication app(argc, argv);
        return treeApplyChild(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
    }
    if (argc == 3 && QByteArray(argv[1]) == "--peak-memory") {
        QCoreApplication app(argc, argv);
        return peakMemoryChild(QString::fromLocal8Bit(argv[2]));
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    blocks = app.arguments().mid(1);
    NoBusyPointer busy;
    QTemporaryDir root;
    std::printf("Velmix benchmark, %d runs per figure (median)\n\n", Runs);

    if (runs("list-10k")) {
        BenchFolder small(root.filePath(QStringLiteral("list-10k")), 10000);
        std::vector<double> ours;
        for (int run = 0; run < Runs; ++run)
            ours.push_back(timeMs([&] { listAndFill(small.path(), busy); }));
        report("list_10k_ms", median(ours), "ms");
    }
    // Made once for the listing and the renames, which put the old names back after each
    // run: making 100,000 files costs far more than anything measured in them.
    std::optional<BenchFolder> folder100k;
    const auto shared100k = [&]() -> BenchFolder & {
        if (!folder100k)
            folder100k.emplace(root.filePath(QStringLiteral("files-100k")), 100000);
        return *folder100k;
    };
    if (runs("list-100k")) {
        const BenchFolder &folder = shared100k();
        const ListingTimes times = listingTimes(folder.path(), 100000, true, busy);
        report("list_100k_ms", times.ours, "ms");
        report("list_100k_bare_ms", times.bare, "ms");
        report("list_100k_ratio", times.ours / times.bare, "");
        report("list_100k_floor_ms", times.floor, "ms");
        report("list_100k_floor_ratio", times.ours / times.floor, "");
        report("preview_100k_ms", previewMs(folder.path(), busy), "ms");
        report("preview_hand_100k_ms", previewHandMs(folder.path(), busy), "ms");
        report("list_take_100k_ms", listTakeMs(folder.path(), busy), "ms");
        report("preview_conflicts_100k_ms", previewConflictsMs(root.filePath(QStringLiteral("conflicts")), busy), "ms");
        report("keystroke_100k_ms", keystrokeMs(folder.path()), "ms");
        report("keystroke_100k_hand_ms", keystrokeMs(folder.path(), true), "ms");
    }
    if (runs("list-100k") || runs("rules")) {
        const BenchFolder &folder = shared100k();
        report("preview_rules_100k_ms", previewRulesMs(folder.path(), busy), "ms");
        report("keystroke_find_100k_ms", findKeystrokeMs(folder.path()), "ms");
    }
    if (runs("list-1m")) {
        BenchFolder folder(root.filePath(QStringLiteral("list-1m")), 1000000);
        const ListingTimes times = listingTimes(folder.path(), 1000000, false, busy);
        report("list_1m_ms", times.ours, "ms");
        report("list_1m_floor_ms", times.floor, "ms");
        report("list_1m_floor_ratio", times.ours / times.floor, "");
        report("window_1m_ms", windowMs(folder.path(), 1000000), "ms");
        report("list_stall_1m_ms", listStallMs(folder.path(), 1000000), "ms");
        report("resize_1m_worst_ms", resizeWorstMs(folder.path(), 1000000), "ms");
        report("preview_1m_ms", previewMs(folder.path(), busy), "ms");
        BenchFolder empty(root.filePath(QStringLiteral("empty")), 0);
        const long full = childPeakKb(folder.path());
        const long none = childPeakKb(empty.path());
        report("bytes_per_file", double(full - none) * 1024.0 / 1e6, "bytes");
    }
    if (runs("apply") || runs("perl")) {
        const BenchFolder &a = shared100k();
        if (runs("apply")) {
            const RenamePairs pairs = renamePairs(a.path(), false, busy);
            std::vector<double> ours, unjournaled, bare, stalls;
            // All three on the same folder, each run in another order, so that neither the
            // folder's layout on disk nor a warmer cache favours one of them.
            const std::function<void()> ways[] = {
                [&] { ours.push_back(ourRenameMs(a.path(), pairs)); },
                [&] { unjournaled.push_back(ourRenameMs(a.path(), pairs, false)); },
                [&] { bare.push_back(bareRenameMs(a.path(), pairs)); },
            };
            for (int run = 0; run < Runs; ++run) {
                for (int way = 0; way < 3; ++way) {
                    ways[(run + way) % 3]();
                    renameBack(a.path(), pairs.bytes);
                }
            }
            report("apply_100k_ms", median(ours), "ms");
            report("apply_100k_bare_ms", median(bare), "ms");
            report("apply_100k_ratio", median(ours) / median(bare), "");
            report("apply_100k_unjournaled_ms", median(unjournaled), "ms");
            report("apply_journal_overhead", median(ours) / median(unjournaled), "");
            for (int run = 0; run < Runs; ++run)
                stalls.push_back(applyStallMs(a.path()));
            report("apply_stall_100k_ms", median(stalls), "ms");
        }
        if (runs("perl")) {
            BenchFolder b(root.filePath(QStringLiteral("perl-b")), 100000);
            const RenamePairs pairs = renamePairs(a.path(), true, busy);
            // The tool's y/a-z/A-Z/ leaves letters outside ASCII as they are.
            std::vector<std::pair<QByteArray, QByteArray>> perlPairs;
            for (const auto &[from, to] : pairs.bytes) {
                QByteArray upper = from;
                std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; });
                perlPairs.emplace_back(from, upper);
            }
            std::vector<double> ours, perl;
            for (int run = 0; run < Runs; ++run) {
                ours.push_back(ourRenameMs(a.path(), pairs));
                perl.push_back(perlRenameMs(b.path(), pairs));
                renameBack(a.path(), pairs.bytes);
                renameBack(b.path(), perlPairs);
            }
            report("apply_upper_100k_ms", median(ours), "ms");
            report("perl_rename_100k_ms", median(perl), "ms");
            report("apply_vs_perl_rename", median(ours) / median(perl), "");
        }
    }

    if (runs("cli")) {
        BenchFolder a(root.filePath(QStringLiteral("cli-a")), 100000);
        BenchFolder b(root.filePath(QStringLiteral("cli-b")), 100000);
        std::vector<std::pair<QByteArray, QByteArray>> pairs;
        for (const QByteArray &name : a.names()) {
            if (name.startsWith("IMG_"))
                pairs.emplace_back(name, "Vac_" + name.mid(4));
        }
        std::vector<double> ours, perl;
        for (int run = 0; run < Runs; ++run) {
            inTurn(run, [&] { ours.push_back(cliRegexMs(a.path(), root.path())); },
                   [&] { perl.push_back(perlExpressionMs(b.path())); });
            renameBack(a.path(), pairs);
            renameBack(b.path(), pairs);
        }
        report("cli_regex_100k_ms", median(ours), "ms");
        report("perl_rename_regex_100k_ms", median(perl), "ms");
        report("cli_regex_vs_perl_rename", median(ours) / median(perl), "");
    }
    if (runs("peers")) {
        // 100,000 files, 20,000 of them renamed; the command line's history full, 20 applies
        // of 20,000 files, as after a season of use.
        const QString home = root.filePath(QStringLiteral("peers-home"));
        writeHistory(home, RenameJournal::HistoryDepth, 20000);
        BenchFolder a(root.filePath(QStringLiteral("peers-a")), 100000);
        BenchFolder b(root.filePath(QStringLiteral("peers-b")), 100000);
        std::vector<std::pair<QByteArray, QByteArray>> pairs;
        for (const QByteArray &name : a.names()) {
            if (name.startsWith("IMG_"))
                pairs.emplace_back(name, "Vac_" + name.mid(4));
        }
        const auto against = [&](const char *name, const std::function<double(const QString &)> &peer) {
            std::vector<double> ours, theirs;
            for (int run = 0; run < Runs; ++run) {
                inTurn(run, [&] { ours.push_back(cliPrefixMs(a.path(), home)); },
                       [&] { theirs.push_back(peer(b.path())); });
                renameBack(a.path(), pairs);
                renameBack(b.path(), pairs);
            }
            std::printf("  cli %.1f ms, %s %.1f ms\n", median(ours), name, median(theirs));
            return median(ours) / median(theirs);
        };
        report("cli_regex_vs_rename0", against("rename -0", renameZeroMs), "");
        report("cli_regex_vs_mmv", against("mmv", mmvMs), "");
    }
    if (runs("hostile")) {
        const QString folder = hostileFolder(root.filePath(QStringLiteral("hostile")));
        double slowest = 0;
        for (const QString &pattern : {QStringLiteral("(.*a){25}"), QStringLiteral("(a+)+$"), QStringLiteral("(a|aa)+$")}) {
            std::vector<double> ours;
            for (int run = 0; run < Runs; ++run)
                ours.push_back(cliHostileMs(folder, root.path(), pattern));
            std::printf("  %-24s %12.3f ms\n", qPrintable(pattern), median(ours));
            slowest = std::max(slowest, median(ours));
        }
        report("regex_hostile_1k_ms", slowest, "ms");
        QDir(folder).removeRecursively();
    }
    if (runs("history")) {
        const QString empty = root.filePath(QStringLiteral("history-empty"));
        const QString withHistory = root.filePath(QStringLiteral("history-20")), without = root.filePath(QStringLiteral("history-0"));
        QDir().mkpath(empty);
        writeHistory(withHistory, 20, 20000);
        std::vector<double> full, none;
        for (int run = 0; run < 2 * Runs + 1; ++run) { // a whole start is short: more runs
            inTurn(run, [&] { full.push_back(cliStartMs(withHistory, empty)); },
                   [&] { none.push_back(cliStartMs(without, empty)); });
        }
        report("start_history_ms", median(full), "ms");
        report("start_no_history_ms", median(none), "ms");
        report("start_history_ratio", median(full) / median(none), "");
    }
    if (runs("regex")) {
        BenchFolder a(root.filePath(QStringLiteral("regex-a")), 100000);
        BenchFolder b(root.filePath(QStringLiteral("regex-b")), 100000);
        std::vector<double> ours, perl;
        RenamePairs renamed;
        for (int run = 0; run < Runs; ++run) {
            inTurn(run, [&] { ours.push_back(expressionPathMs(a.path(), busy, renamed)); },
                   [&] { perl.push_back(perlExpressionMs(b.path())); });
            if (!QFile::exists(b.path() + QStringLiteral("/Vac_0000000.JPG"))
                || !QFile::exists(a.path() + QStringLiteral("/Vac_0000000.JPG"))) {
                std::fprintf(stderr, "regex: the files were not renamed\n");
                return 1;
            }
            renameBack(a.path(), renamed.bytes);
            renameBack(b.path(), renamed.bytes);
        }
        report("regex_path_100k_ms", median(ours), "ms");
        report("perl_regex_100k_ms", median(perl), "ms");
        report("regex_vs_perl_rename", median(ours) / median(perl), "");
    }

    if (runs("tree")) {
        const TreeFigures tree = treeFigures(root.filePath(QStringLiteral("tree-100k")), busy, Runs);
        report("list_tree_100k_ms", tree.listMs, "ms");
        report("list_tree_100k_floor_ms", tree.listFloorMs, "ms");
        report("list_tree_100k_ratio", tree.listMs / tree.listFloorMs, "");
        report("apply_tree_100k_ms", tree.applyMs, "ms");
        report("apply_tree_100k_bare_ms", tree.applyBareMs, "ms");
        report("apply_tree_100k_ratio", tree.applyMs / tree.applyBareMs, "");
        const QString full = root.filePath(QStringLiteral("tree-memory")), none = root.filePath(QStringLiteral("tree-empty"));
        makeTree(full, TreeFiles);
        makeTree(none, 0);
        const auto peakKb = [](const QString &folder) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--peak-memory-tree"), folder});
            child.waitForFinished(-1);
            return child.readAllStandardOutput().trimmed().toLong();
        };
        report("bytes_per_file_tree", double(peakKb(full) - peakKb(none)) * 1024.0 / TreeFiles, "bytes");
        QDir(full).removeRecursively();
    }
    if (runs("exfat")) {
        double ours = 0, bare = 0;
        if (exfatTimes(root.path(), busy, ours, bare)) {
            report("apply_exfat_10k_ms", ours, "ms");
            report("rename_exfat_10k_ms", bare, "ms");
            report("apply_exfat_ratio", ours / bare, "");
        }
    }

    if (runs("metadata")) {
        const MetadataTimes times = metadataTimes(root.filePath(QStringLiteral("metadata-10k")), 10000, "jpg", [](int i) {
            const QString taken = QStringLiteral("2026:07:14 %1:%2:%3").arg(i / 3600 % 24, 2, 10, QLatin1Char('0'))
                                      .arg(i / 60 % 60, 2, 10, QLatin1Char('0')).arg(i % 60, 2, 10, QLatin1Char('0'));
            return test::jpegWithExif(taken, taken);
        });
        report("metadata_10k_ms", times.ours, "ms");
        report("metadata_floor_10k_ms", times.floor, "ms");
        report("metadata_floor_ratio", times.ours / times.floor, "");
        // One picture encoded once: the encoder costs far more than the reading measured.
        const QByteArray heic = test::heifWithExif(QStringLiteral("2026:07:14 15:30:12"), false, false);
        if (heic.isEmpty())
            qFatal("libheif has no HEVC encoder");
        const MetadataTimes heif = metadataTimes(root.filePath(QStringLiteral("metadata-heic")), 1000, "heic",
                                                 [&](int) { return heic; });
        report("metadata_heic_1k_ms", heif.ours, "ms");
        report("metadata_heic_floor_ratio", heif.ours / heif.floor, "");
    }

    std::printf("\n");
    for (const auto &[name, value] : std::as_const(figures))
        std::printf("%s: %.3f\n", qPrintable(name), value);
    return 0;
}
