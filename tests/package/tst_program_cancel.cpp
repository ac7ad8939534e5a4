#include "MountedImage.h"
#include "ProgressWindow.h"
#include "RenameFolder.h"
#include "TestSupport.h"
#include "WindowLayout.h"
#include "XvfbSession.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <cstdlib>
#include <functional>
#include <optional>

// The real program on its own X server renames files on a FAT image mounted through
// fusefat, where each rename takes milliseconds: the apply outlasts the delay, its
// progress window shows, and a click on "Отмена" there stops it, as does closing that
// window as a window manager asks (Alt+F4, its close button), or closing the Velmix
// window, with or without a window manager or by its own round button, after which the
// program ends. Every file is
// then under its old name or its new one, none under a temporary name and none lost.
// Killed instead, the program started again offers to finish the batch, and then takes
// back that apply and one more, one Ctrl+Z each, after another restart.
namespace {

constexpr int Files = 150;
// The kill needs only an apply still under way when it lands, a few files in, which the
// test sees within a few milliseconds; fewer files keep short the four whole batches that
// follow on fusefat, a slow rename each.
constexpr int KilledFiles = 40;

// What stops the apply: "Отмена", closing the progress window, or closing the Velmix window
// as asked from outside or by its round button.
enum class Stop { Cancel, CloseProgress, CloseWindow, RoundButton };

QByteArray oldName(int i)
{
    return "IMG_" + QByteArray::number(i).rightJustified(4, '0') + ".JPG";
}

QByteArray newName(int i)
{
    return "photo" + QByteArray::number(i) + ".JPG";
}

// The first `count` photos, each holding its own name, so a rename traces back.
QMap<QByteArray, QByteArray> photos(int count)
{
    QMap<QByteArray, QByteArray> files;
    for (int i = 1; i <= count; ++i)
        files.insert(oldName(i), oldName(i));
    return files;
}

// Whether the folder holds all `count` files under a name starting with `prefix`, and nothing else.
bool allStartWith(const QByteArray &folder, const QByteArray &prefix, int count)
{
    const QMap<QByteArray, QByteArray> contents = velmix::test::folderContents(folder);
    QSet<QByteArray> kept;
    for (auto it = contents.begin(); it != contents.end(); ++it)
        if (it.key().startsWith(prefix))
            kept.insert(it.value());
    return contents.size() == count && kept.size() == count;
}

// Whether each of the `count` files of the folder has the name `name` gives it, and nothing
// else is there.
bool allNamed(const QByteArray &folder, const std::function<QByteArray(int)> &name, int count)
{
    const QMap<QByteArray, QByteArray> contents = velmix::test::folderContents(folder);
    if (contents.size() != count)
        return false;
    for (int i = 1; i <= count; ++i)
        if (contents.value(name(i)) != oldName(i))
            return false;
    return true;
}

} // namespace

Q_DECLARE_METATYPE(Stop)

