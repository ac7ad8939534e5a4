#include "RenameFolder.h"
#include "TestMedia.h"
#include "TestSupport.h"
#include "apply/RenameExecutor.h"
#include "posix/PosixFileMover.h"
#include "preview/NameTransforms.h"

#include <QDir>
#include <QProcess>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace velmix;
using namespace Qt::StringLiterals;
using test::Reasons;

namespace {

using Names = QList<QByteArray>;
using Contents = QMap<QByteArray, QByteArray>;

constexpr int Invalid = int(RenameReason::InvalidName);
constexpr int NotForWindows = int(RenameReason::NotForWindows);
constexpr int Unsafe = int(RenameReason::UnsafeFolder);
// Stands in a table row for the name that the medium's file system refuses.
const QString Refused = QStringLiteral("<refused>");
constexpr int CameraFiles = 20; // fusefat grows slow as a folder fills

Names cameraNames(int count = CameraFiles)
{
    Names names;
    for (int i = 1; i <= count; ++i)
        names.append(QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QChar(u'0')).toLatin1());
    return names;
}

// What the lower-case option makes of the names.
QStringList lowerCased(const Names &sources)
{
    FileNameTable table = test::table(test::names(test::decodedColumn(sources)));
    ToLowerCase(table);
    return test::names(table.newNames());
}

Contents renamedContents(const Names &sources, const QStringList &targets)
{
    Contents contents;
    for (qsizetype row = 0; row < sources.size(); ++row)
        contents.insert(targets[row].toUtf8(), sources[row]);
    return contents;
}

} // namespace

