#include "FakeServices.h"
#include "RenameFolder.h"
#include "TestMedia.h"
#include "TestSupport.h"
#include "apply/RenameExecutor.h"
#include "text/FileExtension.h"
#include "text/FileNameCodec.h"
#include "text/TsvField.h"
#include "undo/UndoRecord.h"

#include <cctype>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>

#include <unistd.h>

using namespace velmix;
using namespace Qt::StringLiterals;

namespace {

// Names drawn from a small pool so that targets often hit other files: chains, cycles,
// duplicates and blocked names arise by themselves. Only names the medium takes.
QByteArray poolName(QRandomGenerator &random, const test::Medium &medium)
{
    static const QByteArray stems[] = {"a", "b", "c", "d", "A", "B", "caf\xE9", "\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE", "x y", "e_f",
                                       QByteArray(200, 'L') + "ong", QByteArray(241, 'l')};
    static const QByteArray tails[] = {"", ".txt", ".TXT", ".tar.gz", "."};
    for (;;) {
        const QByteArray name = stems[random.bounded(int(std::size(stems)))] + tails[random.bounded(int(std::size(tails)))];
        if (medium.takes(name))
            return name;
    }
}

// How the medium compares names: exactly, or case-folded where it ignores case.
QString key(const QString &name, const test::Medium &medium)
{
    return medium.ignoresCase ? name.toCaseFolded() : name;
}

QString key(const QByteArray &name, const test::Medium &medium)
{
    return key(FileNameCodec::decode(name), medium);
}

// Names the planner turns down, and the one the medium's file system refuses.
QString invalidName(QRandomGenerator &random, const test::Medium &medium)
{
    switch (random.bounded(7)) {
    case 0: return {};
    case 1: return QStringLiteral(".");
    case 2: return QStringLiteral("..");
    case 3: return QStringLiteral("sub/x");
    case 4: return QString(QChar(0xD800)) + u'x';
    case 5: // too long in bytes or units; msdos cuts such names short instead of refusing them
        return medium.listsLowerCase ? QString() : QString(random.bounded(2) ? 300 : 128, random.bounded(2) ? u'n' : u'Ж');
    default: return medium.refusedName;
    }
}

bool validTarget(const QString &target, const test::Medium &medium)
{
    const bool windows = medium.name != u"local"; // every other medium here is FAT, exFAT or NTFS
    const std::optional<QByteArray> bytes = FileNameCodec::encode(target);
    return bytes && !bytes->isEmpty() && *bytes != "." && *bytes != ".." && !bytes->contains('/') && !bytes->contains('\0')
           && (windows ? target.size() <= WindowsNameMax && !windowsRefuses(target) : bytes->size() <= 255)
           && medium.takes(*bytes);
}

struct Batch
{
    QList<QByteArray> sources;
    QList<QByteArray> unlisted;
    QStringList targets;
};

Batch makeBatch(QRandomGenerator &random, const test::Medium &medium)
{
    Batch batch;
    QSet<QString> used;
    const int listed = 1 + random.bounded(8);
    while (batch.sources.size() < listed) {
        const QByteArray name = poolName(random, medium);
        if (!used.contains(key(name, medium)) && !name.startsWith('.'))
            used.insert(key(name, medium)), batch.sources.append(name);
    }
    // Unlisted files stand for files the mask leaves out; the mask ignores case, so none
    // is another spelling of a listed name.
    QSet<QString> listedFolded;
    for (const QByteArray &name : std::as_const(batch.sources))
        listedFolded.insert(FileNameCodec::decode(name).toCaseFolded());
    for (int i = random.bounded(3); i > 0; --i) {
        const QByteArray name = poolName(random, medium);
        if (!used.contains(key(name, medium)) && !listedFolded.contains(FileNameCodec::decode(name).toCaseFolded()))
            used.insert(key(name, medium)), batch.unlisted.append(name);
    }
    for (const QByteArray &source : std::as_const(batch.sources)) {
        const int kind = random.bounded(10);
        QString target;
        if (kind <= 3)
            target = FileNameCodec::decode(batch.sources[random.bounded(batch.sources.size())]);
        else if (kind == 4 && !batch.unlisted.isEmpty())
            target = FileNameCodec::decode(batch.unlisted[random.bounded(batch.unlisted.size())]);
        else if (kind == 5)
            target = FileNameCodec::decode(source).toUpper();
        else if (kind == 6)
            target = invalidName(random, medium);
        else if (kind == 7 && !batch.targets.isEmpty())
            target = batch.targets[random.bounded(batch.targets.size())];
        else
            target = FileNameCodec::decode(poolName(random, medium));
        batch.targets.append(target);
    }
    return batch;
}

// Which rows can take their new names, worked out from the names alone: a row moves when
// its name is valid, changes, and is the first to ask for it, and it succeeds unless the
// name stays held by an unlisted file or by another listed file that does not move away.
// Where the medium ignores case, names that differ in case only are the same name.
QList<bool> expectedSuccess(const Batch &batch, const test::Medium &medium)
{
    const qsizetype rows = batch.sources.size();
    QList<bool> moving(rows, false);
    QSet<QString> claimed;
    for (qsizetype row = 0; row < rows; ++row) {
        const QString &target = batch.targets[row];
        if (target == FileNameCodec::decode(batch.sources[row]) || !validTarget(target, medium)
            || claimed.contains(key(target, medium)))
            continue;
        claimed.insert(key(target, medium));
        moving[row] = true;
    }
    QSet<QString> unlisted;
    for (const QByteArray &name : batch.unlisted)
        unlisted.insert(key(name, medium));
    QList<bool> ok = moving;
    for (bool changed = true; changed;) {
        changed = false;
        for (qsizetype row = 0; row < rows; ++row) {
            if (!ok[row])
                continue;
            const QString target = key(batch.targets[row], medium);
            qsizetype holder = -1;
            for (qsizetype other = 0; other < rows; ++other)
                holder = other != row && key(batch.sources[other], medium) == target ? other : holder;
            if (unlisted.contains(target) || (holder >= 0 && !ok[holder]))
                ok[row] = false, changed = true;
        }
    }
    return ok;
}

} // namespace

