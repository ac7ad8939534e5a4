#include "FakeFolderCalls.h"
#include "FakeServices.h"
#include "RenameFolder.h"
#include "apply/RenameExecutor.h"
#include "apply/RenamePlanner.h"
#include "listing/FolderCase.h"
#include "posix/PosixFileIdentities.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>

using namespace velmix;

namespace {

using Names = QList<QByteArray>;
using Contents = QMap<QByteArray, QByteArray>;
using test::Reasons;
using Driver = test::FakeFolderCalls::Driver;
using Call = test::FakeFolderCalls::Call;

struct Outcome
{
    Contents contents;
    Reasons reasons;
};

// Lists `sources` (each holding its own name), adds `unlisted` files, renames with the
// mover given, and returns what the folder then holds.
Outcome rename(const Names &sources, const QStringList &targets, const Names &unlisted = {},
               MoveMethod method = MoveMethod::RenameNoReplace)
{
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path());
    for (const QByteArray &name : sources + unlisted)
        test::createFile(folder, name, name);
    int error = 0;
    auto mover = PosixFileMover(method).openFolder(folder, error);
    if (!mover)
        return {};
    const auto failures = test::renameAsListed(*mover, test::decodedColumn(sources), test::column(targets)).failures;
    const Contents contents = test::folderContents(folder);
    for (const QByteArray &name : contents.keys())
        ::unlink((folder + '/' + name).constData()); // QTemporaryDir skips names that are not UTF-8
    return {contents, test::reasonsOf(failures)};
}

constexpr int Exists = int(RenameReason::TargetExists);
constexpr int Taken = int(RenameReason::TakenByOtherRow);
constexpr int Invalid = int(RenameReason::InvalidName);
constexpr int Missing = int(RenameReason::SourceMissing);
constexpr int FileSystem = int(RenameReason::FileSystemError);

// What a fake folder does just before a call: 0 to let it run, or the error to fail it with.
using Fault = std::function<int(test::FakeFolderCalls &, Call, const QByteArray &name, const QByteArray &to)>;

} // namespace

Q_DECLARE_METATYPE(Fault)

namespace {

Fault failFirst(Call failing, const QByteArray &from, int error)
{
    return [=, done = false](test::FakeFolderCalls &, Call call, const QByteArray &name, const QByteArray &) mutable {
        const bool now = !done && call == failing && name == from;
        done = done || now;
        return now ? error : 0;
    };
}

// The medium stops answering at that call: it and every later call fail.
Fault failFrom(Call failing, const QByteArray &from, int error)
{
    return [=, gone = false](test::FakeFolderCalls &, Call call, const QByteArray &name, const QByteArray &) mutable {
        gone = gone || (call == failing && name == from);
        return gone ? error : 0;
    };
}

Fault failEveryMoveTo(const QByteArray &part, int error)
{
    return [=](test::FakeFolderCalls &, Call, const QByteArray &, const QByteArray &to) { return to.contains(part) ? error : 0; };
}

// Another program deletes the file just before the call, or (with `error`) the call
// itself drops it and fails, as fusefat's rename does in a full folder.
Fault deleteFirst(Call call, const QByteArray &from, int error = 0)
{
    return [=, done = false](test::FakeFolderCalls &folder, Call made, const QByteArray &name, const QByteArray &) mutable {
        const bool now = !done && made == call && name == from;
        if (now)
            done = true, (void)folder.unlink(name);
        return now ? error : 0;
    };
}

// Another program writes into `target` just before the first call of that kind that
// names it, which then fails with `error`.
Fault writeFirst(Call call, const QByteArray &target, int error = 0)
{
    return [=, done = false](test::FakeFolderCalls &folder, Call made, const QByteArray &name, const QByteArray &to) mutable {
        const bool now = !done && made == call && (name == target || to == target);
        if (now)
            done = true, folder.write(target, "theirs");
        return now ? error : 0;
    };
}

} // namespace

