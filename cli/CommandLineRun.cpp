#include "CommandLineRun.h"

#include "AppliedRows.h"
#include "CliCommand.h"
#include "ConsoleServices.h"
#include "NoticesModule.h"
#include "StopSignals.h"
#include "SummaryNotice.h"
#include "RenamerCore.h"
#include "journal/ReadOnlyStateFolder.h"
#include "listing/CurrentFolder.h"
#include "listing/FolderSelection.h"
#include "program/PrivateModule.h"
#include "posix/BatchHeap.h"
#include "posix/MountDriveList.h"
#include "posix/PosixFileIdentities.h"
#include "posix/PosixFileMover.h"
#include "posix/PosixFolderLocks.h"
#include "posix/PosixStateFolder.h"
#include "CommandLine.h"
#include "CommandList.h"
#include "sets/RuleSetStore.h"
#include "text/FileNameCodec.h"
#include "text/TsvField.h"
#include "text/VisibleText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace velmix::cli {
namespace {

using namespace Qt::StringLiterals;

constexpr int Renamed = 0;
constexpr int Refused = 1;
constexpr int UsageError = 2;

int usageError(const QString &problem)
{
    print(stderr, u"velmix: %1\nСправка: velmix --help\n"_s.arg(problem));
    return UsageError;
}

// Every row that changes its name or is marked, one a line; the status says whether any is
// marked.
int printPreview(const FileNameTable &table, bool tsv)
{
    bool marked = false;
    for (qsizetype row = 0; row < table.fileCount(); ++row) {
        const bool isMarked = table.mark(row) != NameMark::None;
        if (!isMarked && table.currentNames().at(row) == table.newNames().at(row))
            continue;
        // With subfolders, both names as paths below the folder; a folder's with a "/".
        const QString folder = table.folderPrefix(row);
        const QString mark = table.isFolderRow(row) ? u"/"_s : QString();
        const QString from = folder + table.currentNames().at(row).toString() + mark;
        const QString to = folder + table.newNames().at(row).toString() + mark;
        marked = marked || isMarked;
        const QString reason = isMarked ? table.markReason(row) : QString();
        if (tsv) {
            const QByteArray line = tsvRow(from, to, reason);
            std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
        } else {
            print(stdout, withControlPictures(from) + u" → "_s + withControlPictures(to)
                              + (isMarked ? u"   [%1]"_s.arg(reason) : QString()) + u'\n');
        }
    }
    return marked ? Refused : Renamed;
}

// The folder named, as a full path; empty, the reason printed, where it is none.
QString namedFolder(const QString &typed)
{
    // Looked at as the bytes it was typed in: a folder's name need not be UTF-8.
    const QString path = QDir::cleanPath(QDir(currentFolder()).absoluteFilePath(typed));
    const std::optional<QByteArray> bytes = FileNameCodec::encode(path);
    struct stat status{};
    if (!bytes || ::stat(bytes->constData(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        usageError(u"«%1» — не папка"_s.arg(withControlPictures(typed)));
        return {};
    }
    return FolderSelection::normalized(path);
}

struct Console
{
    Console(const QString &folder, bool answer, bool wait)
        : messages(answer), drives(folder), locks(state.path(), wait ? PosixFolderLocks::Busy::Wait : PosixFolderLocks::Busy::Refuse)
    {
    }
    // A dry run changes nothing in the state folder either.
    [[nodiscard]] RenamerCore::Services services(bool dryRun = false)
    {
        return {busy, messages, drives, mover, work, dryRun ? &readOnlyState : static_cast<StateFolder *>(&state),
                &identities, &ruleSets, &locks};
    }
    NoBusyPointer busy;
    ConsoleMessageBox messages;
    MountDriveList drives;
    PosixFileMover mover;
    ConsoleWorkDisplay work;
    PosixStateFolder state;
    ReadOnlyStateFolder readOnlyState{state};
    PosixFileIdentities identities;
    RuleSetStore ruleSets;
    PosixFolderLocks locks;
};

// A flow's report as the command line shows it: each box on standard error, the summary
// line on standard output; the status says whether all went.
int printReport(ConsoleMessageBox &messages, const BatchReport &report, FILE *summaryTo = stdout)
{
    if (!report.ruleSetProblem.isEmpty())
        print(stderr, u"velmix: %1\n"_s.arg(report.ruleSetProblem));
    for (const BatchReport::Box &box : report.boxes())
        messages.showMessage(box.title, box.text);
    if (!report.summary.isEmpty())
        print(summaryTo, report.summary + u'\n');
    return report.clean() ? Renamed : Refused;
}

// The journals the start set aside, where no report of a batch tells them.
void printSetAside(ConsoleMessageBox &messages, RenamerCore &core)
{
    BatchReport told;
    told.setAside = core.journalsSetAside();
    (void)printReport(messages, told);
}

// The core with the folder listed, as the window has it after its start; false, the
// reason printed, where the folder cannot be read.
bool startCore(RenamerCore &core, const QString &folder)
{
    core.startUp();
    if (core.folder() == folder)
        return true;
    print(stderr, u"velmix: папку «%1» не удалось прочитать\n"_s.arg(withControlPictures(folder)));
    return false;
}

// The report also as the desktop's notice, where one is to be shown; true when the user
// asked there for the apply to be undone.
bool tellDesktop(DesktopNotices *notices, const BatchReport &report, const QString &undoFolder)
{
    if (!notices)
        return false;
    const SummaryNotice notice = SummaryNotice::of(report, undoFolder);
    if (notice.summary.isEmpty())
        return false;
    return notices->show(notice.summary, notice.body, !undoFolder.isEmpty()) == DesktopNotices::Answer::Undo;
}

int rename(const Command &command, const QString &folder, DesktopNotices *notices, bool &undoAsked)
{
    Console console(folder, false, command.wait);
    RenamerCore core(console.services(!command.apply), folder);
    if (!startCore(core, folder))
        return UsageError;
    if (!command.mask.isEmpty() && !core.setTypedMask(command.mask))
        return usageError(u"маска «%1» не подходит"_s.arg(command.mask));
    if (command.subfolders)
        core.setSubfolders(true, command.depth);
    if (command.folders)
        core.setRenameFolders(true);
    core.setPairs(command.pairs);
    core.preview().setSettings(command.options, command.rules);
    if (!core.preview().findError().isEmpty())
        return usageError(u"выражение «%1»: %2"_s.arg(command.rules.findText, core.preview().findError()));
    if (const QString problem = takeCommandList(core.preview(), command); !problem.isEmpty()) {
        print(stderr, u"velmix: %1\n"_s.arg(problem));
        return UsageError;
    }
    if (!command.apply) {
        printSetAside(console.messages, core);
        return printPreview(core.table(), command.tsv);
    }
    std::optional<AppliedRows> rows;
    if (command.tsv)
        rows.emplace(core.table(), folder);
    StopSignals stops(console.work);
    // The program ends after the apply: nobody sees the folder listed again.
    const BatchReport report = core.applyNewNames(RenamerCore::AfterMoves::End);
    if (rows)
        rows->print(report);
    // With --tsv standard output holds the rows alone.
    const int status = printReport(console.messages, report, command.tsv ? stderr : stdout);
    if (const int signal = stops.received())
        return StopSignals::exitStatus(signal);
    // The undo offered only for this apply, never for an earlier one in the folder.
    const bool undoable = report.ran && report.renamed > 0 && core.undo().undoFolder() == folder;
    undoAsked = tellDesktop(notices, report, undoable ? folder : QString());
    return status;
}

int undo(const QString &folder, bool wait, DesktopNotices *notices)
{
    Console console(folder, true, wait);
    RenamerCore core(console.services(), folder);
    if (!startCore(core, folder))
        return UsageError;
    if (core.undo().undoFolder() != folder) {
        printSetAside(console.messages, core);
        print(stderr, u"velmix: в папке «%1» нечего отменять\n"_s.arg(withControlPictures(folder)));
        return Refused;
    }
    const BatchReport report = core.undoLastApply();
    const int status = printReport(console.messages, report);
    (void)tellDesktop(notices, report, {});
    return status;
}

// Where nobody reads standard output (a file manager started the command) and the desktop
// has a notification server, what an apply or an undo did shows there too. Any terminal
// among the standard streams means a user at it, say one piping the output on: a script
// there must not wait for a click.
std::unique_ptr<DesktopNotices> desktopNotices()
{
    for (const int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
        if (::isatty(stream))
            return nullptr;
    // No session bus, no notification server: the module and its libraries would load for
    // nothing (a script's run, a service's).
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")
        && !QFileInfo::exists(qEnvironmentVariable("XDG_RUNTIME_DIR") + u"/bus"_s))
        return nullptr;
    // Without the module the printed lines are all there is, as without a notification server.
    const ModuleEntry module = privateModuleEntry(NoticesModuleFile, NoticesModuleEntry);
    if (!module.function)
        return nullptr;
    return std::unique_ptr<DesktopNotices>(reinterpret_cast<SessionNotices *>(module.function)());
}

int repair(bool finish, bool wait)
{
    const QString folder = currentFolder();
    Console console(folder, finish, wait);
    RenamerCore core(console.services(), folder);
    core.startUp();
    const BatchReport report = core.repairUnfinishedBatches();
    if (!report.ran && report.clean()) {
        print(stdout, u"Прерванных переименований нет.\n"_s);
        return Renamed;
    }
    return printReport(console.messages, report);
}

} // namespace

int run(int argc, char *argv[])
{
    prepareHeapForOneBatch(); // one command, then the end
    const QStringList arguments = CommandLine::arguments(argc, argv).mid(1);
    QCoreApplication app(argc, argv);
    const ParsedCommand parsed = parseCommand(arguments, RuleSetStore());
    if (!parsed.problem.isEmpty())
        return usageError(parsed.problem);
    const Command &command = parsed.command;
    switch (command.action) {
    case Action::Help: print(stdout, helpText()); return 0;
    case Action::Version: print(stdout, u"velmix " VELMIX_VERSION "\n"_s); return 0;
    case Action::Repair: return repair(*command.answer, command.wait);
    case Action::None: break; // refused by the parser
    case Action::Rename:
    case Action::Undo: {
        const QString folder = namedFolder(command.folder);
        if (folder.isEmpty())
            return UsageError;
        // A dry run only prints: nothing to tell the desktop.
        const bool changes = command.action == Action::Undo || command.apply;
        const std::unique_ptr<DesktopNotices> notices = changes ? desktopNotices() : nullptr;
        if (command.action == Action::Undo)
            return undo(folder, command.wait, notices.get());
        bool undoAsked = false;
        const int status = rename(command, folder, notices.get(), undoAsked);
        // Once the apply's locks and journal are let go, as a --undo of its own.
        return undoAsked ? undo(folder, command.wait, notices.get()) : status;
    }
    }
    return UsageError;
}

} // namespace velmix::cli
