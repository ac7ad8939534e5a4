#include "RenameFolder.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

namespace {

constexpr int Files = 20000;

QString child()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/apply_child");
}

} // namespace

class TestRenameCrash : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Numbers 1..N renamed to N..1 (start N, step -1) form long cycles through temporary
    // names; a kill at any moment must leave every file somewhere in the folder.
    void killMidApplyLosesNothing()
    {
        QRandomGenerator random(42);
        for (int round = 0; round < 6; ++round) {
            QTemporaryDir dir;
            const QByteArray folder = QFile::encodeName(dir.path());
            QSet<QByteArray> contents;
            for (int i = 1; i <= Files; ++i) {
                const QByteArray name = QByteArray::number(i) + ".txt";
                velmix::test::createFile(folder, name, name);
                contents.insert(name);
            }
            QProcess process;
            process.start(child(), {"apply", dir.path(), "", QString::number(Files), "-1"});
            QVERIFY(process.waitForStarted());
            QVERIFY(process.waitForReadyRead(60000));
            QCOMPARE(process.readLine().trimmed(), QByteArray("ready"));
            QThread::usleep(ulong(random.bounded(15000 + round * 30000, 45000 + round * 30000)));
            process.kill();
            QVERIFY(process.waitForFinished());

            const QMap<QByteArray, QByteArray> after = velmix::test::folderContents(folder);
            QCOMPARE(after.size(), Files);
            const QList<QByteArray> values = after.values();
            QCOMPARE(QSet<QByteArray>(values.begin(), values.end()), contents);
            int temporaries = 0, renamed = 0;
            for (auto it = after.begin(); it != after.end(); ++it) {
                // Under its old name, a new one, or a temporary name that shows the old one.
                const bool temporary = it.key().contains("~velmix");
                QVERIFY2(!temporary || it.key().startsWith(it.value().chopped(4) + "~velmix"), it.key().constData());
                temporaries += temporary;
                renamed += !temporary && it.key() != it.value();
            }
            qInfo("kill %d: %d files renamed, %d under a temporary name, none lost", round, renamed, temporaries);
        }
    }

    void concurrentWriterIsNeverReplaced()
    {
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.path());
        for (int i = 1; i <= Files; ++i)
            velmix::test::createFile(folder, "a" + QByteArray::number(i) + ".txt", "a" + QByteArray::number(i));
        QProcess applier, writer;
        applier.start(child(), {"apply", dir.path(), "b", "1", "1"});
        QVERIFY(applier.waitForReadyRead(60000));
        writer.start(child(), {"write", dir.path(), "b", QString::number(Files)});
        QVERIFY(applier.waitForFinished(120000));
        QVERIFY(writer.waitForFinished(120000));
        QCOMPARE(writer.exitCode(), 0);
        const QList<QByteArray> written = writer.readAllStandardOutput().split('\n');

        const QMap<QByteArray, QByteArray> after = velmix::test::folderContents(folder);
        int writerFiles = 0;
        for (const QByteArray &name : written) {
            if (name.isEmpty())
                continue;
            ++writerFiles;
            QCOMPARE(after.value(name), QByteArray("writer"));
        }
        QSet<QByteArray> originals;
        for (const QByteArray &content : after)
            if (content != "writer")
                originals.insert(content);
        QCOMPARE(originals.size(), Files);
        QCOMPARE(after.size(), Files + writerFiles);
        qInfo("writer created %d of the target names during the apply", writerFiles);
    }
};

QTEST_GUILESS_MAIN(TestRenameCrash)
#include "tst_rename_crash.moc"
