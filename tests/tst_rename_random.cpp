#include "FileNameCodec.h"
#include "PosixFileMover.h"
#include "RenameExecutor.h"
#include "RenameFolder.h"
#include "TestSupport.h"

#include <QDir>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>

using namespace velmix;

namespace {

constexpr int Batches = 2000;

// Names drawn from a small pool so that targets often hit other files: chains, cycles,
// duplicates and blocked names arise by themselves.
QByteArray poolName(QRandomGenerator &random)
{
    static const QByteArray stems[] = {"a", "b", "c", "d", "A", "B", "caf\xE9", "\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE", "x y", "e_f"};
    static const QByteArray tails[] = {"", ".txt", ".TXT", ".tar.gz", "."};
    return stems[random.bounded(int(std::size(stems)))] + tails[random.bounded(int(std::size(tails)))];
}

QString invalidName(QRandomGenerator &random)
{
    switch (random.bounded(6)) {
    case 0: return {};
    case 1: return QStringLiteral(".");
    case 2: return QStringLiteral("..");
    case 3: return QStringLiteral("sub/x");
    case 4: return QString(QChar(0xD800)) + u'x';
    default: return QString(300, u'n');
    }
}

bool validTarget(const QString &target)
{
    const std::optional<QByteArray> bytes = FileNameCodec::encode(target);
    return bytes && !bytes->isEmpty() && *bytes != "." && *bytes != ".." && !bytes->contains('/') && !bytes->contains('\0')
           && bytes->size() <= 255;
}

struct Batch
{
    QList<QByteArray> sources;
    QList<QByteArray> unlisted;
    QStringList targets;
};

Batch makeBatch(QRandomGenerator &random)
{
    Batch batch;
    QSet<QByteArray> used;
    const int listed = 1 + random.bounded(8);
    while (batch.sources.size() < listed) {
        const QByteArray name = poolName(random);
        if (!used.contains(name) && !name.startsWith('.'))
            used.insert(name), batch.sources.append(name);
    }
    for (int i = random.bounded(3); i > 0; --i) {
        const QByteArray name = poolName(random);
        if (!used.contains(name))
            used.insert(name), batch.unlisted.append(name);
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
            target = invalidName(random);
        else if (kind == 7 && !batch.targets.isEmpty())
            target = batch.targets[random.bounded(batch.targets.size())];
        else
            target = FileNameCodec::decode(poolName(random));
        batch.targets.append(target);
    }
    return batch;
}

// Which rows can take their new names, worked out from the names alone: a row moves when
// its name is valid, changes, and is the first to ask for it, and it succeeds unless the
// name stays held by an unlisted file or by a listed file that does not move away.
QList<bool> expectedSuccess(const Batch &batch)
{
    const qsizetype rows = batch.sources.size();
    QList<bool> moving(rows, false);
    QSet<QString> claimed;
    for (qsizetype row = 0; row < rows; ++row) {
        const QString &target = batch.targets[row];
        if (target == FileNameCodec::decode(batch.sources[row]) || !validTarget(target) || claimed.contains(target))
            continue;
        claimed.insert(target);
        moving[row] = true;
    }
    QList<bool> ok = moving;
    for (bool changed = true; changed;) {
        changed = false;
        for (qsizetype row = 0; row < rows; ++row) {
            if (!ok[row])
                continue;
            const QByteArray target = *FileNameCodec::encode(batch.targets[row]);
            const qsizetype holder = batch.sources.indexOf(target);
            if (batch.unlisted.contains(target) || (holder >= 0 && !ok[holder]))
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
    void batchesNeverLoseOrOverwrite()
    {
        QRandomGenerator random(20261207);
        QTemporaryDir root;
        PosixFileMover fileMover;
        int moved = 0, failedRows = 0, lost = 0;
        for (int batchIndex = 0; batchIndex < Batches; ++batchIndex) {
            const Batch batch = makeBatch(random);
            const QByteArray folder = QFile::encodeName(root.filePath(QString::number(batchIndex)));
            QVERIFY(QDir().mkdir(QFile::decodeName(folder)));
            for (const QByteArray &name : batch.sources + batch.unlisted)
                test::createFile(folder, name, "content of " + name);

            int error = 0;
            auto mover = fileMover.openFolder(folder, error);
            QVERIFY(mover);
            const auto failures = renameFiles(*mover, test::decodedColumn(batch.sources), test::column(batch.targets));

            const QList<bool> ok = expectedSuccess(batch);
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
            const QMap<QByteArray, QByteArray> actual = test::folderContents(folder);
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
        }
        qInfo("%d batches, %d files moved, %d rows reported, %d files lost", Batches, moved, failedRows, lost);
        QCOMPARE(lost, 0);
    }
};

QTEST_GUILESS_MAIN(TestRenameRandom)
#include "tst_rename_random.moc"
