#include "FakeServices.h"
#include "MountedImage.h"
#include "RenameFolder.h"
#include "TestMedia.h"
#include "TestSupport.h"
#include "posix/NoReplaceMover.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <map>
#include <memory>
#include <optional>
#include <tuple>

Q_DECLARE_METATYPE(velmix::MoveMethod)
Q_DECLARE_METATYPE(std::optional<velmix::test::MountedImage::FileSystem>)

namespace {

// Making files is what these tests spend their time on: a kill lands at a chosen call, so
// a few hundred files do (fewer through fusefat, which makes each in a time that grows
// with the folder), while a racing writer needs an apply long enough to meet it.
constexpr int KillFiles = 300;
constexpr int FatKillFiles = 60;
constexpr int RaceFiles = 600;

QString child()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/apply_child");
}

QString methodArgument(velmix::MoveMethod method)
{
    return QString::number(int(method));
}

// Reads the child's lines until one starts with `prefix`; returns the rest of it, or
// nothing when the child ends first.
std::optional<QByteArray> waitForLine(QProcess &process, const QByteArray &prefix)
{
    for (;;) {
        while (process.canReadLine()) {
            const QByteArray line = process.readLine().trimmed();
            if (line.startsWith(prefix))
                return line.mid(prefix.size());
        }
        if (!process.waitForReadyRead(60000))
            return std::nullopt;
    }
}

// Each old name to the new one the child's apply gives it.
QMap<QByteArray, QByteArray> plannedNames(const QString &folder, int files, bool tree, bool folders, bool pairs)
{
    velmix::test::CoreFixture fixture(folder);
    fixture.core.startUp();
    fixture.core.setSubfolders(tree);
    fixture.core.setRenameFolders(folders);
    fixture.core.setPairs(pairs);
    fixture.core.preview().setStartText(QString::number(files));
    fixture.core.preview().setStepText(QStringLiteral("-1"));
    fixture.core.preview().setBaseName(QString());
    fixture.core.preview().baseNameKeyReleased();
    QMap<QByteArray, QByteArray> names;
    const velmix::FileNameTable &table = fixture.core.table();
    for (qsizetype row = 0; row < table.fileCount(); ++row)
        names.insert((table.folderPrefix(row) + table.currentNames().at(row).toString()).toUtf8(),
                     (table.folderPrefix(row) + table.newNames().at(row).toString()).toUtf8());
    return names;
}

// A folder of files that each hold their old name.
struct FolderState
{
    QSet<QByteArray> kept; // the contents, so the old names, of the files there
    int files = 0;         // not counting placeholders
    int renamed = 0;       // under their new names
    int temporaries = 0;
    int placeholders = 0;
};

// The files of the folder and of its subfolders, by their paths below it.
QMap<QByteArray, QByteArray> treeContents(const QByteArray &folder, const QByteArray &prefix = {})
{
    QMap<QByteArray, QByteArray> contents;
    const QMap<QByteArray, QByteArray> here = velmix::test::folderContents(folder);
    for (auto it = here.begin(); it != here.end(); ++it) {
        if (QFileInfo(QFile::decodeName(folder + '/' + it.key())).isDir())
            contents.insert(treeContents(folder + '/' + it.key(), prefix + it.key() + '/'));
        else
            contents.insert(prefix + it.key(), it.value());
    }
    return contents;
}

// The last part of a path.
QByteArray lastPart(const QByteArray &path)
{
    return path.sliced(path.lastIndexOf('/') + 1);
}

FolderState folderState(const QByteArray &folder, const QMap<QByteArray, QByteArray> &newNames)
{
    FolderState state;
    const QMap<QByteArray, QByteArray> after = treeContents(folder);
    QSet<QByteArray> renamedFolders; // by their old paths
    for (auto it = after.begin(); it != after.end(); ++it) {
        if (it.value().isEmpty()) {
            ++state.placeholders;
            continue;
        }
        state.kept.insert(it.value());
        ++state.files;
        // Each folder above it under its old name or its new one (where folders are renamed).
        const QList<QByteArray> was = it.value().split('/'), is = it.key().split('/');
        [&] { QCOMPARE(is.size(), was.size()); }();
        QByteArray above;
        for (qsizetype part = 0; part + 1 < was.size() && part < is.size(); ++part) {
            above += (part > 0 ? "/" : "") + was[part];
            const bool renamed = is[part] != was[part] && lastPart(newNames.value(above)) == is[part];
            [&] { QVERIFY2(renamed || is[part] == was[part], it.key().constData()); }();
            if (renamed)
                renamedFolders.insert(above);
        }
        // Under its old name, its new one, or a temporary name that shows the old one.
        const QByteArray own = is.last(), old = was.last();
        const bool temporary = own.contains("~velmix");
        const bool renamed = own != old && lastPart(newNames.value(it.value())) == own;
        [&] { QVERIFY2(temporary ? own.startsWith(old.chopped(4) + "~velmix") : renamed || own == old,
                       it.key().constData()); }();
        state.temporaries += temporary;
        state.renamed += renamed;
    }
    state.renamed += int(renamedFolders.size());
    return state;
}

