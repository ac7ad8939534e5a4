#include "MountedImage.h"
#include "ProgressWindow.h"
#include "RenameFolder.h"
#include "WindowLayout.h"
#include "XvfbSession.h"

#include <QDir>
#include <QFile>

#include <optional>

// The real program on its own X server renames files on a FAT image mounted through
// fusefat, where each rename takes milliseconds: the apply outlasts the delay, its
// progress window shows, and a click on "Отмена" there stops it. Every file is then under
// its old name or its new one, none under a temporary name and none lost.
namespace {

constexpr int Files = 300;

QByteArray oldName(int i)
{
    return "IMG_" + QByteArray::number(i).rightJustified(4, '0') + ".JPG";
}

QByteArray newName(int i)
{
    return "photo" + QByteArray::number(i) + ".JPG";
}

} // namespace

class TestProgramCancel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cancelStopsAnApplyOnFat()
    {
        if (const QString tool = velmix::test::XvfbSession::missingTool(); !tool.isEmpty())
            QSKIP(qPrintable(tool + " is not installed"));
        QDir().mkpath(VELMIX_TEST_MEDIA_ROOT);
        m_image.emplace(velmix::test::MountedImage::FileSystem::Fat, VELMIX_TEST_MEDIA_ROOT);
        const velmix::test::MountedImage &image = *m_image;
        if (!image.skipReason().isEmpty())
            QSKIP(qPrintable(image.skipReason()));
        QVERIFY2(image.failure().isEmpty(), qPrintable(image.failure()));
        // A subfolder: the root folder of a FAT16 volume holds too few entries.
        const QByteArray folder = QFile::encodeName(image.mountPoint()) + "/photos";
        QVERIFY(QDir().mkdir(QFile::decodeName(folder)));
        for (int i = 1; i <= Files; ++i)
            velmix::test::createFile(folder, oldName(i), oldName(i));

        QVERIFY(m_x.start("1000x800"));
        QVERIFY(m_x.launch(VELMIX_PROGRAM, QFile::decodeName(folder), {}));
        QVERIFY(m_x.run("xdotool", {"search", "--sync", "--onlyvisible", "--name", "Velmix V2.0"}));
        QTRY_VERIFY_WITH_TIMEOUT(m_x.visibleWindows().size() == 1, 10000);
        const QPoint window = m_x.visibleWindows().first().topLeft();

        QVERIFY(m_x.click(window + velmix::WindowLayout::placeOf("TxtName").center()));
        QVERIFY(m_x.run("xdotool", {"key", "--delay", "50", "End", "BackSpace"}));
        QVERIFY(m_x.run("xdotool", {"type", "--delay", "50", "photo"}));
        QVERIFY(m_x.click(window + velmix::WindowLayout::placeOf("ImgApply").center()));

        QRect progress;
        QTRY_VERIFY_WITH_TIMEOUT(m_x.visibleWindows().size() == 2, 10000);
        for (const QRect &rect : m_x.visibleWindows())
            if (rect.size() == velmix::ProgressWindow::Size)
                progress = rect;
        QVERIFY(progress.isValid());
        QVERIFY(m_x.click(progress.topLeft() + velmix::ProgressWindow::CancelPlace.center()));
        // The progress window goes and the box that tells of the cancel comes.
        QTRY_VERIFY_WITH_TIMEOUT(m_x.visibleWindows().size() == 2 && !m_x.visibleWindows().contains(progress), 30000);

        const QMap<QByteArray, QByteArray> contents = velmix::test::folderContents(folder);
        QCOMPARE(contents.size(), Files);
        int renamed = 0;
        for (int i = 1; i <= Files; ++i) {
            if (contents.value(newName(i)) == oldName(i))
                ++renamed;
            else
                QCOMPARE(contents.value(oldName(i)), oldName(i));
        }
        QVERIFY2(renamed > 0 && renamed < Files, qPrintable(QString::number(renamed)));
    }

private:
    // The program, which works in the image, ends before the image is unmounted.
    std::optional<velmix::test::MountedImage> m_image;
    velmix::test::XvfbSession m_x;
};

QTEST_MAIN(TestProgramCancel)
#include "tst_program_cancel.moc"
