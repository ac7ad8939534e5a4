#include "WindowFixture.h"

#include "HiddenFileList.h"

#include <QTreeWidget>

using namespace velmix;

namespace {

QTreeWidgetItem *entry(QTreeWidget *tree, const QString &name)
{
    const QList<QTreeWidgetItem *> found = tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

QStringList entries(QTreeWidget *tree)
{
    QStringList names;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        names.append((*it)->text(0));
    return names;
}

// Ticks an option, so a test can see a flow reset it.
void tickOptions(const test::WindowFixture &f)
{
    QTest::mouseClick(f.button("PicBig"), Qt::LeftButton);
    QVERIFY(f.pending());
}

void verifyReset(const test::WindowFixture &f)
{
    QCOMPARE(f.ticked(), QStringList());
    QVERIFY(!f.pending());
    for (int row = 0; row < f.grid()->model()->rowCount(); ++row)
        QCOMPARE(f.cell(row, 1), f.cell(row, 0));
}

} // namespace

class TestWindowFlows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void maskChange()
    {
        test::WindowFixture f({"a.mp3", "b.wav", "c.txt"});
        tickOptions(f);
        test::WindowFixture::pick(f.list("cboMask"), 3); // "*.mp3;*.wav"
        QCOMPARE(f.grid()->model()->rowCount(), 2);
        QCOMPARE(f.cell(1, 0), "b.wav");
        QCOMPARE(f.control<HiddenFileList>("File1")->pattern(), "*.mp3;*.wav");
        verifyReset(f);
    }

    void sameMaskAgainStillResets()
    {
        test::WindowFixture f({"a.mp3"});
        tickOptions(f);
        test::WindowFixture::pick(f.list("cboMask"), 0);
        verifyReset(f);
    }

    void folderListShowsChainAndSubfolders()
    {
        test::WindowFixture f({"a.txt", "sub/b.txt", "Подпапка/c.txt"});
        auto *dir1 = f.control<QTreeWidget>("Dir1");
        const QStringList chain = f.folder.path().split('/', Qt::SkipEmptyParts);
        QCOMPARE(entries(dir1), QStringList({"/"}) + chain + QStringList({"sub", "Подпапка"}));
        QCOMPARE(dir1->currentItem()->text(0), chain.last());
        QCOMPARE(dir1->currentItem()->childCount(), 2);
    }

    void folderOpensOnDoubleClickOrEnter_data()
    {
        QTest::addColumn<bool>("byEnter");
        QTest::newRow("double click") << false;
        QTest::newRow("Enter") << true;
    }
    void folderOpensOnDoubleClickOrEnter()
    {
        QFETCH(bool, byEnter);
        test::WindowFixture f({"top.txt", "Музыка/x.mp3", "Музыка/y.mp3"});
        tickOptions(f);
        auto *dir1 = f.control<QTreeWidget>("Dir1");
        QTreeWidgetItem *music = entry(dir1, "Музыка");
        QVERIFY(music);
        const QPoint at = dir1->visualItemRect(music).center();
        QTest::mouseClick(dir1->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(f.window->core().folder(), f.folder.path()); // a single click opens nothing
        if (byEnter) {
            QTest::keyClick(dir1, Qt::Key_Return);
        } else {
            QTest::mouseDClick(dir1->viewport(), Qt::LeftButton, {}, at);
        }
        QTRY_COMPARE(f.window->core().folder(), f.folder.filePath("Музыка"));
        QCOMPARE(f.grid()->model()->rowCount(), 2);
        QCOMPARE(f.cell(0, 0), "x.mp3");
        QCOMPARE(f.control<HiddenFileList>("File1")->path(), f.folder.filePath("Музыка"));
        QCOMPARE(dir1->currentItem()->text(0), "Музыка");
        verifyReset(f);
    }

    void driveChange()
    {
        test::TempFolder other;
        other.createFiles({"on other drive.txt"});
        test::WindowFixture f({"a.txt"}, {"/", other.path()});
        tickOptions(f);
        QComboBox *drive1 = f.list("Drive1");
        QCOMPARE(drive1->count(), 2);
        test::WindowFixture::pick(drive1, 1);
        QCOMPARE(drive1->currentText(), other.path());
        QCOMPARE(f.window->core().folder(), other.path());
        QCOMPARE(f.cell(0, 0), "on other drive.txt");
        verifyReset(f);
        auto *dir1 = f.control<QTreeWidget>("Dir1");
        QCOMPARE(dir1->topLevelItem(0)->text(0), other.path());
        QVERIFY(f.messages.shown.isEmpty());
    }

    void driveNotReadyFallsBackSilently()
    {
        test::WindowFixture f({"a.txt"}, {"/", "/nonexistent/velmix-drive"});
        const QString folder = f.window->core().folder();
        const int drive = f.list("Drive1")->currentIndex();
        tickOptions(f);
        test::WindowFixture::pick(f.list("Drive1"), 1);
        QCOMPARE(f.list("Drive1")->currentIndex(), drive);
        QCOMPARE(f.window->core().folder(), folder);
        QCOMPARE(f.cell(0, 0), "a.txt");
        verifyReset(f);
        QVERIFY(f.messages.shown.isEmpty());
    }

    void applyAndReset()
    {
        test::WindowFixture f({"one two.txt", "three.TXT"});
        QTest::mouseClick(f.button("PicPod"), Qt::LeftButton);
        QTest::mouseClick(f.button("PicBig"), Qt::LeftButton);
        QTest::mouseClick(f.button("ImgApply"), Qt::LeftButton);
        QCOMPARE(f.folder.files(), QStringList({"ONE_TWO.TXT", "THREE.TXT"}));
        verifyReset(f);
        QCOMPARE(f.cell(0, 0), "ONE_TWO.TXT");
        QVERIFY(f.messages.shown.isEmpty());

        // The reset shows the options' first state in the boxes too.
        QLineEdit *name = f.textBox("TxtName");
        name->setFocus();
        QTRY_VERIFY(name->hasFocus());
        name->selectAll();
        test::typeKey(name, Qt::Key_Z, "z");
        QCOMPARE(f.cell(0, 1), "z1.TXT");
        QTest::mouseClick(f.button("ImgChancel"), Qt::LeftButton);
        QCOMPARE(name->text(), "-");
        verifyReset(f);
    }
};

QTEST_MAIN(TestWindowFlows)
#include "tst_window_flows.moc"