class TestRenameRandom : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void batchesNeverLoseOrOverwrite_data()
    {
        QTest::addColumn<QString>("medium");
        QTest::addColumn<int>("batches");
        // Fewer on the mounted images, whose every call goes through a FUSE daemon or an
        // emulated machine.
        // Sized by the calls each batch makes, not by one machine's speed: a FUSE daemon is
        // twice as slow on some machines as on others, and fusefat's calls cost several of
        // the others'. `make test-long` (CI) runs more: 4,000 locally, 500 on each fusefat
        // medium, 300 on exFAT and NTFS.
        const bool more = test::longLane();
        const int fused = more ? 300 : 50;
        const QMap<QString, int> batches{
            {"local", more ? 4000 : 400}, {"exFAT", fused}, {"FAT", more ? 500 : 20}, {"FAT32", more ? 500 : 20}, {"NTFS", fused}};
        for (const QString &medium : test::TestMedia::Names)
            QTest::newRow(qPrintable(medium)) << medium << batches.value(medium, fused);
    }
    void batchesNeverLoseOrOverwrite()
    {
        QFETCH(int, batches);
        const test::Medium *mounted = rowMedium();
        if (!mounted)
            return;
        const test::Medium &on = *mounted;
        QRandomGenerator random(20261207);
        int moved = 0, failedRows = 0, lost = 0, judged = 0, undone = 0;
        for (int batchIndex = 0; batchIndex < batches; ++batchIndex) {
            const Batch batch = makeBatch(random, on);
            const auto folder = on.newFolder();
            for (const QByteArray &name : batch.sources + batch.unlisted)
                folder->create(name, "content of " + name);
            const QMap<QByteArray, QByteArray> before = folder->contents();

            const auto mover = folder->mover();
            QVERIFY(mover);
            const RenameOutcome outcome =
                test::renameAsListed(*mover, test::decodedColumn(batch.sources), test::column(batch.targets));
            const std::vector<RenameFailure> &failures = outcome.failures;

            // The grid marked the very rows the apply reports, by the rules the listing read.
            // Names only the driver refuses are left to the apply.
            // The kernel's vfat ignores the case of ASCII letters alone: only a listed name
            // that has one can show it.
            const bool caseShows = std::any_of(batch.sources.cbegin(), batch.sources.cend(), [](const QByteArray &name) {
                return std::any_of(name.cbegin(), name.cend(), [](char c) { return std::isalpha(uchar(c)); });
            });
            if (caseShows)
                QCOMPARE(outcome.rules.ignoresCase, on.ignoresCase);
            QCOMPARE(outcome.rules.windows, on.name != u"local");
            if (std::all_of(batch.targets.cbegin(), batch.targets.cend(), [&](const QString &target) {
                    return on.takes(FileNameCodec::encode(target).value_or(QByteArray()));
                })) {
                const test::Reasons marked =
                    test::markedReasons(batch.sources, test::column(batch.targets), batch.unlisted, outcome.rules);
                if (marked != test::reasonsOf(failures))
                    qWarning() << "batch" << batchIndex << "sources" << batch.sources << "unlisted" << batch.unlisted
                               << "targets" << batch.targets << "marked" << marked << "reported" << test::reasonsOf(failures);
                QCOMPARE(marked, test::reasonsOf(failures));
                ++judged;
            }

            const QList<bool> ok = expectedSuccess(batch, on);
            QMap<QByteArray, QByteArray> expected;
            QSet<qsizetype> expectedFailures;
            for (qsizetype row = 0; row < batch.sources.size(); ++row) {
                const QByteArray &source = batch.sources[row];
                expected.insert(ok[row] ? *FileNameCodec::encode(batch.targets[row]) : source, "content of " + source);
                moved += ok[row];
                if (!ok[row] && batch.targets[row] != FileNameCodec::decode(source))
                    expectedFailures.insert(row);
            }
            for (const QByteArray &name : batch.unlisted)
                expected.insert(name, "content of " + name);
            expected = test::TestMedia::asListed(on, expected);
            const QMap<QByteArray, QByteArray> actual = folder->contents();
            for (const QByteArray &content : expected)
                lost += !actual.values().contains(content);

            QSet<qsizetype> reported;
            for (const RenameFailure &failure : failures)
                reported.insert(failure.row);
            failedRows += int(reported.size());
            if (actual != expected || reported != expectedFailures) {
                qWarning() << "batch" << batchIndex << "sources" << batch.sources << "unlisted" << batch.unlisted
                           << "targets" << batch.targets;
                QCOMPARE(actual, expected);
                QCOMPARE(reported, expectedFailures);
            }

            // Undo gives every file its old name back, byte for byte.
            if (const std::optional<UndoRecord> record = UndoRecord::after(outcome, {}, {})) {
                // As the undo reads them: below the folder as it is named now.
                const UndoRecord::Paths now = record->pathsNow();
                const RenameOutcome undo = renameFiles(*folder->mover(), now.current, now.old, record->rules());
                QVERIFY(undo.failures.empty());
                QCOMPARE(folder->contents(), before);
                ++undone;
            }
        }
        qInfo("%s: %d batches (%d judged before, %d undone), %d files moved, %d rows reported, %d files lost",
              qPrintable(on.name), batches, judged, undone, moved, failedRows, lost);
        QCOMPARE(lost, 0);
        QVERIFY(judged > batches / 2);
        QVERIFY(undone > batches / 2);
    }

    // A folder's names given back as a list in a random order, a few of them replaced by
    // names no file has: swaps, cycles and chains. A child process takes the list (a list
    // by row, or a TSV map) and applies it, killed part-way in most rounds; a new start
    // finishes the batch or puts every name back, as answered, and an apply that ends
    // with the new names is undone. Every file keeps its bytes through each step.
    void listedPermutationsSurviveKillRepairAndUndo_data()
    {
        QTest::addColumn<QString>("medium");
        QTest::addColumn<int>("rounds");
        const bool more = test::longLane();
        addLocalAndExfatRows(more ? 300 : 16, more ? 100 : 6);
    }
    void listedPermutationsSurviveKillRepairAndUndo()
    {
        QFETCH(int, rounds);
        const test::Medium *mounted = rowMedium();
        if (!mounted)
            return;
        const test::Medium &on = *mounted;
        QRandomGenerator random(20261209);
        int killed = 0, finished = 0, undone = 0;
        for (int round = 0; round < rounds; ++round) {
            QList<QByteArray> names;
            QSet<QString> used;
            for (const int files = 2 + random.bounded(7); names.size() < files + 2;) {
                const QByteArray name = poolName(random, on);
                if (!used.contains(key(name, on)) && validTarget(FileNameCodec::decode(name), on))
                    used.insert(key(name, on)), names.append(name);
            }
            const QList<QByteArray> sources = names.mid(0, names.size() - 2); // two names no file has
            QList<QByteArray> targets = names;
            std::shuffle(targets.begin(), targets.end(), random);
            targets.resize(sources.size());
            const auto folder = on.newFolder();
            for (const QByteArray &name : sources)
                folder->create(name, "content of " + name);
            const QMap<QByteArray, QByteArray> before = folder->contents();
            QMap<QByteArray, QByteArray> after;

            // The list in the rows' order, as a core lists the folder.
            QTemporaryDir state;
            QFile list(state.filePath(u"list"_s));
            QVERIFY(list.open(QIODevice::WriteOnly));
            const bool map = round % 2 == 1;
            {
                test::CoreFixture lister(folder->path());
                lister.core.startUp();
                const NameColumn &rows = lister.core.table().currentNames();
                QCOMPARE(rows.size(), sources.size());
                for (qsizetype row = 0; row < rows.size(); ++row) {
                    const QByteArray source = *FileNameCodec::encode(rows.at(row));
                    const QByteArray &target = targets[sources.indexOf(source)];
                    after.insert(target, "content of " + source);
                    list.write(map ? tsvRow(rows.at(row).toString(), FileNameCodec::decode(target), {}) : target + '\n');
                }
            }
            list.close();
            after = test::TestMedia::asListed(on, after);

            const int kill = random.bounded(4) == 0 ? 0 : 1 + random.bounded(int(sources.size()) + 1);
            QProcess child;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(u"XDG_STATE_HOME"_s, state.path());
            child.setProcessEnvironment(environment);
            child.start(QCoreApplication::applicationDirPath() + u"/apply_child"_s,
                        {u"list"_s, folder->path(), list.fileName(), QString::number(kill)});
            QVERIFY(child.waitForFinished());
            const bool crashed = child.exitStatus() == QProcess::CrashExit;
            QVERIFY2(crashed || child.exitCode() == 0, child.readAllStandardOutput().constData());
            killed += crashed;

            test::CoreFixture restart(folder->path());
            PosixStateFolder stateFolder(state.filePath(u"velmix"_s));
            RenamerCore core({restart.busy, restart.messages, restart.drives, restart.mover, restart.work, &stateFolder,
                              &restart.identities},
                             folder->path());
            const bool finish = random.bounded(2) == 0;
            restart.messages.answers = {finish};
            core.startUp();
            restart.messages.show(core.repairUnfinishedBatches());
            QCOMPARE(restart.messages.asked.size(), crashed ? 1 : 0);
            const bool renamed = !crashed || finish;
            QCOMPARE(folder->contents(), renamed ? after : before);
            if (!renamed)
                continue;
            ++finished;
            restart.messages.answers = {true};
            restart.messages.show(core.undoLastApply());
            QCOMPARE(folder->contents(), before);
            QCOMPARE(restart.messages.shown, (QList<std::pair<QString, QString>>()));
            ++undone;
        }
        qInfo("%s: %d lists, %d applies killed, %d ended with the new names and were undone", qPrintable(on.name), rounds,
              killed, undone);
        QVERIFY(killed > rounds / 3 && finished > rounds / 3);
    }

    // Two folders' batches as one, the folder and its subfolder "sub", their rows mixed:
    // each file keeps its folder, every folder's names are judged apart (the same new
    // name in both is no conflict), and the undo puts every name back. In most batches
    // "sub" is a row too: renamed to a free name, to its own name in capitals, or to a
    // name taken (it stays); its files move first, under its old name.
    void treeBatchesNeverLoseOrOverwrite_data()
    {
        QTest::addColumn<QString>("medium");
        QTest::addColumn<int>("batches");
        const bool more = test::longLane();
        addLocalAndExfatRows(more ? 2000 : 120, more ? 200 : 16);
    }
    void treeBatchesNeverLoseOrOverwrite()
    {
        QFETCH(int, batches);
        const test::Medium *mounted = rowMedium();
        if (!mounted)
            return;
        const test::Medium &on = *mounted;
        QRandomGenerator random(20261209);
        int moved = 0, undone = 0;
        for (int batchIndex = 0; batchIndex < batches; ++batchIndex) {
            const Batch parts[] = {makeBatch(random, on), makeBatch(random, on)};
            const QByteArray prefixes[] = {"", "sub/"};
            const auto folder = on.newFolder();
            QVERIFY(QDir().mkpath(folder->path() + QStringLiteral("/sub")));
            QList<QByteArray> sources;
            QStringList targets;
            QMap<QByteArray, QByteArray> expected;
            QSet<QByteArray> expectedFailures; // by old path
            for (int part = 0; part < 2; ++part) {
                const Batch &batch = parts[part];
                for (const QByteArray &name : batch.sources + batch.unlisted)
                    folder->create(prefixes[part] + name, "content of " + name);
                const QList<bool> ok = expectedSuccess(batch, on);
                QMap<QByteArray, QByteArray> inFolder;
                for (qsizetype row = 0; row < batch.sources.size(); ++row) {
                    const QByteArray &source = batch.sources[row];
                    inFolder.insert(ok[row] ? *FileNameCodec::encode(batch.targets[row]) : source, "content of " + source);
                    moved += ok[row];
                    if (!ok[row] && batch.targets[row] != FileNameCodec::decode(source))
                        expectedFailures.insert(prefixes[part] + source);
                }
                for (const QByteArray &name : batch.unlisted)
                    inFolder.insert(name, "content of " + name);
                inFolder = test::TestMedia::asListed(on, inFolder);
                for (auto it = inFolder.cbegin(); it != inFolder.cend(); ++it)
                    expected.insert(prefixes[part] + it.key(), it.value());
            }
            // The rows of both folders interleaved at random, each folder's in its order
            // (the first row to ask for a name gets it).
            std::vector<std::pair<int, qsizetype>> rows;
            qsizetype next[2] = {0, 0};
            while (next[0] < parts[0].sources.size() || next[1] < parts[1].sources.size()) {
                const int part = next[0] == parts[0].sources.size() ? 1
                                 : next[1] == parts[1].sources.size() ? 0
                                                                      : int(random.bounded(2));
                rows.emplace_back(part, next[part]++);
            }
            for (const auto &[part, row] : rows) {
                sources.append(prefixes[part] + parts[part].sources[row]);
                targets.append(QString::fromUtf8(prefixes[part]) + parts[part].targets[row]);
            }
            // The folder's row, anywhere among the others.
            QByteArray sub = "sub";
            const QStringList folderTargets{u"renamed sub"_s, u"SUB"_s,
                                            parts[0].unlisted.isEmpty() ? u"sub"_s : FileNameCodec::decode(parts[0].unlisted[0])};
            if (const qsizetype choice = random.bounded(4); choice < 3) {
                const qsizetype at = random.bounded(sources.size() + 1);
                sources.insert(at, "sub");
                targets.insert(at, folderTargets[choice]);
                if (choice < 2)
                    sub = *FileNameCodec::encode(folderTargets[choice]);
                else if (folderTargets[choice] != u"sub"_s)
                    expectedFailures.insert("sub");
                QMap<QByteArray, QByteArray> below;
                for (auto it = expected.cbegin(); it != expected.cend(); ++it)
                    below.insert(it.key().startsWith("sub/") ? sub + it.key().sliced(3) : it.key(), it.value());
                expected = below;
            }
            const auto contents = [&] {
                QMap<QByteArray, QByteArray> all = folder->contents();
                for (const QByteArray &name : {QByteArray("sub"), sub}) {
                    if (!all.contains(name) || !QFileInfo(folder->path() + u'/' + QString::fromUtf8(name)).isDir())
                        continue;
                    all.remove(name);
                    const QMap<QByteArray, QByteArray> inside = test::folderContents(QFile::encodeName(folder->path()) + '/' + name);
                    for (auto it = inside.cbegin(); it != inside.cend(); ++it)
                        all.insert(name + '/' + it.key(), it.value());
                }
                return all;
            };
            const QMap<QByteArray, QByteArray> before = contents();
            const RenameOutcome outcome =
                test::renameAsListed(*folder->mover(), test::decodedColumn(sources), test::column(targets));
            QSet<QByteArray> reported;
            for (const RenameFailure &failure : outcome.failures)
                reported.insert(sources[failure.row]);
            if (contents() != expected || reported != expectedFailures) {
                qWarning() << "batch" << batchIndex << "sources" << sources << "targets" << targets;
                QCOMPARE(contents(), expected);
                QCOMPARE(reported, expectedFailures);
            }
            if (const std::optional<UndoRecord> record = UndoRecord::after(outcome, {}, {})) {
                // As the undo reads them: below the folder as it is named now.
                const UndoRecord::Paths now = record->pathsNow();
                const RenameOutcome undo = renameFiles(*folder->mover(), now.current, now.old, record->rules());
                QVERIFY(undo.failures.empty());
                QCOMPARE(contents(), before);
                ++undone;
            }
            // The folder empties only itself; QDir would pass over names that are not UTF-8.
            const QByteArray subPath = QFile::encodeName(folder->path()) + "/sub";
            for (const QByteArray &name : test::folderContents(subPath).keys())
                QCOMPARE(::unlink((subPath + '/' + name).constData()), 0);
            QCOMPARE(::rmdir(subPath.constData()), 0);
        }
        qInfo("%s: %d tree batches (%d undone), %d files moved", qPrintable(on.name), batches, undone, moved);
        QVERIFY(undone > batches / 2);
    }

    // Files that go together through the whole program: a card's raws, pictures, sidecars
    // and films under random base names, steps and names typed by hand, many taken. Every
    // file keeps its bytes; a group's files end with one stem, or all keep their names where
    // one was refused; the rows the grid marked are those the apply reports.
    void pairedBatchesMoveWhole_data()
    {
        QTest::addColumn<QString>("medium");
        QTest::addColumn<int>("batches");
        const bool more = test::longLane();
        addLocalAndExfatRows(more ? 600 : 80, more ? 100 : 15);
    }
    void pairedBatchesMoveWhole()
    {
        QFETCH(int, batches);
        const test::Medium *mounted = rowMedium();
        if (!mounted)
            return;
        const test::Medium &on = *mounted;
        QRandomGenerator random(20261210);
        static const QByteArray stems[] = {"IMG_1", "IMG_2", "img_1", "T1", "T2"};
        static const QByteArray extensions[] = {".CR2", ".JPG", ".jpg", ".xmp", ".MOV", ".HEIC", ".AAE", ".txt"};
        const auto drawn = [&](const auto &pool) { return pool[random.bounded(int(std::size(pool)))]; };
        int grouped = 0, held = 0;
        for (int batchIndex = 0; batchIndex < batches; ++batchIndex) {
            const auto folder = on.newFolder();
            QSet<QString> used;
            for (int files = 2 + random.bounded(7); used.size() < files;) {
                const QByteArray name = drawn(stems) + drawn(extensions);
                if (!used.contains(key(name, on)))
                    used.insert(key(name, on)), folder->create(name, "content of " + name);
            }
            const QMap<QByteArray, QByteArray> before = folder->contents();
            test::CoreFixture fixture(folder->path());
            RenamerCore &core = fixture.core;
            core.startUp();
            core.setPairs(true);
            NamingOptions options;
            options.BaseName = QString::fromLatin1(drawn(std::array<const char *, 4>{"T", "IMG_", "-", "img_"}));
            options.Numbering = options.BaseName != u"-" || random.bounded(2);
            options.StepText = QString::number(random.bounded(2)); // 0: every file the same number
            core.preview().setSettings(options, {});
            for (int hands = random.bounded(3); hands > 0; --hands)
                core.preview().setHandName(random.bounded(core.table().fileCount()),
                                           QString::fromLatin1(drawn(stems) + drawn(extensions)));
            const FileNameTable &table = core.table();
            std::vector<qsizetype> leads;
            for (qsizetype row = 0; row < table.fileCount(); ++row)
                leads.push_back(table.groupLead(row));
            const QStringList oldNames = test::names(table.currentNames());
            const QStringList newNames = test::names(table.newNames());
            const std::vector<bool> marked = table.refusedRows();
            const BatchReport report = core.applyNewNames();
            QSet<qsizetype> reported;
            for (const BatchReport::RefusedRow &refused : report.refused)
                reported.insert(refused.failure.row);
            // Where every name is pending, by content: the new name of each old one.
            QMap<QByteArray, QByteArray> after = folder->contents();
            QCOMPARE(QSet<QByteArray>(after.cbegin(), after.cend()), QSet<QByteArray>(before.cbegin(), before.cend()));
            QCOMPARE(after.size(), before.size());
            QHash<QString, QString> nameOf;
            for (auto it = after.cbegin(); it != after.cend(); ++it)
                nameOf.insert(QString::fromUtf8(it.value().mid(11)), QString::fromUtf8(it.key()));
            const auto stem = [](const QString &name) { return name.left(lengthBeforeExtension(name)); };
            for (qsizetype lead = 0; lead < qsizetype(leads.size()); ++lead) {
                QCOMPARE(reported.contains(lead), bool(marked[size_t(lead)]));
                qsizetype end = lead + 1;
                while (end < qsizetype(leads.size()) && leads[size_t(end)] == lead)
                    ++end;
                if (leads[size_t(lead)] != lead || end == lead + 1)
                    continue;
                const bool refused = std::any_of(marked.begin() + lead, marked.begin() + end, [](bool b) { return b; });
                for (qsizetype row = lead + 1; row < end; ++row) {
                    ++grouped;
                    const QString &old = oldNames[row], &now = nameOf[old];
                    const bool ok = refused ? now == old : stem(now) == stem(nameOf[oldNames[lead]]);
                    if (!ok)
                        qWarning() << "batch" << batchIndex << "rows" << oldNames << "new names" << newNames << "marked"
                                   << marked << "after" << after.keys();
                    QVERIFY(ok);
                    held += refused;
                }
            }
        }
        qInfo("%s: %d batches, %d files moved with their group's first, %d held with it", qPrintable(on.name), batches,
              grouped, held);
        QVERIFY(grouped > batches / 2 && held > 0);
    }

private:
    // Rows for the local disk and for exFAT, of the media this run has (the kernel's own
    // exfat driver in the virtual machine, which has no local row).
    static void addLocalAndExfatRows(int local, int exfat)
    {
        for (const QString &medium : test::TestMedia::Names) {
            if (medium == u"local")
                QTest::newRow(qPrintable(medium)) << medium << local;
            else if (medium.contains(u"exfat", Qt::CaseInsensitive))
                QTest::newRow(qPrintable(medium)) << medium << exfat;
        }
    }
    // The medium the row names, or null where the row is skipped (it cannot be mounted
    // here) or failed (it could not be set up).
    const test::Medium *rowMedium()
    {
        QFETCH(QString, medium);
        const test::Medium &on = m_media.medium(medium);
        if (!on.skipReason.isEmpty())
            QTest::qSkip(qPrintable(on.skipReason), __FILE__, __LINE__);
        else if (!on.failure.isEmpty())
            QTest::qFail(qPrintable(on.failure), __FILE__, __LINE__);
        else
            return &on;
        return nullptr;
    }

    test::TestMedia m_media;
};

QTEST_GUILESS_MAIN(TestRenameRandom)
#include "tst_rename_random.moc"