class TestRename : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void scenarios_data()
    {
        QTest::addColumn<Names>("sources");
        QTest::addColumn<QStringList>("targets");
        QTest::addColumn<Names>("unlisted");
        QTest::addColumn<Contents>("expected");
        QTest::addColumn<Reasons>("reasons");
        QTest::newRow("plain") << Names{"a", "b"} << QStringList{"x", "y"} << Names{}
                               << Contents{{"x", "a"}, {"y", "b"}} << Reasons{};
        QTest::newRow("chain in row order") << Names{"img1", "img2"} << QStringList{"img2", "img3"} << Names{}
                                            << Contents{{"img2", "img1"}, {"img3", "img2"}} << Reasons{};
        QTest::newRow("chain against row order") << Names{"img2", "img1"} << QStringList{"img3", "img2"} << Names{}
                                                 << Contents{{"img3", "img2"}, {"img2", "img1"}} << Reasons{};
        QTest::newRow("swap") << Names{"a", "b"} << QStringList{"b", "a"} << Names{}
                              << Contents{{"b", "a"}, {"a", "b"}} << Reasons{};
        QTest::newRow("three-cycle") << Names{"a.txt", "b.txt", "c.txt"} << QStringList{"b.txt", "c.txt", "a.txt"} << Names{}
                                     << Contents{{"b.txt", "a.txt"}, {"c.txt", "b.txt"}, {"a.txt", "c.txt"}} << Reasons{};
        QTest::newRow("unchanged rows stay") << Names{"a", "b"} << QStringList{"a", "c"} << Names{}
                                             << Contents{{"a", "a"}, {"c", "b"}} << Reasons{};
        QTest::newRow("same new name: first wins") << Names{"a", "b", "c"} << QStringList{"x", "x", "x"} << Names{}
                                                   << Contents{{"x", "a"}, {"b", "b"}, {"c", "c"}} << Reasons{10 + Taken, 20 + Taken};
        QTest::newRow("held by unlisted file") << Names{"a"} << QStringList{"keep"} << Names{"keep"}
                                               << Contents{{"a", "a"}, {"keep", "keep"}} << Reasons{Exists};
        QTest::newRow("held by a hidden file") << Names{"a", "b"} << QStringList{".keep", ".b"} << Names{".keep"}
                                               << Contents{{"a", "a"}, {".b", "b"}, {".keep", ".keep"}} << Reasons{Exists};
        QTest::newRow("held by a staying row") << Names{"a", "b"} << QStringList{"b", "b"} << Names{}
                                               << Contents{{"a", "a"}, {"b", "b"}} << Reasons{Exists};
        QTest::newRow("chain blocked at its end") << Names{"a", "b"} << QStringList{"b", "keep"} << Names{"keep"}
                                                  << Contents{{"a", "a"}, {"b", "b"}, {"keep", "keep"}}
                                                  << Reasons{Exists, 10 + Exists};
        QTest::newRow("invalid names") << Names{"a", "b", "c", "d", "e", "f"}
                                       << QStringList{"", ".", "..", "x/y", QStringLiteral("n") + QChar(0) , QString(256, u'z')}
                                       << Names{} << Contents{{"a", "a"}, {"b", "b"}, {"c", "c"}, {"d", "d"}, {"e", "e"}, {"f", "f"}}
                                       << Reasons{Invalid, 10 + Invalid, 20 + Invalid, 30 + Invalid, 40 + Invalid, 50 + Invalid};
        QTest::newRow("lone surrogate is invalid") << Names{"a"} << QStringList{QString(QChar(0xD800))} << Names{}
                                                   << Contents{{"a", "a"}} << Reasons{Invalid};
        QTest::newRow("non-UTF-8 names") << Names{"caf\xE9.txt"} << QStringList{QStringLiteral("CAF") + QChar(0xDCE9) + QStringLiteral(".TXT")}
                                         << Names{} << Contents{{"CAF\xE9.TXT", "caf\xE9.txt"}} << Reasons{};
        QTest::newRow("case only") << Names{"abc.txt"} << QStringList{"ABC.txt"} << Names{}
                                   << Contents{{"ABC.txt", "abc.txt"}} << Reasons{};
        QTest::newRow("cycle of long names") << Names{QByteArray(250, 'a') + ".txt", QByteArray(250, 'b') + ".txt"}
                                             << QStringList{QString(250, u'b') + ".txt", QString(250, u'a') + ".txt"} << Names{}
                                             << Contents{{QByteArray(250, 'b') + ".txt", QByteArray(250, 'a') + ".txt"},
                                                         {QByteArray(250, 'a') + ".txt", QByteArray(250, 'b') + ".txt"}}
                                             << Reasons{};
    }
    void scenarios()
    {
        QFETCH(Names, sources);
        QFETCH(QStringList, targets);
        QFETCH(Names, unlisted);
        QFETCH(Contents, expected);
        QFETCH(Reasons, reasons);
        for (auto method : {MoveMethod::RenameNoReplace, MoveMethod::LinkThenUnlink, MoveMethod::ReserveThenRename}) {
            const Outcome outcome = rename(sources, targets, unlisted, method);
            QCOMPARE(outcome.contents, expected);
            QCOMPARE(outcome.reasons, reasons);
        }
        // The grid marks the very rows the apply refuses, before it runs.
        QCOMPARE(test::markedReasons(sources, test::column(targets), unlisted, FolderRules{}), reasons);
    }

    void renamingALinkMovesTheLinkNotItsTarget()
    {
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.path());
        test::createFile(folder, "target.txt", "data");
        QVERIFY(QFile::link("target.txt", dir.filePath("link.txt")));
        int error = 0;
        auto mover = PosixFileMover().openFolder(folder, error);
        QVERIFY(mover);
        QVERIFY(test::renameAsListed(*mover, test::column({"link.txt"}), test::column({"moved.txt"})).failures.empty());
        QCOMPARE(QFile::symLinkTarget(dir.filePath("moved.txt")), dir.filePath("target.txt"));
        QVERIFY(!QFileInfo(dir.filePath("target.txt")).isSymLink());
        QVERIFY(!QFileInfo::exists(dir.filePath("link.txt")));
    }

    // A tree's batch names files by their paths below the folder: a folder moved in the
    // batch is not followed to where it went, nor a link to a folder out of the tree.
    void pathsBelowTheFolder()
    {
        QTemporaryDir dir, outside;
        const QByteArray folder = QFile::encodeName(dir.path());
        QVERIFY(QDir(dir.path()).mkpath("sub/deeper"));
        for (const QByteArray name : {"sub/a", "sub/b", "sub/deeper/c"})
            test::createFile(folder, name, name);
        test::createFile(QFile::encodeName(outside.path()), "x", "x");
        QVERIFY(QFile::link(outside.path(), dir.filePath("link")));
        int error = 0;
        auto mover = PosixFileMover().openFolder(folder, error);
        QVERIFY(mover);
        QCOMPARE(mover->move("sub/a", "sub/a2"), 0);
        QCOMPARE(mover->move("sub/deeper/c", "sub/deeper/c2"), 0);
        // A folder moved beside the files just moved: the folder kept open inside it goes too.
        QCOMPARE(mover->move("sub/deeper", "sub/deep"), 0);
        QCOMPARE(mover->move("sub/deeper/c2", "sub/deeper/c3"), ENOENT);
        QCOMPARE(mover->move("sub", "moved"), 0);
        QCOMPARE(mover->move("sub/b", "sub/b2"), ENOENT);
        QCOMPARE(mover->move("sub/deeper/c2", "sub/deeper/c3"), ENOENT);
        QCOMPARE(mover->move("moved/b", "moved/b2"), 0);
        QVERIFY(mover->move("link/x", "link/y") != 0);
        QVERIFY(mover->move("sub/../moved/b2", "moved/b3") != 0);
        QCOMPARE(test::folderContents(folder + "/moved"), (Contents{{"a2", "sub/a"}, {"b2", "sub/b"}, {"deep", ""}}));
        QVERIFY(QFile::exists(dir.filePath("moved/deep/c2")));
        QVERIFY(QFile::exists(outside.filePath("x")));
        QCOMPARE(PosixFileIdentities().identify(folder, {"link/x", "moved/b2"}, FileIdentities::Cores::Both)[0], std::nullopt);
    }

    // Failures in the middle of a batch: the row fails with its reason, the others go on,
    // and a file whose cycle broke off goes back to its old name, or the box says where
    // it was left.
    void faultsMidBatch_data()
    {
        QTest::addColumn<Driver>("driver");
        QTest::addColumn<Names>("sources");
        QTest::addColumn<QStringList>("targets");
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<Contents>("expected");
        QTest::addColumn<QStringList>("reasons");
        QTest::addColumn<int>("cancelAt"); // the user cancels as this rename call starts; 0: never
        QTest::addColumn<int>("notReached");
        const Fault none = [](test::FakeFolderCalls &, Call, const QByteArray &, const QByteArray &) { return 0; };
        // A cancel is seen between runs of 64 moves: the run under way ends, the rest stay.
        Names many;
        QStringList manyTargets;
        Contents afterCancel;
        for (int i = 0; i < 66; ++i) {
            const QByteArray name = "a" + QByteArray::number(i), target = "x" + QByteArray::number(i);
            many << name;
            manyTargets << QString::fromLatin1(target);
            afterCancel.insert(i < 64 ? target : name, name);
        }
        QTest::newRow("cancel mid-batch") << Driver::Ext4 << many << manyTargets << none << afterCancel << QStringList{} << 2 << 2;
        QTest::newRow("cancel inside a cycle finishes it")
            << Driver::Ext4 << Names{"a", "b", "c", "d"} << QStringList{"b", "a", "d", "c"} << none
            << Contents{{"b", "a"}, {"a", "b"}, {"c", "c"}, {"d", "d"}} << QStringList{} << 1 << 2;
        QTest::newRow("read-only medium") << Driver::Ext4 << Names{"a", "b", "c"} << QStringList{"x", "y", "z"}
                                          << failFirst(Call::RenameNoReplace, "b", EROFS)
                                          << Contents{{"x", "a"}, {"b", "b"}, {"z", "c"}}
                                          << QStringList{"1: диск только для чтения"} << 0 << 0;
        QTest::newRow("flag turned down mid-run: the rest follow the next method")
            << Driver::Ext4 << Names{"a", "b", "c"} << QStringList{"x", "y", "z"} << failFirst(Call::RenameNoReplace, "b", EINVAL)
            << Contents{{"x", "a"}, {"y", "b"}, {"z", "c"}} << QStringList{} << 0 << 0;
        QTest::newRow("full medium") << Driver::Ext4 << Names{"a", "b"} << QStringList{"x", "y"}
                                     << failFirst(Call::RenameNoReplace, "a", ENOSPC) << Contents{{"a", "a"}, {"y", "b"}}
                                     << QStringList{"0: на диске нет места"} << 0 << 0;
        QTest::newRow("no write permission") << Driver::Ext4 << Names{"a"} << QStringList{"x"}
                                             << failFirst(Call::RenameNoReplace, "a", EACCES) << Contents{{"a", "a"}}
                                             << QStringList{"0: нет прав на изменение папки"} << 0 << 0;
        QTest::newRow("file gone mid-batch") << Driver::Ext4 << Names{"a", "b", "c"} << QStringList{"x", "y", "z"}
                                             << deleteFirst(Call::RenameNoReplace, "b") << Contents{{"x", "a"}, {"z", "c"}}
                                             << QStringList{"1: исходный файл не найден"} << 0 << 0;
        QTest::newRow("rename drops the file") << Driver::Fusefat << Names{"a", "b"} << QStringList{"x", "y"}
            << deleteFirst(Call::Rename, "b", EPERM) << Contents{{"x", "a"}}
            << QStringList{"1: файл утрачен при переименовании (ошибка файловой системы)"} << 0 << 0;
        QTest::newRow("medium pulled: the rest untouched, nothing called lost")
            << Driver::ExfatFuse << Names{"a", "b", "c"} << QStringList{"x", "y", "z"} << failFrom(Call::Rename, "b", ENOTCONN)
            << Contents{{"x", "a"}, {"b", "b"}, {"c", "c"}} << QStringList{} << 0 << 2;
        QTest::newRow("medium pulled inside a swap")
            << Driver::Ext4 << Names{"a", "b"} << QStringList{"b", "a"} << failFrom(Call::RenameNoReplace, "b", ENOTCONN)
            << Contents{{"a~velmix1", "a"}, {"b", "b"}}
            << QStringList{"0: диск отключён или не отвечает; файл остался под временным именем «a~velmix1»"} << 0 << 1;
        QTest::newRow("swap's last step fails, old name taken")
            << Driver::Ext4 << Names{"a", "b"} << QStringList{"b", "a"} << failFirst(Call::RenameNoReplace, "a~velmix1", EIO)
            << Contents{{"a", "b"}, {"a~velmix1", "a"}}
            << QStringList{"0: диск отключён или не отвечает; файл остался под временным именем «a~velmix1»"} << 0 << 0;
        QTest::newRow("case change's last step fails") << Driver::KernelVfat << Names{"IMG.JPG"} << QStringList{"img.jpg"}
                                                       << failFirst(Call::RenameNoReplace, "IMG~velmix1.JPG", ENOSPC)
                                                       << Contents{{"IMG.JPG", "IMG.JPG"}}
                                                       << QStringList{"0: на диске нет места"} << 0 << 0;
        QTest::newRow("case change's last step fails, reserving") << Driver::ExfatFuse << Names{"IMG.JPG"}
                                                                  << QStringList{"img.jpg"}
                                                                  << failFirst(Call::Rename, "IMG~velmix1.JPG", ENOSPC)
                                                                  << Contents{{"IMG.JPG", "IMG.JPG"}}
                                                                  << QStringList{"0: на диске нет места"} << 0 << 0;
        QTest::newRow("every temporary name taken") << Driver::Ext4 << Names{"a", "b"} << QStringList{"b", "a"}
                                                    << failEveryMoveTo("~velmix", EEXIST) << Contents{{"a", "a"}, {"b", "b"}}
                                                    << QStringList{"0: ошибка файловой системы, код 17",
                                                                   "1: файл с таким именем уже существует"}
                                                    << 0 << 0;
    }
    void faultsMidBatch()
    {
        QFETCH(Driver, driver);
        QFETCH(Names, sources);
        QFETCH(QStringList, targets);
        QFETCH(Fault, fault);
        QFETCH(Contents, expected);
        QFETCH(QStringList, reasons);
        QFETCH(int, cancelAt);
        QFETCH(int, notReached);
        auto calls = std::make_shared<test::FakeFolderCalls>(driver);
        for (const QByteArray &name : sources)
            calls->addFile(name, name);
        WorkProgress progress;
        int renameCalls = 0;
        calls->before = [&](Call call, const QByteArray &name, const QByteArray &to) {
            if (call == Call::RenameNoReplace && ++renameCalls == cancelAt)
                progress.cancel();
            return fault(*calls, call, name, to);
        };
        NoReplaceMover mover(calls);
        const RenameOutcome outcome = test::renameAsListed(mover, test::decodedColumn(sources), test::column(targets), &progress);
        QStringList reported;
        for (const RenameFailure &failure : outcome.failures)
            reported << QString::number(failure.row) + QStringLiteral(": ") + reasonText(failure);
        QCOMPARE(calls->contents(), expected);
        QCOMPARE(reported, reasons);
        QCOMPARE(outcome.notReached, notReached);
        // The outcome names where every file still there is now, as the undo needs it.
        QMap<QByteArray, QByteArray> whereNow;
        for (qsizetype row = 0; row < sources.size(); ++row) {
            if (expected.contains(outcome.finalNames[size_t(row)]))
                whereNow.insert(outcome.finalNames[size_t(row)], sources[row]);
        }
        QCOMPARE(whereNow, expected);
        QCOMPARE(progress.done(), outcome.renamed);
        QCOMPARE(outcome.renamed + outcome.notReached + qsizetype(outcome.failures.size()), progress.total());
    }

    // One move after another in a folder that answers as `driver` does: the method that
    // worked is where the next move starts, a refused name fails that move alone, and a
    // placeholder is renamed over only while it is the empty file just made.
    void moveMethods_data()
    {
        QTest::addColumn<Driver>("driver");
        QTest::addColumn<Names>("files");
        QTest::addColumn<QList<Names>>("moves");
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QList<int>>("errors");
        QTest::addColumn<Call>("lastMoveStartsWith");
        QTest::addColumn<Contents>("expected");
        const QList<Names> twoMoves{{"a", "b"}, {"c", "d"}};
        const Contents twoMoved{{"b", "a"}, {"d", "c"}};
        const Fault none;
        QTest::newRow("ext4") << Driver::Ext4 << Names{"a", "c"} << twoMoves << none << QList<int>{0, 0}
                              << Call::RenameNoReplace << twoMoved;
        QTest::newRow("kernel vfat: taken in another case") << Driver::KernelVfat << Names{"a", "B"} << QList<Names>{{"a", "b"}}
                                                            << none << QList<int>{EEXIST} << Call::RenameNoReplace
                                                            << Contents{{"a", "a"}, {"B", "B"}};
        QTest::newRow("exfat-fuse: look up, then rename") << Driver::ExfatFuse << Names{"a", "c"} << twoMoves << none
                                                          << QList<int>{0, 0} << Call::Status << twoMoved;
        QTest::newRow("no flag, no links: reserve, then rename") << Driver::OldKernel << Names{"a", "c"} << twoMoves << none
                                                                 << QList<int>{0, 0} << Call::CreateExclusive << twoMoved;
        QTest::newRow("exfat-fuse: file gone") << Driver::ExfatFuse << Names{} << QList<Names>{{"a", "b"}} << none
                                               << QList<int>{ENOENT} << Call::RenameNoReplace << Contents{};
        QTest::newRow("fusefat: refused name, the file stays")
            << Driver::Fusefat << Names{"a", "c"} << QList<Names>{{"c", "d"}, {"a", "q?"}, {"a", "\xD0\xA4"}} << none
            << QList<int>{0, EINVAL, EINVAL} << Call::CreateExclusive << Contents{{"a", "a"}, {"d", "c"}};
        QTest::newRow("ntfs-3g: link, then unlink") << Driver::Ntfs3g << Names{"a", "c"} << twoMoves << none
                                                    << QList<int>{0, 0} << Call::Link << twoMoved;
        QTest::newRow("placeholder written before the move is left alone")
            << Driver::Fusefat << Names{"a"} << QList<Names>{{"a", "b"}} << writeFirst(Call::Status, "b") << QList<int>{EEXIST}
            << Call::RenameNoReplace << Contents{{"a", "a"}, {"b", "theirs"}};
        QTest::newRow("failed move removes its placeholder")
            << Driver::OldKernel << Names{"a"} << QList<Names>{{"a", "b"}} << failFirst(Call::Rename, "a", EIO)
            << QList<int>{EIO} << Call::RenameNoReplace << Contents{{"a", "a"}};
        QTest::newRow("failed move keeps a placeholder written meanwhile")
            << Driver::OldKernel << Names{"a"} << QList<Names>{{"a", "b"}} << writeFirst(Call::Rename, "b", EIO)
            << QList<int>{EIO} << Call::RenameNoReplace << Contents{{"a", "a"}, {"b", "theirs"}};
    }
    void moveMethods()
    {
        QFETCH(Driver, driver);
        QFETCH(Names, files);
        QFETCH(QList<Names>, moves);
        QFETCH(Fault, fault);
        QFETCH(QList<int>, errors);
        QFETCH(Call, lastMoveStartsWith);
        QFETCH(Contents, expected);
        auto calls = std::make_shared<test::FakeFolderCalls>(driver);
        for (const QByteArray &name : files)
            calls->addFile(name, name);
        if (fault)
            calls->before = [&](Call call, const QByteArray &name, const QByteArray &to) { return fault(*calls, call, name, to); };
        NoReplaceMover mover(calls);
        QList<int> answers;
        for (const Names &move : moves) {
            calls->calls.clear();
            answers << mover.move(move[0], move[1]);
        }
        QCOMPARE(answers, errors);
        QCOMPARE(calls->calls.value(0), lastMoveStartsWith);
        QCOMPARE(calls->contents(), expected);
        QCOMPARE(calls->viaFuse() ? calls->placeholderRenamesViaFuse : calls->unreservedRenames, 0);
    }

    // Where a cluster holds fewer entries than a 255-unit name takes, fusefat is let have
    // only names that one whole cluster holds: entries of 13 UTF-16 units and a short one.
    void fusefatNamesFitOneCluster_data()
    {
        QTest::addColumn<Driver>("driver");
        QTest::addColumn<int>("clusterEntries");
        QTest::addColumn<int>("longestName");
        QTest::newRow("512-byte clusters") << Driver::Fusefat << 16 << 195;
        QTest::newRow("1024-byte clusters") << Driver::Fusefat << 32 << 255;
        QTest::newRow("cluster size not told") << Driver::Fusefat << 0 << 255;
        QTest::newRow("not fusefat") << Driver::KernelVfat << 16 << 255;
    }
    void fusefatNamesFitOneCluster()
    {
        QFETCH(Driver, driver);
        QFETCH(int, clusterEntries);
        QFETCH(int, longestName);
        auto calls = std::make_shared<test::FakeFolderCalls>(driver);
        calls->clusterEntriesShown = clusterEntries;
        NoReplaceMover mover(calls);
        const FolderRules rules = readFolderRules(mover, test::decodedColumn({}));
        QVERIFY(nameFits(QString(longestName, u'a'), longestName, rules));
        QVERIFY(!nameFits(QString(longestName + 1, u'a'), longestName + 1, rules));
    }

    // `listed` is the listing as read; `files` and `folders` are what the folder holds
    // when the apply starts.
    void folderIgnoresCase_data()
    {
        QTest::addColumn<Driver>("driver");
        QTest::addColumn<Names>("listed");
        QTest::addColumn<Names>("files");
        QTest::addColumn<Names>("folders");
        QTest::addColumn<bool>("ignoresCase");
        const Names camera{"IMG_0001.JPG"};
        QTest::newRow("ext4") << Driver::Ext4 << camera << camera << Names{} << false;
        QTest::newRow("kernel vfat") << Driver::KernelVfat << camera << camera << Names{} << true;
        QTest::newRow("exfat-fuse") << Driver::ExfatFuse << Names{"123", "a.txt"} << Names{"123", "a.txt"} << Names{} << true;
        QTest::newRow("ntfs-3g") << Driver::Ntfs3g << camera << camera << Names{} << false;
        QTest::newRow("both spellings listed") << Driver::Ext4 << Names{"a.txt", "A.TXT"} << Names{"a.txt", "A.TXT"}
                                               << Names{} << false;
        QTest::newRow("the other spelling is a folder") << Driver::Ext4 << Names{"a.txt"} << Names{"a.txt"}
                                                        << Names{"A.TXT"} << false;
        QTest::newRow("no letters to change") << Driver::KernelVfat << Names{"123", "4.5"} << Names{"123", "4.5"} << Names{}
                                              << false;
        QTest::newRow("only letters outside ASCII") << Driver::KernelVfat << Names{"\xD0\xA4"} << Names{"\xD0\xA4"}
                                                    << Names{} << true;
        QTest::newRow("first listed file gone since") << Driver::ExfatFuse << Names{"a.txt", "b.txt"} << Names{"b.txt"}
                                                      << Names{} << true;
    }
    void folderIgnoresCase()
    {
        QFETCH(Driver, driver);
        QFETCH(Names, listed);
        QFETCH(Names, files);
        QFETCH(Names, folders);
        QFETCH(bool, ignoresCase);
        auto calls = std::make_shared<test::FakeFolderCalls>(driver);
        for (const QByteArray &name : files)
            calls->addFile(name, name);
        for (const QByteArray &name : folders)
            calls->addFolder(name);
        NoReplaceMover mover(calls);
        QCOMPARE(velmix::folderIgnoresCase(mover, test::decodedColumn(listed)), ignoresCase);
    }

    void temporaryNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("nameMax");
        QTest::addColumn<QByteArray>("temporary");
        QTest::addColumn<int>("attempt");
        QTest::newRow("keeps tail, shows name") << "photo.tar.gz" << 255 << QByteArray("photo~velmix1.tar.gz") << 1;
        QTest::newRow("dot-less") << "README" << 255 << QByteArray("README~velmix1") << 1;
        QTest::newRow("cut to fit") << "abcdef.txt" << 15 << QByteArray("abc~velmix1.txt") << 1;
        QTest::newRow("cut keeps pairs whole") << QString::fromUtf8("\xF0\x9F\x98\x80\xF0\x9F\x98\x80.t") << 16
                                               << QByteArray("\xF0\x9F\x98\x80~velmix1.t") << 1;
        QTest::newRow("tail too long") << QString("a.") + QString(300, u'x') << 255 << QByteArray() << 1;
        QTest::newRow("later attempt, without the name") << "IMG_0001.JPG" << 255 << QByteArray("~velmix2.JPG") << 2;
        QTest::newRow("escaped bytes come back") << QStringLiteral("caf") + QChar(0xDCE9) + QStringLiteral(".txt") << 255
                                                 << QByteArray("caf\xE9~velmix1.txt") << 1;
        // 0 stands for the Windows family: 255 UTF-16 units, whatever the bytes.
        QTest::newRow("a long name keeps eight letters") << QString(251, u'Ж') + ".txt" << 0
                                                         << (QString(8, u'Ж') + "~velmix1.txt").toUtf8() << 1;
    }
    void temporaryNames()
    {
        QFETCH(QString, name);
        QFETCH(int, nameMax);
        QFETCH(QByteArray, temporary);
        QFETCH(int, attempt);
        QCOMPARE(temporaryName(name, attempt, FolderRules{nameMax, false, nameMax == 0}), temporary);
    }

    // A large batch has its names encoded partly on another thread; each block of it must
    // come out as it does planned alone (a move, a taken name, an empty one, a stay, escapes).
    void largeBatchPlansAsItsBlocks()
    {
        const auto block = [](int k, QStringList &sources, QStringList &targets) {
            const QString n = QString::number(k);
            sources << "a" + n << "b" + n << "c" + n << "d" + n << "e" + n << QStringLiteral("f") + QChar(0xDCE9) + n;
            targets << "b" + n << "x" + n << "x" + n << "" << "e" + n << QStringLiteral("F") + QChar(0xDCE9) + n;
        };
        QStringList sources, targets;
        constexpr int Blocks = 2000; // far past the size from which the work is shared
        for (int k = 0; k < Blocks; ++k)
            block(k, sources, targets);
        const RenamePlan large = planRenames(test::column(sources), test::column(targets), FolderRules{});
        const qsizetype size = sources.size() / Blocks;
        for (int k = 0; k < Blocks; ++k) {
            QStringList blockSources, blockTargets;
            block(k, blockSources, blockTargets);
            const RenamePlan alone = planRenames(test::column(blockSources), test::column(blockTargets), FolderRules{});
            for (qsizetype row = 0; row < size; ++row) {
                QCOMPARE(large.sources[size_t(k * size + row)], alone.sources[size_t(row)]);
                QCOMPARE(large.targets[size_t(k * size + row)], alone.targets[size_t(row)]);
            }
        }
    }

    void noTemporaryNameLeavesCycleUnmoved()
    {
        const QByteArray a = "a." + QByteArray(250, 'x');
        const QByteArray b = "b." + QByteArray(250, 'x');
        const Outcome outcome = rename({a, b}, {QString::fromLatin1(b), QString::fromLatin1(a)});
        QCOMPARE(outcome.contents, (Contents{{a, a}, {b, b}}));
        QCOMPARE(outcome.reasons, (Reasons{Invalid, 10 + Exists}));
    }
};

QTEST_GUILESS_MAIN(TestRename)
#include "tst_rename.moc"