// The rename step on every file system it must work on: each row runs in a fresh folder
// whose files hold their own first names.
class TestRenameMedia : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void onEveryMedium_data()
    {
        QTest::addColumn<QString>("medium");
        QTest::addColumn<Names>("sources");
        QTest::addColumn<QStringList>("targets");
        QTest::addColumn<Contents>("expected");
        QTest::addColumn<Reasons>("reasons");
        const Names chain{"a.txt", "b.txt", "IMG_0001.JPG", "IMG_0002.JPG"};
        const QStringList chainTargets{"b.txt", "c.txt", "img_0002.jpg", "img_0003.jpg"};
        const Names swap{"a.txt", "b.txt"};
        const Names caseSwap{"IMG_0001.JPG", "IMG_0002.JPG"};
        const QStringList caseSwapTargets{"img_0002.jpg", "img_0001.jpg"};
        const Names refused{"a.jpg", "b.jpg", "c.jpg"};
        const QStringList windowsNames{"com1.x.jpg", "x:y.jpg", "z.jpg"};
        const QString cyrillic255 = QString(251, u'Ж') + QStringLiteral(".txt"), cyrillic256 = QChar(u'Ж') + cyrillic255;
        for (const QString &medium : test::TestMedia::Names) {
            const bool windows = medium != u"local", unitsCount = windows && !medium.startsWith(u"FAT"); // fusefat: ASCII only
            auto row = [&](const char *scenario) -> QTestData & {
                return QTest::addRow("%s: %s", qPrintable(medium), scenario) << medium;
            };
            row("chain") << chain << chainTargets << renamedContents(chain, chainTargets) << Reasons{};
            row("swap") << swap << QStringList{"b.txt", "a.txt"} << renamedContents(swap, {"b.txt", "a.txt"}) << Reasons{};
            row("case-variant swap") << caseSwap << caseSwapTargets << renamedContents(caseSwap, caseSwapTargets)
                                      << Reasons{};
            row("case only") << cameraNames() << lowerCased(cameraNames())
                              << renamedContents(cameraNames(), lowerCased(cameraNames())) << Reasons{};
            row("refused name") << refused << QStringList{"x.jpg", Refused, "z.jpg"}
                                 << Contents{{"x.jpg", "a.jpg"}, {"b.jpg", "b.jpg"}, {"z.jpg", "c.jpg"}}
                                 << Reasons{10 + Invalid};
            row("Windows names") << refused << windowsNames
                                 << (windows ? Contents{{"a.jpg", "a.jpg"}, {"b.jpg", "b.jpg"}, {"z.jpg", "c.jpg"}}
                                             : renamedContents(refused, windowsNames))
                                 << (windows ? Reasons{NotForWindows, 10 + NotForWindows} : Reasons{});
            if (!medium.endsWith(u"msdos")) // which cuts it short
                row("255 letters") << Names{"a.txt"} << QStringList{cyrillic255}
                                   << (unitsCount ? renamedContents({"a.txt"}, {cyrillic255}) : Contents{{"a.txt", "a.txt"}})
                                   << (unitsCount ? Reasons{} : Reasons{Invalid});
            // Long names of ASCII letters, to lower case through a temporary name; not on
            // msdos (8.3 names). The FAT32 image's clusters hold 16 entries: fusefat is let
            // have names of 195 characters at most.
            if (!medium.endsWith(u"msdos")) {
                Names longNames;
                for (int length : {195, 200, 230, 255})
                    longNames.append(QByteArray(length - 5, 'L') + QByteArray::number(length % 10) + ".JPG");
                const QStringList lower = lowerCased(longNames);
                if (medium == u"FAT32")
                    row("long names, case only") << longNames << lower
                                                 << Contents{{lower[0].toUtf8(), longNames[0]}, {longNames[1], longNames[1]},
                                                             {longNames[2], longNames[2]}, {longNames[3], longNames[3]}}
                                                 << Reasons{10 + Invalid, 20 + Invalid, 30 + Invalid};
                else
                    row("long names, case only") << longNames << lower << renamedContents(longNames, lower) << Reasons{};
            }
            row("256 letters") << Names{"a.txt"} << QStringList{cyrillic256} << Contents{{"a.txt", "a.txt"}}
                               << Reasons{Invalid};
        }
    }
    void onEveryMedium()
    {
        QFETCH(QString, medium);
        QFETCH(Names, sources);
        QFETCH(QStringList, targets);
        QFETCH(Contents, expected);
        QFETCH(Reasons, reasons);
        test::Medium &on = m_media.medium(medium);
        if (!on.skipReason.isEmpty())
            QSKIP(qPrintable(on.skipReason));
        QVERIFY2(on.failure.isEmpty(), qPrintable(on.failure));
        const qsizetype refusedRow = targets.indexOf(Refused);
        if (refusedRow >= 0) {
            if (on.refusedName.isEmpty())
                QSKIP("this file system takes every name the planner lets by");
            targets[refusedRow] = on.refusedName;
        }

        const auto folder = on.newFolder();
        for (const QByteArray &name : sources)
            folder->create(name, name);
        const auto mover = folder->mover();
        QVERIFY(mover);
        const RenameOutcome outcome = test::renameAsListed(*mover, test::decodedColumn(sources), test::column(targets));
        if (medium.startsWith(u"kernel "))
            QVERIFY2(outcome.rules.windows, "the kernel's FAT driver is not told by its mount");
        QCOMPARE(test::reasonsOf(outcome.failures), reasons);
        QCOMPARE(folder->contents(), test::TestMedia::asListed(on, expected));
        // The grid marks the same, but for a name only the driver refuses.
        if (refusedRow < 0)
            QCOMPARE(test::markedReasons(sources, test::column(targets), {}, outcome.rules), reasons);
    }

    // fusefat damages files when it moves one whose entries straddle two clusters of a
    // FAT16 subfolder: there no file moves, and the grid marks the same rows. Its root
    // folder lies outside the clusters; FAT32's subfolders are safe.
    void fusefatMovesNothingInFat16Subfolders_data()
    {
        QTest::addColumn<QString>("medium");
        QTest::addColumn<bool>("nested"); // in a subfolder of the medium's test folder
        QTest::addColumn<bool>("moves");
        QTest::newRow("FAT16 subfolder") << u"FAT"_s << true << false;
        QTest::newRow("FAT16 root") << u"FAT"_s << false << true;
        QTest::newRow("FAT32 subfolder") << u"FAT32"_s << false << true;
    }
    void fusefatMovesNothingInFat16Subfolders()
    {
        QFETCH(QString, medium);
        QFETCH(bool, nested);
        QFETCH(bool, moves);
        if (!test::TestMedia::Names.contains(medium))
            QSKIP("the kernel's own drivers are tried instead");
        test::Medium &on = m_media.medium(medium);
        if (!on.skipReason.isEmpty())
            QSKIP(qPrintable(on.skipReason));
        QVERIFY2(on.failure.isEmpty(), qPrintable(on.failure));
        const auto outer = on.newFolder();
        const auto inner = nested ? std::make_unique<test::TestFolder>(outer->path() + u"/photos"_s) : nullptr;
        test::TestFolder &folder = nested ? *inner : *outer;
        const Names sources{"a.txt", "b.txt", "IMG_0001.JPG", "d.txt"};
        const QStringList targets{"b.txt", "c.txt", "img_0001.jpg", u"caf\u00E9.txt"_s};
        for (const QByteArray &name : sources)
            folder.create(name, name);
        const RenameOutcome outcome = test::renameAsListed(*folder.mover(), test::decodedColumn(sources), test::column(targets));
        const Reasons reasons = moves ? Reasons{30 + Invalid} : Reasons{Unsafe, 10 + Unsafe, 20 + Unsafe, 30 + Invalid};
        QCOMPARE(outcome.rules.movesDamageFiles, !moves);
        QCOMPARE(test::reasonsOf(outcome.failures), reasons);
        QCOMPARE(test::markedReasons(sources, test::column(targets), {}, outcome.rules), reasons);
        const QStringList kept = test::names(test::decodedColumn(sources));
        const QStringList renamed{"b.txt", "c.txt", "img_0001.jpg", "d.txt"};
        QCOMPARE(folder.contents(), renamedContents(sources, moves ? renamed : kept));
    }

    // A thread lists the folder all through the apply, as a file manager does; in the reader
    // rows another process also reads every file again and again, as a thumbnailer does,
    // and every byte is checked once it has stopped. FAT16
    // roots of 64 and 512 entries are nearly full, or full to their last entry, where no new
    // name with more entries fits.
    void nearlyFullFatFolderLosesNothing_data()
    {
        QTest::addColumn<bool>("exfat");
        QTest::addColumn<bool>("reader");
        QTest::addColumn<int>("rootEntries");
        QTest::addColumn<int>("files");
        QTest::addColumn<bool>("longNames"); // the new names need more entries than the old
        QTest::addColumn<int>("runs");
        // Each run is a batch on a FUSE daemon, up to a second on a slow one: `make test`
        // takes one or two of each row, `make test-long` repeats them.
        const bool more = test::longLane();
        QTest::newRow("exFAT, a reader, 30 files") << true << true << 0 << 30 << false << (more ? 20 : 2);
        QTest::newRow("64-entry FAT16 root, 30 files") << false << false << 64 << 30 << false << (more ? 40 : 1);
        QTest::newRow("64-entry FAT16 root, a reader, 30 files") << false << true << 64 << 30 << false << (more ? 40 : 1);
        QTest::newRow("64-entry FAT16 root full, longer names") << false << false << 64 << 32 << true << (more ? 5 : 1);
        // One run: with the lister about, fusefat spends minutes of CPU on a full 512-entry root
        // on some machines (over ten here), and the lane must end within CI's time.
        QTest::newRow("512-entry FAT16 root, 253 files") << false << false << 512 << 253 << false << 1;
    }
    void nearlyFullFatFolderLosesNothing()
    {
        QFETCH(bool, exfat);
        QFETCH(bool, reader);
        QFETCH(int, rootEntries);
        QFETCH(int, files);
        QFETCH(bool, longNames);
        QFETCH(int, runs);
        // Minutes on two cores: `make test-long` runs it, `make test` does not.
        if (files > 100 && !test::longLane())
            QSKIP("a full 512-entry root takes minutes on fusefat; VELMIX_LONG_TESTS=1 (make test-long) runs it");
        test::MountedImage image(exfat ? test::MountedImage::FileSystem::ExFat : test::MountedImage::FileSystem::Fat,
                                 test::mediaRoot(), rootEntries);
        if (!image.skipReason().isEmpty())
            QSKIP(qPrintable(image.skipReason()));
        QVERIFY2(image.failure().isEmpty(), qPrintable(image.failure()));
        const QByteArray root = QFile::encodeName(image.mountPoint());
        const Names sources = cameraNames(files);
        QStringList targets = lowerCased(sources);
        if (longNames)
            std::transform(targets.begin(), targets.end(), targets.begin(), [](const QString &t) { return QStringLiteral("photo of ") + t; });
        std::atomic<bool> listing = true;
        std::thread lister([&] { // names and their status, as `ls -l` gives them
            while (listing)
                (void)QDir(QFile::decodeName(root)).entryInfoList(QDir::Files);
        });
        QProcess thumbnailer; // in a process group of its own, so that its `cat` stops with it
        thumbnailer.setChildProcessModifier([] { (void)::setpgid(0, 0); });
        auto stopReading = [&] {
            if (thumbnailer.state() == QProcess::NotRunning)
                return;
            (void)::kill(-pid_t(thumbnailer.processId()), SIGKILL);
            thumbnailer.waitForFinished();
        };
        // exfat-fuse's daemon aborts now and then with a reader about, also while the files
        // are made and with no rename at all: the image is mounted again, and an apply it
        // stopped must have said so and lost nothing.
        int lost = 0, full = 0, deaths = 0;
        for (int run = 0; run < runs; ++run) {
            // Each run's own contents: a file of an earlier run that the reader held open
            // as it was removed stays as ".fuse_hidden…" for a while.
            auto content = [run](const QByteArray &name) { return name + '#' + QByteArray::number(run); };
            if (reader)
                thumbnailer.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("while :; do cat \"$0\"/* > /dev/null 2>&1; done"),
                                                         image.mountPoint()});
            const bool made = std::all_of(sources.begin(), sources.end(), [&](const QByteArray &name) {
                const int fd = ::open((root + '/' + name).constData(), O_CREAT | O_EXCL | O_WRONLY, 0644);
                const bool written = fd >= 0 && ::write(fd, content(name).constData(), size_t(content(name).size())) == content(name).size();
                return ::close(fd) == 0 && written;
            });
            int error = 0;
            auto mover = made ? PosixFileMover().openFolder(root, error) : nullptr;
            const bool applied = bool(mover);
            const RenameOutcome outcome = applied ? test::renameAsListed(*mover, test::decodedColumn(sources), test::column(targets))
                                                  : RenameOutcome{};
            mover.reset(); // its open folder would keep a dead mount busy
            // The files are read once the reader has stopped: fusefat hands out zeros now and
            // then to a read made while another process reads, renamed files or not.
            stopReading();
            struct stat folder;
            if (!applied || outcome.mediumGone || ::stat(root.constData(), &folder) != 0) {
                ++deaths;
                QVERIFY2(exfat, "fusefat's daemon died");
                QVERIFY2(image.remount(), qPrintable(image.failure()));
                QVERIFY(!applied || outcome.mediumGone);
                QVERIFY(std::all_of(outcome.failures.begin(), outcome.failures.end(),
                                    [](const RenameFailure &f) { return !f.temporaryName.isEmpty(); }));
            }
            for (const RenameFailure &failure : outcome.failures)
                full += reasonText(failure) == u"на диске нет места";
            // Each file once, under its old name, its new one or where the apply said it left it.
            const auto lostIn = [&](const QMap<QByteArray, QByteArray> &contents) {
                int missing = 0;
                for (qsizetype row = 0; applied && row < sources.size(); ++row) {
                    const QList<QByteArray> names = contents.keys(content(sources[row]));
                    missing += names.size() != 1
                               || !QList<QByteArray>{sources[row], targets[row].toUtf8(), outcome.finalNames.at(size_t(row))}.contains(names[0]);
                }
                return missing;
            };
            QMap<QByteArray, QByteArray> contents = test::folderContents(root);
            if (lostIn(contents) > 0) {
                // A read the reader raced may have left zeros in the kernel's cache, not on
                // the medium: the medium, mounted again, is asked again; the first answer shown.
                qInfo() << "read while a reader was about:" << contents;
                QVERIFY2(image.remount(), qPrintable(image.failure()));
                contents = test::folderContents(root);
            }
            lost += lostIn(contents);
            for (const QByteArray &name : contents.keys())
                (void)::unlink((root + '/' + name).constData());
        }
        listing = false;
        lister.join();
        qInfo("%d runs of %d files: %d lost, %d rows with no room, the daemon died %d times", runs, files, lost, full, deaths);
        QCOMPARE(lost, 0);
        if (longNames)
            QCOMPARE(full, runs * files); // fusefat gives the same EPERM as for a name it refuses
    }

private:
    test::TestMedia m_media;
};

QTEST_GUILESS_MAIN(TestRenameMedia)
#include "tst_rename_media.moc"
