#include "NoReplaceMover.h"
#include "RenameFolder.h"

#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <optional>

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
    // cycles through temporary names. The child kills itself mid-apply, after a tenth,
    // three tenths and half as many calls as files, each time at another call of a move:
    // every file must still be somewhere in the folder, and reserving names may leave one
    // empty placeholder at most.
    void killMidApplyLosesNothing_data()
    {
        QTest::addColumn<velmix::MoveMethod>("method");
        QTest::addColumn<int>("placeholdersAllowed");
        QTest::newRow("renameat2") << velmix::MoveMethod::RenameNoReplace << 0;
        QTest::newRow("reserve, then rename") << velmix::MoveMethod::ReserveThenRename << 1;
    }
    void killMidApplyLosesNothing()
    {
        QFETCH(velmix::MoveMethod, method);
        QFETCH(int, placeholdersAllowed);
        for (int round = 0; round < 3; ++round) {
            QTemporaryDir dir;
            const QByteArray folder = QFile::encodeName(dir.path());
            QSet<QByteArray> contents;
            for (int i = 1; i <= KillFiles; ++i) {
                const QByteArray name = QByteArray::number(i) + ".txt";
                velmix::test::createFile(folder, name, name);
                contents.insert(name);
            }
            const int killAt = KillFiles * (1 + 2 * round) / 10 + round;
            QProcess process;
            process.start(child(), {"apply", dir.path(), "", QString::number(KillFiles), "-1", methodArgument(method),
                                    QString::number(killAt)});
            const int changing = waitForLine(process, "ready ").value_or("0").toInt();
            process.write("go\n");
            QVERIFY(changing > KillFiles / 2);
            QVERIFY(process.waitForFinished());
            QCOMPARE(process.exitStatus(), QProcess::CrashExit);

            const QMap<QByteArray, QByteArray> after = velmix::test::folderContents(folder);
            int temporaries = 0, renamed = 0, placeholders = 0;
            QSet<QByteArray> kept;
            for (auto it = after.begin(); it != after.end(); ++it) {
                if (it.value().isEmpty()) {
                    ++placeholders;
                    continue;
                }
                kept.insert(it.value());
                // Under its old name, a new one, or a temporary name that shows the old one.
                const bool temporary = it.key().contains("~velmix");
                QVERIFY2(!temporary || it.key().startsWith(it.value().chopped(4) + "~velmix"), it.key().constData());
                temporaries += temporary;
                renamed += !temporary && it.key() != it.value();
            }
            QCOMPARE(kept, contents);
            QCOMPARE(after.size(), KillFiles + placeholders);
            QVERIFY(placeholders <= placeholdersAllowed);
            QVERIFY2(renamed > 0 && renamed < changing, qPrintable(QString::number(renamed)));
            qInfo("killed after %d calls: %d of %d files renamed, %d under a temporary name, %d placeholders, none lost",
                  killAt, renamed, changing, temporaries, placeholders);
        }
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
        // Let go together, both from b1.txt up: the writer is ahead while the apply is
        // still planning, and the apply, whose failed moves cost next to nothing, then
        // catches up and races it name for name.
        QProcess applier, writer;
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
};

QTEST_GUILESS_MAIN(TestRenameCrash)
#include "tst_rename_crash.moc"