class TestProgramCancel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cancelStopsAnApplyOnFat_data()
    {
        QTest::addColumn<Stop>("stop");
        QTest::addColumn<bool>("windowManager");
        // Each row is a whole batch on fusefat and a program under Xvfb: every `make test`
        // stops it with the button, `make test-long` all five ways.
        const bool all = velmix::test::longLane();
        QTest::newRow("Отмена") << Stop::Cancel << false;
        if (all)
            QTest::newRow("close request") << Stop::CloseProgress << false;
        // Closing the Velmix window stops the work, and the program ends once it has stopped.
        if (all)
            QTest::newRow("closing the window") << Stop::CloseWindow << false;
        if (all)
            QTest::newRow("closing the window, openbox") << Stop::CloseWindow << true;
        if (all)
            QTest::newRow("the round close button, openbox") << Stop::RoundButton << true;
    }
    void cancelStopsAnApplyOnFat()
    {
        QFETCH(Stop, stop);
        QFETCH(bool, windowManager);
        // The program, which works in the image, ends before the image is unmounted.
        std::optional<velmix::test::MountedImage> mounted;
        velmix::test::XvfbSession x;
        if (const QString tool = velmix::test::XvfbSession::missingTool(); !tool.isEmpty())
            QSKIP(qPrintable(tool + " is not installed"));
        QDir().mkpath(VELMIX_TEST_MEDIA_ROOT);
        // FAT32: fusefat moves no file in a subfolder of FAT16, which it may damage. The
        // files are put in the image once; each row takes a copy of that image.
        if (!m_photos) {
            m_photos.emplace(velmix::test::MountedImage::FileSystem::Fat32, VELMIX_TEST_MEDIA_ROOT);
            if (m_photos->skipReason().isEmpty() && m_photos->failure().isEmpty())
                (void)m_photos->writeFolder("photos", photos(Files));
        }
        mounted.emplace(*m_photos, VELMIX_TEST_MEDIA_ROOT);
        const velmix::test::MountedImage &image = *mounted;
        if (!image.skipReason().isEmpty())
            QSKIP(qPrintable(image.skipReason()));
        QVERIFY2(image.failure().isEmpty(), qPrintable(image.failure()));
        const QByteArray folder = QFile::encodeName(image.mountPoint()) + "/photos";
        QVERIFY(allNamed(folder, oldName, Files));

        QVERIFY(x.start("1000x800"));
        if (windowManager && !x.startWindowManager())
            QSKIP("openbox is not installed");
        QVERIFY(x.launch(VELMIX_PROGRAM, QFile::decodeName(folder), {}));
        const QString main = x.waitForWindow("Velmix V2.0.1");
        QVERIFY(!main.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(x.visibleWindows().size() == 1, 10000);
        const QPoint window = x.visibleWindows().first().topLeft();

        QVERIFY(x.click(window + velmix::WindowLayout::placeOf("TxtName").center()));
        QVERIFY(x.run("xdotool", {"key", "--delay", "15", "End", "BackSpace"}));
        QVERIFY(x.run("xdotool", {"type", "--delay", "15", "photo"}));
        QVERIFY(x.click(window + velmix::WindowLayout::placeOf("ImgApply").center()));

        QRect progress;
        QString progressId;
        QTRY_VERIFY_WITH_TIMEOUT(x.visibleWindows().size() == 2, 10000);
        for (const QString &id : x.visibleWindowIds())
            if (x.geometry(id).size() == velmix::ProgressWindow::Size) {
                progress = x.geometry(id);
                progressId = id;
            }
        QVERIFY(progress.isValid());
        switch (stop) {
        case Stop::Cancel:
            QVERIFY(x.click(progress.topLeft() + velmix::ProgressWindow::CancelPlace.center()));
            break;
        case Stop::CloseProgress:
            QVERIFY(x.requestClose(progressId));
            break;
        case Stop::CloseWindow:
            using By = velmix::test::XvfbSession::CloseBy;
            QVERIFY(x.requestClose(main, windowManager ? By::WindowManager : By::Message));
            break;
        case Stop::RoundButton:
            QVERIFY(x.click(window + velmix::WindowLayout::placeOf("PicClose").center()));
            break;
        }
        if (stop == Stop::CloseWindow || stop == Stop::RoundButton) {
            // No box holds it open: the cancel's summary goes to standard error.
            QTRY_VERIFY_WITH_TIMEOUT(x.programEnded(), 60000);
            QVERIFY(x.programErrors().contains("Переименование прервано."));
        } else {
            // The progress window goes and the box that tells of the cancel comes. Judged from
            // one listing at a time: windows coming and going can make two disagree.
            QVERIFY(QTest::qWaitFor([&] {
                const QList<QRect> shown = x.visibleWindows();
                return shown.size() == 2 && !shown.contains(progress);
            }, 60000));
        }

        const QMap<QByteArray, QByteArray> contents = velmix::test::folderContents(folder);
        QCOMPARE(contents.size(), Files);
        int renamed = 0;
        for (int i = 1; i <= Files; ++i) {
            if (contents.value(newName(i)) == oldName(i))
                ++renamed;
            else
                QCOMPARE(contents.value(oldName(i)), oldName(i));
        }
        qInfo("%d of %d files renamed before the cancel", renamed, Files);
        QVERIFY(renamed > 0 && renamed < Files);
    }

    void killedApplyIsRepairedThenUndoneAfterRestarts()
    {
        std::optional<velmix::test::MountedImage> mounted;
        velmix::test::XvfbSession x;
        if (const QString tool = velmix::test::XvfbSession::missingTool(); !tool.isEmpty())
            QSKIP(qPrintable(tool + " is not installed"));
        QDir().mkpath(VELMIX_TEST_MEDIA_ROOT);
        mounted.emplace(velmix::test::MountedImage::FileSystem::Fat32, VELMIX_TEST_MEDIA_ROOT);
        if (mounted->skipReason().isEmpty() && mounted->failure().isEmpty())
            (void)mounted->writeFolder("photos", photos(KilledFiles));
        if (!mounted->skipReason().isEmpty())
            QSKIP(qPrintable(mounted->skipReason()));
        QVERIFY2(mounted->failure().isEmpty(), qPrintable(mounted->failure()));
        const QByteArray folder = QFile::encodeName(mounted->mountPoint()) + "/photos";
        QVERIFY(x.start("1000x800"));
        QPoint window;
        const auto start = [&] {
            QVERIFY(x.launch(VELMIX_PROGRAM, QFile::decodeName(folder), {}));
            QVERIFY(!x.waitForWindow("Velmix V2.0.1").isEmpty());
            QTRY_VERIFY_WITH_TIMEOUT(!x.visibleWindows("Velmix V2.0.1").isEmpty(), 10000);
            window = x.visibleWindows("Velmix V2.0.1").first().topLeft();
        };
        const auto apply = [&](const char *base) {
            QVERIFY(x.click(window + velmix::WindowLayout::placeOf("TxtName").center()));
            QVERIFY(x.run("xdotool", {"key", "--delay", "15", "End", "BackSpace"}));
            QVERIFY(x.run("xdotool", {"type", "--delay", "15", base}));
            QVERIFY(x.click(window + velmix::WindowLayout::placeOf("ImgApply").center()));
        };
        // A box is answered "Да", its default, with Enter once a click gave it the focus.
        const auto answerYes = [&](const QString &title) {
            QTRY_VERIFY_WITH_TIMEOUT(!x.visibleWindows(title).isEmpty(), 20000);
            QVERIFY(x.click(x.visibleWindows(title).first().topLeft() + QPoint(8, 8)));
            QVERIFY(x.run("xdotool", {"key", "Return"}));
            // At a load average of 14 the box took over ten seconds to go.
            QTRY_VERIFY_WITH_TIMEOUT(x.visibleWindows(title).isEmpty(), 60000);
        };

        start();
        apply("photo");
        // Killed once some files have their new names: looked at every few milliseconds, as
        // QTRY's 50 ms would let a small batch run on.
        QVERIFY(QTest::qWaitFor([&] { return !QDir(QFile::decodeName(folder)).entryList({"photo*"}).isEmpty(); }, 20000));
        QVERIFY(x.killProgram());
        const QMap<QByteArray, QByteArray> killed = velmix::test::folderContents(folder);
        QVERIFY(!allNamed(folder, [](int i) { return newName(i); }, KilledFiles));
        QCOMPARE(QDir(x.stateFolder()).entryList({"*.journal"}).size(), 1);

        // As after a while, under memory pressure or with a new daemon: fusefat numbers the
        // files anew. Mounted again, not by making the whole kernel forget, which would
        // renumber the files of other tests' media between their kill and their repair.
        QVERIFY2(mounted->remount(), qPrintable(mounted->failure()));
        start(); // the repair's box, centred over the window
        QTRY_VERIFY_WITH_TIMEOUT(!x.visibleWindows("Прерванное переименование").isEmpty(), 20000);
        // Within the room a window manager's frame takes.
        const QPoint offCentre = x.visibleWindows("Прерванное переименование").first().center()
                                 - x.visibleWindows("Velmix V2.0.1").first().center();
        QVERIFY2(std::abs(offCentre.x()) <= 48 && std::abs(offCentre.y()) <= 48,
                 qPrintable(QStringLiteral("%1, %2").arg(offCentre.x()).arg(offCentre.y())));
        answerYes("Прерванное переименование");
        if (!QTest::qWaitFor([&] { return allNamed(folder, [](int i) { return newName(i); }, KilledFiles); }, 60000))
            qInfo() << QDir(QFile::decodeName(folder)).entryList() << QDir(x.stateFolder()).entryList();
        QVERIFY(allNamed(folder, [](int i) { return newName(i); }, KilledFiles));
        qInfo("%lld entries after the kill, all %d files under their new names after the repair",
              qlonglong(killed.size()), KilledFiles);

        const auto windowNames = [&] {
            QStringList names;
            for (const QString &id : x.visibleWindowIds())
                names << x.run("xdotool", {"getwindowname", id}).value_or("?").trimmed();
            return names;
        };
        QTRY_COMPARE_WITH_TIMEOUT(windowNames(), QStringList{"Velmix V2.0.1"}, 10000);
        apply("pic");
        QTRY_VERIFY_WITH_TIMEOUT(allStartWith(folder, "pic", KilledFiles), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(x.visibleWindows().size() == 1, 10000);
        QVERIFY(x.killProgram());
        start();
        for (const auto &expected : {std::function<QByteArray(int)>([](int i) { return newName(i); }),
                                     std::function<QByteArray(int)>(oldName)}) {
            QVERIFY(x.click(window + velmix::WindowLayout::placeOf("FlexGrid1").center()));
            QVERIFY(x.run("xdotool", {"key", "ctrl+z"}));
            answerYes("Возврат прежних имён");
            if (!QTest::qWaitFor([&] { return allNamed(folder, expected, KilledFiles); }, 60000))
                qInfo() << windowNames() << QDir(QFile::decodeName(folder)).entryList().mid(0, 4);
            QVERIFY(allNamed(folder, expected, KilledFiles));
        }
        // The undo sets the journal aside once its last file is back, a moment after the test saw it.
        QTRY_VERIFY_WITH_TIMEOUT(QDir(x.stateFolder()).entryList({"*.journal"}).isEmpty(), 10000);
    }

private:
    std::optional<velmix::test::MountedImage> m_photos; // the files every cancel row starts from
};

QTEST_MAIN(TestProgramCancel)
#include "tst_program_cancel.moc"
