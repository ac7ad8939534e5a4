#include "FakeServices.h"
#include "MountedImage.h"
#include "NoReplaceMover.h"
#include "RenameFolder.h"
#include "TestMedia.h"

#include <QDir>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <optional>
#include <tuple>

Q_DECLARE_METATYPE(velmix::MoveMethod)

namespace {

// Making files is what these tests spend their time on: a kill lands at a chosen call, so
// a few hundred files do, while a racing writer needs an apply long enough to meet it.
constexpr int KillFiles = 300;
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
QMap<QByteArray, QByteArray> plannedNames(const QString &folder)
{
    velmix::test::CoreFixture fixture(folder);
    fixture.core.startUp();
    fixture.core.preview().setStartText(QString::number(KillFiles));
    fixture.core.preview().setStepText(QStringLiteral("-1"));
    fixture.core.preview().setBaseName(QString());
    fixture.core.preview().baseNameKeyReleased();
    QMap<QByteArray, QByteArray> names;
    const velmix::FileNameTable &table = fixture.core.table();
    for (qsizetype row = 0; row < table.fileCount(); ++row)
        names.insert(table.currentNames().at(row).toUtf8(), table.newNames().at(row).toUtf8());
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

FolderState folderState(const QByteArray &folder, const QMap<QByteArray, QByteArray> &newNames)
{
    FolderState state;
    const QMap<QByteArray, QByteArray> after = velmix::test::folderContents(folder);
    for (auto it = after.begin(); it != after.end(); ++it) {
        if (it.value().isEmpty()) {
            ++state.placeholders;
            continue;
        }
        state.kept.insert(it.value());
        ++state.files;
        // Under its old name, its new one, or a temporary name that shows the old one.
        const bool temporary = it.key().contains("~velmix");
        const bool renamed = it.key() != it.value() && newNames.value(it.value()) == it.key();
        [&] { QVERIFY2(temporary ? it.key().startsWith(it.value().chopped(4) + "~velmix")
                                 : renamed || it.key() == it.value(),
                       it.key().constData()); }();
        state.temporaries += temporary;
        state.renamed += renamed;
    }
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
    // before its journal, half-way through writing it, at another call of a move after a
    // tenth, three tenths and half as many calls as files, or before the end mark. Every
    // file must still be somewhere in the folder, and reserving names may leave one empty
    // placeholder at most. Then the core starts again on the same state folder and the
    // user finishes the batch or puts every name back: each file has its old name or its
    // new one (all the new ones, or all the old ones, as answered), its content as it
    // was, and no temporary name or placeholder is left.
    void killMidApplyLosesNothing_data()
    {
        QTest::addColumn<bool>("exFat");
        QTest::addColumn<velmix::MoveMethod>("method");
        QTest::addColumn<QString>("kill");
        QTest::addColumn<bool>("finish");
        const std::pair<const char *, QString> kills[] = {
            {"before the journal", "journal"},
            {"mid-journal", "torn"},
            {"between moves, a tenth in", QString::number(KillFiles / 10)},
            {"between moves, three tenths in", QString::number(KillFiles * 3 / 10 + 1)},
            {"between moves, half-way", QString::number(KillFiles / 2 + 2)},
            {"before the done mark", "done"}};
        for (const auto &[medium, exFat, method] :
             {std::tuple{"ext4, renameat2", false, velmix::MoveMethod::RenameNoReplace},
              std::tuple{"ext4, reserve then rename", false, velmix::MoveMethod::ReserveThenRename},
              std::tuple{"exFAT", true, velmix::MoveMethod::RenameNoReplace}}) {
            bool finish = false;
            for (const auto &[name, kill] : kills)
                QTest::addRow("%s, %s", medium, name) << exFat << method << kill << (finish = !finish);
        }
    }
    void killMidApplyLosesNothing()
    {
        QFETCH(bool, exFat);
        QFETCH(velmix::MoveMethod, method);
        QFETCH(QString, kill);
        QFETCH(bool, finish);
        if (exFat && !m_exFat)
            m_exFat.emplace(velmix::test::MountedImage::FileSystem::ExFat, velmix::test::mediaRoot());
        if (exFat && !m_exFat->skipReason().isEmpty())
            QSKIP(qPrintable(m_exFat->skipReason()));
        QVERIFY2(!exFat || m_exFat->failure().isEmpty(), qPrintable(m_exFat->failure()));
        QTemporaryDir state;
        QTemporaryDir local(exFat ? m_exFat->mountPoint() + QStringLiteral("/crash-XXXXXX") : QString());
        QVERIFY(local.isValid());
        const QString path = local.path();
        const QByteArray folder = QFile::encodeName(path);
        for (int i = 1; i <= KillFiles; ++i) {
            const QByteArray name = QByteArray::number(i) + ".txt";
            velmix::test::createFile(folder, name, name);
        }
        const QMap<QByteArray, QByteArray> newNames = plannedNames(path);
        const bool killsAMove = kill.toInt() > 0;
        const int placeholdersAllowed = method == velmix::MoveMethod::ReserveThenRename || exFat ? 1 : 0;
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_STATE_HOME"), state.path());
        process.setProcessEnvironment(environment);
        process.start(child(), {"apply", path, "", QString::number(KillFiles), "-1", methodArgument(method), kill});
        const int changing = waitForLine(process, "ready ").value_or("0").toInt();
        process.write("go\n");
        QVERIFY(changing > KillFiles / 2);
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.exitStatus(), QProcess::CrashExit);

        const FolderState killed = folderState(folder, newNames);
        QCOMPARE(killed.kept, QSet<QByteArray>(newNames.keyBegin(), newNames.keyEnd())); // none lost
        QCOMPARE(killed.files, KillFiles);
        QVERIFY(killed.placeholders <= placeholdersAllowed);
        if (killsAMove)
            QVERIFY2(killed.renamed > 0 && killed.renamed < changing, qPrintable(QString::number(killed.renamed)));
        else
            QCOMPARE(killed.renamed, kill == u"done" ? changing : 0);

        velmix::test::CoreFixture restart(path);
        velmix::PosixStateFolder stateFolder(state.filePath(QStringLiteral("velmix"))); // the child's
        velmix::RenamerCore core({restart.busy, restart.messages, restart.drives, restart.mover, restart.work,
                                  &stateFolder, &restart.identities},
                                 path);
        restart.messages.answers = {finish};
        core.startUp();
        core.repairUnfinishedBatches();
        const bool asked = killsAMove || kill == u"done";
        QCOMPARE(restart.messages.asked.size(), asked ? 1 : 0);
        const FolderState repaired = folderState(folder, newNames);
        QCOMPARE(repaired.kept, killed.kept);
        QCOMPARE(repaired.files, KillFiles);
        QCOMPARE(repaired.temporaries, 0);
        QCOMPARE(repaired.placeholders, 0);
        QCOMPARE(repaired.renamed, asked && finish ? changing : 0);
        QCOMPARE(QDir(state.filePath(QStringLiteral("velmix"))).entryList(QDir::Files).size(),
                 kill == u"journal" || (asked && !finish) ? 0 : 1); // the finished apply, or the journal set aside
        qInfo("killed at %s: %d of %d files renamed, %d under a temporary name, %d placeholders, none lost; "
              "after the repair %d renamed",
              qPrintable(kill), killed.renamed, changing, killed.temporaries, killed.placeholders, repaired.renamed);
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
        // every name first): they meet and race name for name where they do.
        // The apply's state goes to a folder of the test's own.
        QTemporaryDir state;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_STATE_HOME"), state.path());
        QProcess applier, writer;
        applier.setProcessEnvironment(environment);
        applier.start(child(), {"apply", dir.path(), "b", "1", "1", methodArgument(method), "0"});
        writer.start(child(), {"write", dir.path(), "b", QString::number(RaceFiles), exclusiveWriter ? "exclusive" : "plain"});
        QVERIFY(waitForLine(applier, "ready "));
        QVERIFY(waitForLine(writer, "ready"));
        applier.write("go\n");
        writer.write("go\n");
        QVERIFY(applier.waitForBytesWritten() && writer.waitForBytesWritten());
        QVERIFY(applier.waitForFinished(120000));
        QVERIFY(writer.waitForFinished(120000));
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

private:
    std::optional<velmix::test::MountedImage> m_exFat;
};

QTEST_GUILESS_MAIN(TestRenameCrash)
#include "tst_rename_crash.moc"