// The files a1.txt … hold "a1\n" …: a line end, so that no content starts another.
QByteArray original(int i)
{
    return "a" + QByteArray::number(i) + '\n';
}

} // namespace

class TestRenameCrash : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Numbers 1..N renamed to N..1 (start N, step -1) in the listing's order form long
    // cycles through temporary names. The child kills itself mid-apply at a chosen call:
    // before its journal, half-way through writing its plan (the whole batch) or the
    // second part of the files' identities (the first part's files moving meanwhile), at
    // another call of a move after a tenth, three tenths and half as many calls as files,
    // between the link and the unlink of a move, or before the end mark. Every file must
    // still be somewhere in the folder, reserving names may leave one empty placeholder
    // at most, a link one second name. Then the core starts again on the same state
    // folder and the user finishes the batch or puts every name back: each file has its
    // new name, or its old one, as answered, its content as it was, and no second name,
    // temporary name or placeholder is left. A finished batch is then undone by a third
    // start, after the kernel forgot the files.
    void killMidApplyLosesNothing_data()
    {
        using FileSystem = velmix::test::MountedImage::FileSystem;
        QTest::addColumn<std::optional<FileSystem>>("medium");
        QTest::addColumn<velmix::MoveMethod>("method");
        QTest::addColumn<QString>("kill");
        QTest::addColumn<bool>("finish");
        QTest::addColumn<int>("files");
        QTest::addColumn<int>("first"); // the first file's number
        QTest::addColumn<int>("subfolders"); // the files spread over that many, listed as a tree
        QTest::addColumn<bool>("folders");   // the tree's folders renamed in the same batch
        QTest::addColumn<bool>("pairs"); // each number a raw and its JPEG, renamed together
        for (const auto &[label, medium, method, files] :
             {std::tuple{"ext4, renameat2", std::optional<FileSystem>(), velmix::MoveMethod::RenameNoReplace, KillFiles},
              std::tuple{"ext4, reserve then rename", std::optional<FileSystem>(), velmix::MoveMethod::ReserveThenRename, KillFiles},
              std::tuple{"ext4, link then unlink", std::optional<FileSystem>(), velmix::MoveMethod::LinkThenUnlink, KillFiles},
              std::tuple{"NTFS", std::optional(FileSystem::Ntfs), velmix::MoveMethod::LinkThenUnlink, KillFiles},
              std::tuple{"exFAT", std::optional(FileSystem::ExFat), velmix::MoveMethod::RenameNoReplace, KillFiles},
              std::tuple{"FAT32 through fusefat", std::optional(FileSystem::Fat32), velmix::MoveMethod::RenameNoReplace, FatKillFiles}}) {
            // fusefat's moves make more calls each: a look-up and the probe of the name; a
            // link and an unlink make two, and an odd count stops between them.
            const bool links = method == velmix::MoveMethod::LinkThenUnlink;
            const int calls = medium == FileSystem::Fat32 ? 3 : links ? 2 : 1;
            std::vector<std::pair<const char *, QString>> kills = {
                {"before the journal", "journal"},
                {"mid-journal", "part1"},
                {"between moves, a tenth in", QString::number(calls * files / 10)},
                {"between moves, three tenths in", QString::number(calls * (files * 3 / 10 + 1))},
                {"between moves, half-way", QString::number(calls * (files / 2 + 2))},
                {"before the done mark", "done"}};
            if (files == KillFiles) // the plan's second part, while the first one's files move
                kills.insert(kills.begin() + 2, {"mid-journal, its second part", "part2"});
            if (links) {
                kills.insert(kills.begin() + 2, {"between the first link and its unlink", "1"});
                for (auto &[name, kill] : kills)
                    kill = kill.toInt() > 1 ? QString::number(kill.toInt() + 1) : kill;
            }
            // Through FUSE each kill costs a few batches on a slow daemon, so every `make test`
            // takes one kill per medium, the one that medium's moves alone can show: between a
            // link and its unlink on NTFS, among the moves on exFAT, in the plan on fusefat
            // (whose every kill among the moves is most of the test's time). The kills on ext4
            // cover every point with renameat2; the other two methods there take the points
            // their own moves add (among the moves, between a link and its unlink, before the
            // end mark). `make test-long` takes all of them on every medium.
            const auto everyRun = [&](const QString &kill, const char *name) {
                if (velmix::test::longLane() || (!medium && method == velmix::MoveMethod::RenameNoReplace))
                    return true;
                if (!medium)
                    return kill == u"1" || kill == u"done" || qstrcmp(name, "between moves, a tenth in") == 0;
                if (links)
                    return kill == u"1";
                return kill == (medium == FileSystem::Fat32 ? QStringLiteral("part1") : kills[3].second);
            };
            bool finish = false;
            for (const auto &[name, kill] : kills) {
                finish = !finish; // each kill's answer stays the same in both lanes
                if (everyRun(kill, name))
                    QTest::addRow("%s, %s", label, name) << medium << method << kill << finish << files << 1 << 0 << false << false;
            }
        }
        // Files 100.txt … 399.txt, all of one size, renamed 300 … 1: cycles of two files
        // the same size, where the kill leaves one of them under a second name that the
        // size alone does not tell from the other file.
        // A batch of its own on NTFS each: the long lane takes all three.
        for (const auto &[kill, finish] : {std::pair{2 * 151 + 1, false}, {1, true}, {2 * 49 + 1, true}}) {
            if (velmix::test::longLane())
                QTest::addRow("NTFS, equal sizes, a link without its unlink after %d moves", kill / 2)
                    << std::optional(FileSystem::Ntfs) << velmix::MoveMethod::LinkThenUnlink << QString::number(kill)
                    << finish << KillFiles << 100 << 0 << false << false;
        }
        // One batch over a tree: files spread over three subfolders and the folder itself,
        // each folder's cycles its own, one journal for all; then the folders renamed too,
        // killed among the files, once the folders below moved, and before the end mark.
        for (const auto &[label, medium] : {std::pair{"ext4", std::optional<FileSystem>()}, {"exFAT", std::optional(FileSystem::ExFat)}}) {
            for (const auto &[kill, finish] : {std::pair{"part1", true}, {"100", false}, {"200", true}, {"done", true}}) {
                if (!medium || velmix::test::longLane())
                    QTest::addRow("%s, a tree, killed at %s", label, kill)
                        << medium << velmix::MoveMethod::RenameNoReplace << QString::fromLatin1(kill) << finish << KillFiles << 1 << 3 << false << false;
            }
            for (const auto &[kill, finish] : {std::pair{"150", true}, {"290", false}, {"done", false}}) {
                if (!medium || velmix::test::longLane() || kill == QStringLiteral("290"))
                    QTest::addRow("%s, a tree and its folders, killed at %s", label, kill)
                        << medium << velmix::MoveMethod::RenameNoReplace << QString::fromLatin1(kill) << finish << KillFiles << 1 << 3 << true << false;
            }
        }
        // The tree again, each number a raw and its JPEG that take their new name together.
        for (const auto &[label, medium] : {std::pair{"ext4", std::optional<FileSystem>()}, {"exFAT", std::optional(FileSystem::ExFat)}}) {
            for (const auto &[kill, finish] : {std::pair{"part1", false}, {"150", true}, {"250", false}}) {
                if (velmix::test::longLane() || (!medium && kill == QStringLiteral("150")))
                    QTest::addRow("%s, a tree of raws and JPEGs, killed at %s", label, kill)
                        << medium << velmix::MoveMethod::RenameNoReplace << QString::fromLatin1(kill) << finish
                        << KillFiles / 2 << 1 << 3 << false << true;
            }
        }
    }
    void killMidApplyLosesNothing()
    {
        QFETCH(std::optional<velmix::test::MountedImage::FileSystem>, medium);
        QFETCH(velmix::MoveMethod, method);
        QFETCH(QString, kill);
        QFETCH(bool, finish);
        QFETCH(int, files);
        QFETCH(int, first);
        QFETCH(int, subfolders);
        QFETCH(bool, folders);
        QFETCH(bool, pairs);
        velmix::test::MountedImage *image = medium ? &mounted(*medium) : nullptr;
        if (image) {
            if (!image->skipReason().isEmpty())
                QSKIP(qPrintable(image->skipReason()));
            QVERIFY2(image->failure().isEmpty(), qPrintable(image->failure()));
        }
        QTemporaryDir state;
        QTemporaryDir local(image ? image->mountPoint() + QStringLiteral("/crash-XXXXXX") : QString());
        QVERIFY(local.isValid());
        const QString path = local.path();
        const QByteArray folder = QFile::encodeName(path);
        for (int i = 1; i <= subfolders; ++i)
            QVERIFY(QDir(path).mkpath(QStringLiteral("DCIM/%1CANON").arg(99 + i)));
        QSet<QByteArray> created; // the files, by their paths
        for (int i = first; i < first + files; ++i) {
            // Every fourth file in the folder itself, the others spread over the subfolders.
            const int in = subfolders == 0 ? 0 : i % (subfolders + 1);
            const QByteArray name = (in == 0 ? QByteArray() : "DCIM/" + QByteArray::number(99 + in) + "CANON/")
                                    + QByteArray::number(i) + ".txt";
            for (const QByteArray &extension : pairs ? QList<QByteArray>{".CR2", ".JPG"} : QList<QByteArray>{".txt"}) {
                const QByteArray file = name.chopped(4) + extension;
                velmix::test::createFile(folder, file, file);
                created.insert(file);
            }
        }
        const int total = int(created.size()); // where pairs are, `files` counts their numbers
        const QMap<QByteArray, QByteArray> newNames = plannedNames(path, files, subfolders > 0, folders, pairs);
        const bool killsAMove = kill.toInt() > 0;
        const bool secondPart = kill == u"part2"; // the first part's files may have moved
        const int placeholdersAllowed = method == velmix::MoveMethod::ReserveThenRename || image ? 1 : 0;
        // A kill in the plan's second part may land between a link and its unlink too.
        const int secondNamesAllowed = method == velmix::MoveMethod::LinkThenUnlink && (killsAMove || secondPart) ? 1 : 0;
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_STATE_HOME"), state.path());
        process.setProcessEnvironment(environment);
        process.start(child(), {"apply", path, "", QString::number(files), "-1", methodArgument(method), kill,
                                QString(folders ? "folders" : subfolders > 0 ? "tree" : "") + (pairs ? "pairs" : "")});
        const int changing = waitForLine(process, "ready ").value_or("0").toInt();
        process.write("go\n");
        QVERIFY(changing > files / 2);
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.exitStatus(), QProcess::CrashExit);

        const FolderState killed = folderState(folder, newNames);
        QCOMPARE(killed.kept, created); // none lost
        QVERIFY(killed.files >= total && killed.files <= total + secondNamesAllowed);
        QVERIFY(killed.placeholders <= placeholdersAllowed);
        if (killsAMove)
            QVERIFY2(killed.renamed < changing && (killed.renamed > 0 || kill == u"1"), qPrintable(QString::number(killed.renamed)));
        else if (secondPart)
            QVERIFY(killed.renamed < changing);
        else
            QCOMPARE(killed.renamed, kill == u"done" ? changing : 0);

        velmix::test::CoreFixture restart(path);
        velmix::PosixStateFolder stateFolder(state.filePath(QStringLiteral("velmix"))); // the child's
        const auto startAgain = [&] {
            auto core = std::make_unique<velmix::RenamerCore>(
                velmix::RenamerCore::Services{restart.busy, restart.messages, restart.drives, restart.mover, restart.work,
                                 &stateFolder, &restart.identities},
                path);
            core->startUp();
            core->setSubfolders(subfolders > 0);
            core->setRenameFolders(folders);
            restart.messages.show(core->repairUnfinishedBatches());
            return core;
        };
        restart.messages.answers = {finish};
        (void)startAgain();
        const QString summary = restart.messages.summary;
        const bool asked = killsAMove || secondPart || kill == u"done";
        QCOMPARE(restart.messages.asked.size(), asked ? 1 : 0);
        // The status line says what the repair did, and "Нет" shows as the undo it is.
        if (asked && finish)
            QCOMPARE(summary, QStringLiteral("Завершено переименование: %1 файлов").arg(changing));
        QVERIFY2(!asked || finish || summary.startsWith("Возвращено "), qPrintable(summary));
        QVERIFY(!restart.work.kinds.contains(finish ? velmix::WorkKind::Undoing : velmix::WorkKind::Renaming));
        const FolderState repaired = folderState(folder, newNames);
        QCOMPARE(repaired.kept, killed.kept);
        QCOMPARE(repaired.files, total);
        QCOMPARE(repaired.temporaries, 0);
        QCOMPARE(repaired.placeholders, 0);
        QCOMPARE(repaired.renamed, asked && finish ? changing : 0);
        QCOMPARE(QDir(state.filePath(QStringLiteral("velmix"))).entryList(QDir::Files).size(),
                 kill == u"journal" || (asked && !finish) ? 0 : 1); // the finished apply, or the journal set aside
        qInfo("killed at %s: %d of %d files renamed, %d under a temporary name, %d placeholders, none lost; "
              "after the repair %d renamed",
              qPrintable(kill), killed.renamed, changing, killed.temporaries, killed.placeholders, repaired.renamed);
        if (!(asked && finish))
            return;
        // fusefat and the other daemons number the files anew once mounted again, as after a
        // while or under memory pressure; only this medium is touched, not other tests'.
        QVERIFY(!image || image->remount());
        restart.messages.answers = {true};
        const std::unique_ptr<velmix::RenamerCore> third = startAgain();
        restart.messages.show(third->undoLastApply());
        const FolderState undone = folderState(folder, newNames);
        QCOMPARE(undone.kept, killed.kept);
        QCOMPARE(undone.renamed, 0);
        QCOMPARE(undone.files, total);
        QCOMPARE(undone.temporaries + undone.placeholders, 0);
        QCOMPARE(restart.messages.shown, (QList<std::pair<QString, QString>>()));
    }

    // Another program creates the same names while the apply runs. One that creates them
    // exclusively is never replaced. One that also opens a name that is there can lose
    // what it wrote only with reserved names, and only where the file it wrote into was
    // a placeholder that the move then replaced.
    void racingWriter_data()
    {
        QTest::addColumn<velmix::MoveMethod>("method");
        QTest::addColumn<bool>("exclusiveWriter");
        QTest::newRow("renameat2, exclusive writer") << velmix::MoveMethod::RenameNoReplace << true;
        QTest::newRow("renameat2, plain writer") << velmix::MoveMethod::RenameNoReplace << false;
        QTest::newRow("reserve, exclusive writer") << velmix::MoveMethod::ReserveThenRename << true;
        QTest::newRow("reserve, plain writer") << velmix::MoveMethod::ReserveThenRename << false;
    }
    void racingWriter()
    {
        QFETCH(velmix::MoveMethod, method);
        QFETCH(bool, exclusiveWriter);
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.path());
        for (int i = 1; i <= RaceFiles; ++i)
            velmix::test::createFile(folder, "a" + QByteArray::number(i) + ".txt", original(i));
        // The apply goes from b1.txt up, the writer from the last name down, starting at the
        // apply's first move (planning and the journal's sync would otherwise let it take
        // every name first), and the apply goes on once the writer has tried its first
        // name: they meet and race name for name where they do.
        // The apply's state goes to a folder of the test's own.
        QTemporaryDir state;
        const QString started = state.filePath(QStringLiteral("writer-started"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_STATE_HOME"), state.path());
        QProcess applier, writer;
        applier.setProcessEnvironment(environment);
        applier.start(child(), {"apply", dir.path(), "b", "1", "1", methodArgument(method), "after:" + started});
        writer.start(child(), {"write", dir.path(), "b", QString::number(RaceFiles), exclusiveWriter ? "exclusive" : "plain", started});
        QVERIFY(waitForLine(applier, "ready "));
        QVERIFY(waitForLine(writer, "ready"));
        applier.write("go\n");
        writer.write("go\n");
        QVERIFY(applier.waitForBytesWritten() && writer.waitForBytesWritten());
        QVERIFY(applier.waitForFinished(120000));
        QVERIFY(writer.waitForFinished(120000));
        QCOMPARE(applier.exitCode(), 0);
        QCOMPARE(writer.exitCode(), 0);

        const QMap<QByteArray, QByteArray> after = velmix::test::folderContents(folder);
        QSet<QByteArray> originals;
        int renamed = 0;
        for (auto it = after.begin(); it != after.end(); ++it) {
            const qsizetype end = it.value().indexOf('\n');
            if (end < 0)
                continue;
            QVERIFY2(!originals.contains(it.value().left(end + 1)), it.key().constData());
            originals.insert(it.value().left(end + 1));
            renamed += it.key().startsWith('b');
        }
        QCOMPARE(originals.size(), RaceFiles); // none lost, none replaced
        int written = 0, lost = 0;
        for (const QByteArray &name : writer.readAllStandardOutput().split('\n')) {
            if (name.isEmpty())
                continue;
            ++written;
            if (exclusiveWriter)
                QCOMPARE(after.value(name), QByteArray("writer"));
            if (after.value(name).contains("writer"))
                continue;
            ++lost;
            QVERIFY2(!exclusiveWriter && method == velmix::MoveMethod::ReserveThenRename, name.constData());
            QVERIFY2(after.value(name).endsWith('\n'), name.constData()); // a renamed file stands there now
        }
        QVERIFY(written > 0);
        QVERIFY(renamed > 0);
        qInfo("%d files renamed; the writer wrote to %d names, and %d of those writes were lost", renamed, written, lost);
    }

    // Programs start (and read the journals) while another applies batch after batch:
    // none takes a journal being written for one cut short, and the applies keep every
    // journal and their undo. Under strace each of the applier's locks waits first, as a
    // busy machine may make it: a journal seen before it is held would be taken.
    void startsBesideAppliesLeaveTheirJournals()
    {
        constexpr int Applies = 30;
        QTemporaryDir dir, state;
        velmix::test::createFile(QFile::encodeName(dir.path()), "a.txt", "a");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_STATE_HOME"), state.path());
        // LeakSanitizer cannot run under ptrace: the sanitized child would fail at its end.
        const QString sanitizer = environment.value(QStringLiteral("ASAN_OPTIONS"));
        environment.insert(QStringLiteral("ASAN_OPTIONS"), sanitizer + (sanitizer.isEmpty() ? "" : ":") + "detect_leaks=0");
        QProcess applier;
        applier.setProcessEnvironment(environment);
        const QStringList arguments{child(), "applies", dir.path(), QString::number(Applies)};
        const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
        if (strace.isEmpty())
            applier.start(arguments[0], arguments.mid(1));
        else
            applier.start(strace, QStringList{"-f", "-qq", "-o", "/dev/null", "-e", "trace=flock", "-e",
                                              "inject=flock:delay_enter=20000"} + arguments);
        QVERIFY(waitForLine(applier, "ready"));
        applier.write("go\n");
        QVERIFY(applier.waitForBytesWritten());
        velmix::test::CoreFixture starts(QDir::rootPath());
        velmix::PosixStateFolder stateFolder(state.filePath(QStringLiteral("velmix"))); // the applier's
        const velmix::RenamerCore::Services services{starts.busy, starts.messages, starts.drives, starts.mover,
                                                     starts.work, &stateFolder, &starts.identities};
        QTemporaryDir empty;
        int started = 0;
        for (; applier.state() == QProcess::Running; ++started) {
            velmix::RenamerCore core(services, empty.path());
            core.startUp();
            const QStringList setAside = core.repairUnfinishedBatches().setAside;
            QVERIFY2(setAside.isEmpty(), qPrintable(setAside.join(u'\n')));
            applier.waitForFinished(0);
        }
        QCOMPARE(waitForLine(applier, "done "), QByteArray("0")); // nor a journal it could not make
        QCOMPARE(starts.messages.shown, (QList<std::pair<QString, QString>>()));
        QVERIFY(starts.messages.asked.isEmpty());
        QCOMPARE(QDir(stateFolder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).filter(".journal").size(),
                 velmix::RenameJournal::HistoryDepth);
        QVERIFY(QDir(stateFolder.path()).entryList({"*.bad"}).isEmpty());
        velmix::RenamerCore last(services, dir.path());
        last.startUp();
        starts.messages.answers = {true};
        starts.messages.show(last.undoLastApply());
        QCOMPARE(starts.messages.shown, (QList<std::pair<QString, QString>>()));
        QCOMPARE(starts.messages.asked.size(), 1);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"A.TXT"});
        qInfo("%d starts beside %d applies", started, Applies);
    }

private:
    // Each medium is mounted once, at its first row.
    velmix::test::MountedImage &mounted(velmix::test::MountedImage::FileSystem medium)
    {
        std::unique_ptr<velmix::test::MountedImage> &image = m_images[int(medium)];
        if (!image)
            image = std::make_unique<velmix::test::MountedImage>(medium, velmix::test::mediaRoot());
        return *image;
    }

    std::map<int, std::unique_ptr<velmix::test::MountedImage>> m_images;
};

QTEST_GUILESS_MAIN(TestRenameCrash)
#include "tst_rename_crash.moc"
