#include "WindowFixture.h"
#include "FileGridModel.h"

#include "HiddenFileList.h"
#include "RulesPanel.h"
#include "SampleMedia.h"
#include "WidgetMessageBox.h"
#include "WindowOutline.h"
#include "text/FileNameCodec.h"

#include <QAccessible>
#include <QApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>

#include <sys/stat.h>

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

// Drags `data` onto `widget` and drops it there, as a file manager does; whether the
// drop was taken.
bool drop(QWidget *widget, const QMimeData &data)
{
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(widget, &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(widget, &drop);
    return enter.isAccepted() && drop.isAccepted();
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

    // A mask typed into the list applies on Enter or when the focus leaves, joins the
    // entries and is what a screen reader reads; one holding "/" is put back.
    void typedMask_data()
    {
        QTest::addColumn<bool>("byEnter");
        QTest::newRow("Enter") << true;
        QTest::newRow("focus leaves") << false;
    }
    void typedMask()
    {
        QFETCH(bool, byEnter);
        test::WindowFixture f({"a.heic", "B.HEIC", "c.txt"});
        tickOptions(f);
        QComboBox *mask = f.list("cboMask");
        const auto type = [&](const QString &text) {
            mask->setFocus();
            QTRY_VERIFY(mask->hasFocus());
            mask->lineEdit()->selectAll();
            QTest::keyClicks(mask, text);
            if (byEnter)
                QTest::keyClick(mask, Qt::Key_Return);
            else
                f.grid()->setFocus();
        };
        type("*.heic");
        QTRY_COMPARE(f.grid()->model()->rowCount(), 2);
        QCOMPARE(f.cell(1, 0), "B.HEIC");
        verifyReset(f);
        QCOMPARE(mask->itemText(mask->count() - 1), "*.heic");
        QCOMPARE(QAccessible::queryAccessibleInterface(mask)->text(QAccessible::Value), "*.heic");
        type("*/x");
        QTRY_COMPARE(mask->lineEdit()->text(), "*.heic");
        QCOMPARE(f.window->core().maskText(), "*.heic");
    }

    // Folders and files dropped from a file manager, on the window or on a text box,
    // open as a pick in the lists does; the drive list follows.
    void dropOpensFolder_data()
    {
        QTest::addColumn<QByteArrayList>("dropped"); // below the other drive
        QTest::addColumn<QByteArray>("opened");
        QTest::addColumn<QString>("target");
        QTest::newRow("folder") << QByteArrayList{""} << QByteArray() << "frmVelmix";
        QTest::newRow("files on a text box") << QByteArrayList{"sub/z.txt", "x.txt"} << QByteArray("/sub") << "TxtName";
        QTest::newRow("folder not UTF-8") << QByteArrayList{"caf\xe9"} << QByteArray("/caf\xe9") << "frmVelmix";
    }
    void dropOpensFolder()
    {
        QFETCH(QByteArrayList, dropped);
        QFETCH(QByteArray, opened);
        QFETCH(QString, target);
        test::TempFolder other;
        other.createFiles({"x.txt", "sub/z.txt"});
        const QByteArray root = QFile::encodeName(other.path());
        QVERIFY(::mkdir(root + "/caf\xe9", 0755) == 0);
        const auto removeOdd = qScopeGuard([&] { ::rmdir(root + "/caf\xe9"); }); // QTemporaryDir cannot see it
        test::WindowFixture f({"a.txt"}, {"/", other.path()});
        tickOptions(f);
        QList<QUrl> urls;
        for (const QByteArray &path : std::as_const(dropped))
            urls.append(QUrl::fromEncoded("file://" + (root + '/' + path).toPercentEncoding("/")));
        QMimeData data;
        data.setUrls(urls);
        QVERIFY(drop(target == "TxtName" ? f.textBox("TxtName") : static_cast<QWidget *>(f.window.get()), data));
        QTRY_COMPARE(f.window->core().folder(), FileNameCodec::decode(root + opened));
        QCOMPARE(f.list("Drive1")->currentText(), other.path());
        QCOMPARE(f.cell(0, 0), opened.isEmpty() ? "x.txt" : opened == "/sub" ? "z.txt" : "");
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
        QCOMPARE(f.cell(0, 0), "on other drive.txt");
        verifyReset(f);
        auto *dir1 = f.control<QTreeWidget>("Dir1");
        QCOMPARE(dir1->topLevelItem(0)->text(0), other.path());
        QVERIFY(f.messages.shown.isEmpty());
    }

    // The core's tests cover the flow; here the list shows the drive it went back to.
    void driveNotReadyFallsBackSilently()
    {
        test::WindowFixture f({"a.txt"}, {"/", "/nonexistent/velmix-drive"});
        const int drive = f.list("Drive1")->currentIndex();
        test::WindowFixture::pick(f.list("Drive1"), 1);
        QCOMPARE(f.list("Drive1")->currentIndex(), drive);
        QVERIFY(f.messages.shown.isEmpty());
    }

    void applyAndReset()
    {
        test::WindowFixture f({"one two.txt", "three.TXT"});
        QTest::mouseClick(f.button("PicPod"), Qt::LeftButton);
        QTest::mouseClick(f.button("PicBig"), Qt::LeftButton);
        QTest::mouseClick(f.button("ImgApply"), Qt::LeftButton);
        QCOMPARE(f.folder.files(), QStringList({"ONE_TWO.TXT", "THREE.TXT"}));
        QCOMPARE(f.cell(0, 0), "ONE_TWO.TXT");
        auto *status = f.control<QLabel>("LblStatus");
        QCOMPARE(status->text(), "Переименовано 2 из 2"); // told in the window, no box to close
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
        QCOMPARE(status->text(), QString());
        verifyReset(f);
    }

    // A camera card's tree: "С подпапками" lists the files of DCIM's folders, each after its
    // folder, and a click on the box again leaves them out; the apply renames every file in
    // its own folder, and Ctrl+Z takes the whole tree back in one go.
    void cameraCardTree()
    {
        test::WindowFixture f({"DCIM/100CANON/IMG_0001.JPG", "DCIM/100CANON/IMG_0002.CR2", "DCIM/101CANON/IMG_0001.JPG",
                               "DCIM/.thumbnails/IMG_0001.JPG", "notes.txt"});
        const auto undoByKey = [&f] { // Ctrl+Z in the grid, the question answered "Да"
            f.messages.answers = {true};
            f.grid()->setFocus();
            QTRY_VERIFY(f.grid()->hasFocus());
            test::typeKey(f.grid(), Qt::Key_Z, "z", Qt::ControlModifier);
        };
        // The camera's two folders' files, under the names they were made with.
        const auto cardAsMade = [&f] { return f.folder.files("DCIM/100CANON") + f.folder.files("DCIM/101CANON"); };
        const auto switchOn = [&f](QAbstractButton *box, int rows) { // the rows the tree then lists
            QTest::mouseClick(box, Qt::LeftButton);
            QVERIFY(box->isChecked());
            QCOMPARE(f.grid()->model()->rowCount(), rows);
        };
        QAbstractButton *subfolders = f.button("PicSub");
        QCOMPARE(f.grid()->model()->rowCount(), 1);
        switchOn(subfolders, 4);
        QCOMPARE(f.cell(1, 0), "DCIM/100CANON/IMG_0001.JPG");
        QCOMPARE(f.cell(3, 0), "DCIM/101CANON/IMG_0001.JPG");
        QTest::mouseClick(f.button("PicSmall"), Qt::LeftButton);
        QCOMPARE(f.cell(3, 1), "img_0001.jpg");
        QTest::mouseClick(f.button("ImgApply"), Qt::LeftButton);
        QCOMPARE(f.folder.files("DCIM/100CANON"), QStringList({"img_0001.jpg", "img_0002.cr2"}));
        QCOMPARE(f.folder.files("DCIM/101CANON"), QStringList({"img_0001.jpg"}));
        QCOMPARE(f.folder.files("DCIM/.thumbnails"), QStringList({"IMG_0001.JPG"}));
        QVERIFY(subfolders->isChecked()); // the tree is listed again as it is now
        QCOMPARE(f.cell(1, 0), "DCIM/100CANON/img_0001.jpg");
        undoByKey();
        QCOMPARE(cardAsMade(), QStringList({"IMG_0001.JPG", "IMG_0002.CR2", "IMG_0001.JPG"}));
        QCOMPARE(f.folder.files(), QStringList({"notes.txt"}));
        // "Папки тоже": every folder of the tree a row of its own after its folder's files,
        // renamed in the same batch and taken back by the same Ctrl+Z.
        QAbstractButton *folders = f.button("PicFolders");
        switchOn(folders, 7);
        QCOMPARE(f.cell(1, 0), "DCIM/");
        QCOMPARE(f.cell(3, 0), "DCIM/101CANON/");
        QTest::mouseClick(f.button("PicSmall"), Qt::LeftButton);
        QCOMPARE(f.cell(2, 1), "100canon/");
        QTest::mouseClick(f.button("ImgApply"), Qt::LeftButton);
        QCOMPARE(f.folder.files("dcim/100canon"), QStringList({"img_0001.jpg", "img_0002.cr2"}));
        QCOMPARE(f.folder.files("dcim/.thumbnails"), QStringList({"IMG_0001.JPG"}));
        QCOMPARE(f.cell(1, 0), "dcim/");
        undoByKey();
        QCOMPARE(cardAsMade(), QStringList({"IMG_0001.JPG", "IMG_0002.CR2", "IMG_0001.JPG"}));
        QTest::mouseClick(subfolders, Qt::LeftButton);
        QVERIFY(!subfolders->isChecked());
        QCOMPARE(f.grid()->model()->rowCount(), 2); // notes.txt and DCIM/
        QTest::mouseClick(folders, Qt::LeftButton);
        QCOMPARE(f.grid()->model()->rowCount(), 1);
    }

    // "Связанные файлы вместе": a raw's JPEG and sidecar stand indented under it, say so,
    // take its new stem and number, and are renamed with it; a click again parts them.
    void pairsTogether()
    {
        test::WindowFixture f({"IMG_0001.CR2", "IMG_0001.JPG", "IMG_0001.xmp", "IMG_0002.JPG"});
        QAbstractButton *pairs = f.button("PicPairs");
        QTest::mouseClick(pairs, Qt::LeftButton);
        QVERIFY(pairs->isChecked());
        QCOMPARE(f.cell(1, 0), "    ↳ IMG_0001.JPG");
        const QAbstractItemModel *model = f.grid()->model();
        QCOMPARE(model->index(0, 0).data(Qt::AccessibleDescriptionRole).toString(), "связанных файлов вместе с ним: 2");
        QCOMPARE(model->index(2, 0).data(Qt::AccessibleDescriptionRole).toString(),
                 "связан с файлом «IMG_0001.CR2», переименуется вместе с ним");
        QVERIFY(model->index(3, 0).data(Qt::AccessibleDescriptionRole).isNull());
        auto *name = f.control<QLineEdit>("TxtName");
        name->setFocus();
        name->selectAll();
        test::typeKey(name, Qt::Key_Z, "z");
        QCOMPARE(f.cell(2, 1), "z1.xmp");
        QCOMPARE(f.cell(3, 1), "z2.JPG");
        QTest::mouseClick(f.button("ImgApply"), Qt::LeftButton);
        QCOMPARE(f.folder.files(), QStringList({"z1.CR2", "z1.JPG", "z1.xmp", "z2.JPG"}));
        QVERIFY(pairs->isChecked()); // the folder is listed again with the box as it was
        QCOMPARE(f.cell(1, 0), "    ↳ z1.JPG");
        QTest::mouseClick(pairs, Qt::LeftButton);
        QCOMPARE(f.cell(1, 0), "z1.JPG");
    }

    // A new name typed in the grid: F2 or Enter or a double-click opens it, Esc leaves it,
    // Enter keeps it through the options' rebuilds with a pencil and its words; the apply
    // renames by it and Ctrl+Z takes it back; an emptied edit gives the row back.
    void nameEditedByHand()
    {
        test::WindowFixture f({"IMG_0001.JPG", "IMG_0002.JPG"});
        QTableView *grid = f.grid();
        const auto typeInto = [&](Qt::Key opener, const QString &text, Qt::Key closer) {
            grid->setFocus();
            grid->setCurrentIndex(grid->model()->index(0, 0));
            test::typeKey(grid, opener);
            auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
            QVERIFY(editor);
            QCOMPARE(editor->text(), f.cell(0, 1));
            QCOMPARE(editor->selectedText(), f.cell(0, 1).chopped(4)); // the stem: what is typed keeps ".JPG"
            const QAccessibleInterface *spoken = QAccessible::queryAccessibleInterface(editor);
            QCOMPARE(spoken->role(), QAccessible::EditableText);
            QCOMPARE(spoken->text(QAccessible::Name), "Новое имя для «" + f.cell(0, 0) + "»");
            editor->selectAll();
            editor->insert(text); // as typed: QTest types ASCII only
            QTest::keyClick(editor, closer);
            QTRY_COMPARE(QApplication::focusWidget(), grid); // the editor closed
        };
        typeInto(Qt::Key_F2, "Отпуск", Qt::Key_Escape);
        QCOMPARE(f.cell(0, 1), "IMG_0001.JPG");
        typeInto(Qt::Key_Return, "Отпуск.JPG", Qt::Key_Return);
        QCOMPARE(f.newNames(), QStringList({"Отпуск.JPG", "IMG_0002.JPG"}));
        QVERIFY(f.pending());
        QTest::mouseClick(f.button("PicSmall"), Qt::LeftButton);
        QCOMPARE(f.newNames(), QStringList({"Отпуск.JPG", "img_0002.jpg"}));
        const QModelIndex edited = grid->model()->index(0, 1);
        QCOMPARE(edited.data(Qt::AccessibleDescriptionRole).toString(), "изменено вручную; изменено: «Отпуск»");
        QVERIFY(edited.data(Qt::DecorationRole).canConvert<QIcon>());
        QVERIFY(!grid->model()->index(1, 1).data(Qt::DecorationRole).isValid());

        // A double-click on the other row's new name; its name taken twice is marked.
        const QRect second = grid->visualRect(grid->model()->index(1, 1));
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, second.center());
        QTRY_VERIFY(qobject_cast<QLineEdit *>(QApplication::focusWidget()));
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        editor->selectAll();
        editor->insert("Отпуск.JPG");
        QTest::keyClick(editor, Qt::Key_Enter);
        QTRY_COMPARE(QApplication::focusWidget(), grid);
        QCOMPARE(grid->model()->index(1, 1).data(Qt::AccessibleDescriptionRole).toString(),
                 "это имя получает другой файл; изменено вручную; изменено: «Отпуск»");
        typeInto(Qt::Key_F2, QString(), Qt::Key_Return); // emptied: row 0 back to the options
        QCOMPARE(f.newNames(), QStringList({"img_0001.jpg", "Отпуск.JPG"}));
        QCOMPARE(edited.data(Qt::AccessibleDescriptionRole).toString(), "изменено: «img», «jpg»"); // no longer by hand

        QTest::mouseClick(f.button("ImgApply"), Qt::LeftButton);
        QCOMPARE(f.folder.files(), QStringList({"img_0001.jpg", "Отпуск.JPG"}));
        QVERIFY(!grid->model()->index(1, 1).data(Qt::DecorationRole).isValid()); // the apply ends it
        f.messages.answers = {true};
        test::typeKey(grid, Qt::Key_Z, "z", Qt::ControlModifier);
        QCOMPARE(f.folder.files(), QStringList({"IMG_0001.JPG", "IMG_0002.JPG"}));
    }

    // A click on a header sorts the rows, a second the other way; Alt+Up moves the selected
    // row; the numbers follow the rows as shown, the order list says so, and the apply
    // renames by them.
    void rowsInAnOrderOfOnesOwn()
    {
        test::WindowFixture f({"s1.txt", "s10.txt", "s2.txt"});
        QTableView *grid = f.grid();
        QLineEdit *name = f.textBox("TxtName");
        name->setFocus();
        QTRY_VERIFY(name->hasFocus());
        name->selectAll();
        test::typeKey(name, Qt::Key_X, "x");
        const auto oldNames = [&] {
            return QStringList({f.cell(0, 0), f.cell(1, 0), f.cell(2, 0)});
        };
        QHeaderView *header = grid->horizontalHeader();
        const QPoint oldColumn(header->sectionViewportPosition(0) + 10, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, oldColumn);
        QCOMPARE(oldNames(), QStringList({"s1.txt", "s2.txt", "s10.txt"}));
        QCOMPARE(f.list("CboOrder")->currentText(), "как в таблице");
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, oldColumn);
        QCOMPARE(oldNames(), QStringList({"s10.txt", "s2.txt", "s1.txt"}));
        QCOMPARE(f.newNames(), QStringList({"x1.txt", "x2.txt", "x3.txt"}));
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);

        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(2, 0));
        test::typeKey(grid, Qt::Key_Up, {}, Qt::AltModifier);
        QCOMPARE(oldNames(), QStringList({"s10.txt", "s1.txt", "s2.txt"}));
        QCOMPARE(grid->currentIndex().row(), 1); // the moved row stays selected
        QVERIFY(!header->isSortIndicatorShown());
        QCOMPARE(f.newNames(), QStringList({"x1.txt", "x2.txt", "x3.txt"}));
        QFile first(f.folder.path() + "/s1.txt");
        QVERIFY(first.open(QIODevice::WriteOnly) && first.write("s1") == 2);
        first.close();
        QTest::mouseClick(f.button("ImgApply"), Qt::LeftButton);
        QCOMPARE(f.folder.files(), QStringList({"x1.txt", "x2.txt", "x3.txt"}));
        QFile second(f.folder.path() + "/x2.txt");
        QVERIFY(second.open(QIODevice::ReadOnly));
        QCOMPARE(second.readAll(), "s1");
    }

    // A date in the names brings the date column, the date each name takes; its header
    // sorts by date, numbered as shown. Another order and names without a date take it away.
    void dateColumnComesWithDates()
    {
        test::WindowFixture f({"IMG_20260714_100000.jpg", "PXL_20260713_090000.jpg"});
        QTableView *grid = f.grid();
        QCOMPARE(grid->model()->columnCount(), 2);
        QLineEdit *name = f.textBox("TxtName");
        name->setFocus();
        QTRY_VERIFY(name->hasFocus());
        name->setText(QStringLiteral("{дата}"));
        test::typeKey(name, Qt::Key_Space, " ");
        QCOMPARE(grid->model()->headerData(2, Qt::Horizontal).toString(), "Дата съёмки");
        QCOMPARE(f.cell(0, 2), "2026-07-14 10:00:00");
        QHeaderView *header = grid->horizontalHeader();
        QVERIFY(header->sectionSize(2) > 0 && header->sectionViewportPosition(2) + header->sectionSize(2) <= grid->viewport()->width());
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(2) + 10, header->height() / 2));
        QCOMPARE(QStringList({f.cell(0, 0), f.cell(1, 0)}), QStringList({"PXL_20260713_090000.jpg", "IMG_20260714_100000.jpg"}));
        QCOMPARE(f.list("CboOrder")->currentText(), "как в таблице");
        QCOMPARE(f.newNames(), QStringList({"2026-07-13 1.jpg", "2026-07-14 2.jpg"}));

        name->setText(QStringLiteral("x"));
        test::typeKey(name, Qt::Key_Space, " ");
        QCOMPARE(grid->model()->columnCount(), 3); // the rows still stand as the dates put them
        test::WindowFixture::pick(f.list("CboOrder"), 0);
        QCOMPARE(grid->model()->columnCount(), 2);
        QCOMPARE(header->sectionSize(0) + header->sectionSize(1), grid->viewport()->width());
    }

    // A drag of the selected rows with the mouse puts them where they are dropped, and the
    // numbers follow. The offscreen platform ends every drag at once, dropping nothing, so
    // ctest runs this case again on the minimal platform (tst_window_drag), whose drag
    // follows the mouse.
    void rowsDraggedByMouse()
    {
        if (QGuiApplication::platformName() == u"offscreen")
            QSKIP("the offscreen platform drops nothing: tst_window_drag runs this case");
        test::WindowFixture f({"a.txt", "b.txt", "c.txt", "d.txt"});
        QTableView *grid = f.grid();
        QLineEdit *name = f.textBox("TxtName");
        name->setFocus();
        QTRY_VERIFY(name->hasFocus());
        name->selectAll();
        test::typeKey(name, Qt::Key_X, "x");
        grid->setFocus();
        grid->selectionModel()->select(QItemSelection(grid->model()->index(0, 0), grid->model()->index(1, 1)),
                                       QItemSelectionModel::ClearAndSelect);
        QWindow *window = grid->window()->windowHandle();
        const auto inWindow = [&](int row, int dy) {
            return grid->viewport()->mapTo(grid->window(), grid->visualRect(grid->model()->index(row, 0)).center() + QPoint(0, dy));
        };
        const QPoint from = inWindow(0, 0);
        const QPoint to = inWindow(3, grid->rowHeight(3) / 4); // below the last row's middle: after it
        QTest::mousePress(window, Qt::LeftButton, {}, from);
        QTest::mouseMove(window, from + QPoint(0, 1)); // pressed on a selected row: ready to drag
        // The drag runs an event loop of its own until the button is released.
        QTimer::singleShot(0, grid, [&] {
            QTest::mouseMove(window, to);
            QTest::mouseRelease(window, Qt::LeftButton, {}, to);
        });
        QTest::mouseMove(window, from + QPoint(0, QApplication::startDragDistance() + 2));
        QCOMPARE(QStringList({f.cell(0, 0), f.cell(1, 0), f.cell(2, 0), f.cell(3, 0)}),
                 QStringList({"c.txt", "d.txt", "a.txt", "b.txt"}));
        QCOMPARE(f.list("CboOrder")->currentText(), "как в таблице");
        QCOMPARE(f.newNames(), QStringList({"x1.txt", "x2.txt", "x3.txt", "x4.txt"}));
        QCOMPARE(grid->currentIndex().row(), 2); // the moved rows stay selected
        QVERIFY(grid->selectionModel()->isRowSelected(3, {}));
    }

    // The rules panel: closed, the window keeps its size and outline; open, every change
    // rebuilds the preview, a bad expression marks nothing and says why, apply renames by
    // the rules, and Reset turns them off.
    void rulesPanel()
    {
        test::WindowFixture f({"IMG_0001.JPG", "IMG_0002.JPG", "песня.mp3"});
        QWidget *panel = f.control("FraRules");
        QCOMPARE(f.window->size(), WindowLayout::WindowSize);
        QVERIFY(!panel->isVisible());
        QTest::mouseClick(f.button("ImgRules"), Qt::LeftButton);
        QVERIFY(panel->isVisible());
        // The offscreen screen is 800 pixels wide: no room beside, the panel lies over the
        // window's left side (the table below tries wider screens).
        const QRect screen = f.window->screen()->availableGeometry();
        QCOMPARE(f.window->size(), screen.width() < RulesPanel::OpenWindowSize.width() ? WindowLayout::WindowSize
                                                                                       : RulesPanel::OpenWindowSize);
        QVERIFY(screen.contains(QRect(panel->mapToGlobal(QPoint()), panel->size())));
        QVERIFY(f.window->mask().contains(panel->geometry().center()));
        QVERIFY(panel->isAncestorOf(f.window->childAt(panel->geometry().topLeft() + QPoint(150, 486)))); // on top
        QCOMPARE(f.window->childAt(f.button("ImgRules")->geometry().center()), f.button("ImgRules"));

        QLineEdit *find = f.textBox("TxtFind");
        QCOMPARE(QApplication::focusWidget(), find); // after a click, ready to type
        QTest::keyClicks(find, "IMG_(");
        QTest::mouseClick(f.button("PicRegExp"), Qt::LeftButton);
        QVERIFY(!f.control<QLabel>("LblFindError")->text().isEmpty());
        QCOMPARE(f.newNames(), QStringList({"IMG_0001.JPG", "IMG_0002.JPG", "песня.mp3"}));
        QCOMPARE(f.grid()->accessibleDescription(), QString());
        QTest::keyClick(find, Qt::Key_Backspace);
        QTest::keyClicks(f.textBox("TxtReplace"), "Trip");
        QCOMPARE(f.control<QLabel>("LblFindError")->text(), QString());
        QCOMPARE(f.newNames(), QStringList({"Trip0001.JPG", "Trip0002.JPG", "песня.mp3"}));
        test::WindowFixture::pick(f.list("CboLatin"), 3);
        QCOMPARE(f.cell(2, 1), "pesnya.mp3");
        test::WindowFixture::pick(f.list("CboExtension"), 2);
        QCOMPARE(f.newNames(), QStringList({"Trip0001.JPG", "Trip0002.JPG", "pesnya.MP3"}));
        test::WindowFixture::pick(f.list("CboExtension"), 1);
        QCOMPARE(f.newNames(), QStringList({"Trip0001.jpg", "Trip0002.jpg", "pesnya.mp3"}));
        QTest::mouseClick(f.button("ImgApply"), Qt::LeftButton);
        QCOMPARE(f.folder.files(), QStringList({"Trip0001.jpg", "Trip0002.jpg", "pesnya.mp3"}));

        QCOMPARE(find->text(), QString()); // the apply resets every rule
        QCOMPARE(f.list("CboLatin")->currentIndex(), 0);
        QCOMPARE(f.list("CboExtension")->currentIndex(), 0);
        QVERIFY(!f.button("PicRegExp")->isChecked());
        QTest::mouseClick(f.button("ImgRules"), Qt::LeftButton);
        QVERIFY(!panel->isVisible());
        QCOMPARE(f.window->size(), WindowLayout::WindowSize);
        QCOMPARE(f.window->mask(), WindowOutline::mainWindow());
    }

    // Rule sets: one saved under a typed name fills every control again after a reset and
    // after a restart; the apply keeps its settings first in the list; a name with "/" is
    // refused with its reason; a damaged set is told once, on opening the panel, and skipped;
    // an existing name is replaced only when the user agrees; a deleted one goes. After a
    // reset or an apply the list shows no set; only a set shown can be deleted, never the
    // last applied one.
    void ruleSets()
    {
        test::WindowFixture f({"IMG_0001.JPG", "IMG_0002.JPG"});
        const auto saveAs = [&](const QString &name) {
            QTimer answer;
            QString title, button;
            QObject::connect(&answer, &QTimer::timeout, &answer, [&] {
                if (auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget())) {
                    title = dialog->windowTitle();
                    button = dialog->okButtonText();
                    dialog->setTextValue(name);
                    dialog->accept();
                }
            });
            answer.start(10);
            QTest::mouseClick(f.button("ImgSaveSet"), Qt::LeftButton);
            QCOMPARE(title, "Сохранить набор правил");
            QCOMPARE(button, "Сохранить");
        };
        QComboBox *sets = f.list("CboSets");
        QAbstractButton *remove = f.button("ImgDeleteSet");
        QVERIFY(f.ruleSets.save("Отпуск", RuleSet()).isEmpty());
        QFile damaged(f.configHome.filePath("Отпуск.ini"));
        QVERIFY(damaged.open(QIODevice::Append) && damaged.write("case=loud\n") > 0);
        damaged.close();
        QVERIFY(f.messages.shown.isEmpty()); // told on opening the panel, which reads the list again
        QTest::mouseClick(f.button("ImgRules"), Qt::LeftButton);
        QCOMPARE(f.messages.shown.size(), 1);
        QVERIFY(damaged.remove());
        QTest::keyClicks(f.textBox("TxtFind"), "IMG_");
        QTest::keyClicks(f.textBox("TxtReplace"), "Trip ");
        QTest::mouseClick(f.button("PicSmall"), Qt::LeftButton);
        QTest::mouseClick(f.button("PicIgnoreCase"), Qt::LeftButton);
        const QStringList preview = f.newNames();
        QCOMPARE(preview, QStringList({"Trip 0001.jpg", "Trip 0002.jpg"}));
        QVERIFY(!remove->isEnabled());
        saveAs("Отпуск");
        QCOMPARE(sets->currentText(), "Отпуск");
        QVERIFY(remove->isEnabled());
        QTest::mouseClick(f.button("ImgChancel"), Qt::LeftButton);
        QCOMPARE(f.textBox("TxtFind")->text(), QString());
        QCOMPARE(sets->currentIndex(), -1);
        QVERIFY(!remove->isEnabled());
        test::WindowFixture::pick(sets, 0);
        QCOMPARE(f.textBox("TxtReplace")->text(), "Trip ");
        QCOMPARE(f.ticked(), QStringList{"PicSmall"});
        QVERIFY(f.button("PicIgnoreCase")->isChecked());
        QCOMPARE(f.newNames(), preview);
        QTest::mouseClick(f.button("ImgApply"), Qt::LeftButton);
        QCOMPARE(f.folder.files(), preview);
        QCOMPARE(sets->itemText(0), RuleSetStore::LastApplied);
        QCOMPARE(sets->currentIndex(), -1);
        test::WindowFixture::pick(sets, 0);
        QVERIFY(!remove->isEnabled());
        QTest::mouseClick(remove, Qt::LeftButton);
        QCOMPARE(f.messages.asked.size(), 0);
        QCOMPARE(sets->itemText(0), RuleSetStore::LastApplied);

        saveAs("a/b");
        QVERIFY(f.messages.shown.last().second.contains("«/»"));
        QVERIFY(damaged.open(QIODevice::Append) && damaged.write("case=loud\n") > 0);
        damaged.close();
        saveAs("Второй");
        saveAs("Третий");
        QCOMPARE(std::count_if(f.messages.shown.begin(), f.messages.shown.end(),
                               [](const auto &box) { return box.second == "Набор «Отпуск» повреждён и пропущен"; }),
                 1);
        QCOMPARE(sets->count(), 3);
        QTest::mouseClick(f.button("PicBig"), Qt::LeftButton);
        for (const bool replace : {false, true}) {
            f.messages.answers = {replace};
            saveAs("Третий");
            QCOMPARE(f.messages.asked.last().second, "Набор «Третий» уже есть. Заменить его?");
            QString problem;
            QCOMPARE(f.ruleSets.load("Третий", problem)->options.UpperCase, replace);
        }
        test::WindowFixture::pick(sets, 1);
        f.messages.answers = {true};
        QTest::mouseClick(remove, Qt::LeftButton);
        QCOMPARE(f.messages.asked.last().second, "Удалить набор «Второй»?");
        const qsizetype told = f.messages.shown.size();
        VelmixWindow restarted(f.drives, f.mover, f.folder.path(), &f.messages, nullptr, nullptr, &f.ruleSets);
        QCOMPARE(f.messages.shown.size(), told); // nothing over the window's start
        QComboBox *restartedSets = restarted.findChild<QComboBox *>("CboSets");
        QCOMPARE(restartedSets->count(), 2);
        QCOMPARE(restartedSets->itemText(0), RuleSetStore::LastApplied);
        QCOMPARE(restartedSets->itemText(1), "Третий");
    }

    // The base-name box tells of the fields and inserts one at the cursor from its menu, the
    // preview following; with a field it holds 200 characters, without one 50.
    void baseNameFields()
    {
        test::WindowFixture f({"песня.mp3"});
        QLineEdit *name = f.textBox("TxtName");
        QVERIFY(name->toolTip().contains("{исполнитель}"));
        QVERIFY(name->toolTip().contains("Например: {дата} Отпуск"));
        QVERIFY(name->toolTip().contains("{n:3} — из трёх цифр"));
        QCOMPARE(f.textBox("TxtInsert")->toolTip(), name->toolTip()); // the inserted text takes fields too
        QStringList offered;
        name->setFocus();
        name->selectAll();
        name->insert("Альбом ");
        QMenu *fields = nullptr;
        QTimer::singleShot(0, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(menu);
            for (QAction *action : menu->actions())
                if (action->menu() && action->text() == "Вставить поле")
                    fields = action->menu();
            QVERIFY(fields);
            for (QAction *action : fields->actions()) {
                offered.append(action->text());
                if (action->text() == "{год}")
                    action->trigger();
            }
            menu->close();
        });
        Q_EMIT name->customContextMenuRequested(QPoint(5, 5));
        QTRY_VERIFY(fields);
        QCOMPARE(name->text(), "Альбом {год}");
        QVERIFY(offered.contains("{n}") && offered.contains("{n:3}"));
        QVERIFY(f.pending());
        QVERIFY(f.cell(0, 1).startsWith("Альбом 20")); // the file's modification year
        const QString tags = "{исполнитель} - {название} - {альбом} - {номер_трека}";
        name->selectAll();
        name->insert(tags);
        QCOMPARE(name->text(), tags);
        name->selectAll();
        name->insert(QString(60, u'y'));
        QCOMPARE(name->text(), QString(50, u'y'));
    }

    // Opening the panel moves the window left only as far as the panel needs, within the
    // screen's available area; a screen too narrow for both gets the panel over the window.
    void panelStaysOnScreen_data()
    {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<int>("windowX");
        QTest::addColumn<int>("grown"); // the window's width past the designed one
        QTest::addColumn<int>("openedX");
        QTest::addColumn<bool>("beside");
        const QRect laptop(0, 0, 1366, 740);
        QTest::newRow("room on the right") << laptop << 100 << 0 << 100 << true;
        QTest::newRow("right half") << laptop << 900 << 0 << 1366 - 872 << true;
        QTest::newRow("partly past the left edge") << laptop << -50 << 0 << 0 << true;
        QTest::newRow("second screen, right edge") << QRect(1366, 0, 1280, 1024) << 2500 << 0 << 1366 + 1280 - 872 << true;
        QTest::newRow("exactly wide enough") << QRect(0, 0, 872, 600) << 200 << 0 << 0 << true;
        QTest::newRow("too narrow") << QRect(0, 0, 800, 600) << 150 << 0 << 150 << false;
        QTest::newRow("grown window") << laptop << 300 << 400 << 1366 - 872 - 400 << true;
        QTest::newRow("grown too wide for both") << laptop << 100 << 600 << 100 << false;
    }
    void panelStaysOnScreen()
    {
        QFETCH(QRect, available);
        QFETCH(int, windowX);
        QFETCH(int, grown);
        QFETCH(int, openedX);
        QFETCH(bool, beside);
        const RulesPanel::Opening opened = RulesPanel::opening(
            QRect(QPoint(windowX, 30), WindowLayout::WindowSize + QSize(grown, 0)), available);
        QCOMPARE(opened.beside, beside);
        QCOMPARE(opened.windowPos, QPoint(openedX, 30));
    }

    // Fields in the base name take each file's date or tags; the disk then shows exactly
    // the preview. Photos of two cameras whose clocks differ, one without EXIF, are numbered
    // in shooting order, camera B's HEIC among them; music, old cp1251 tags too, named by
    // its tags alone, typed key by key, is never numbered.
    void fieldsRenameOnDisk_data()
    {
        QTest::addColumn<QString>("baseName");
        QTest::addColumn<QList<QByteArray>>("contents");
        QTest::addColumn<bool>("byDateTaken");
        QTest::addColumn<QStringList>("preview");
        const QList<QByteArray> photos{test::jpegWithExif("2026:07:14 10:00:00"), test::jpegWithExif("2026:07:14 12:00:00"),
                                       test::heifWithExif("2026:07:14 10:30:00"), test::jpegWithExif({})};
        QTest::newRow("photos") << "{дата} Отпуск " << photos << true
                                << QStringList{"2026-07-14 Отпуск 1.jpg", "2026-07-14 Отпуск 2.heic",
                                               "2026-07-14 Отпуск 3.jpg", "2026-07-14 Отпуск 4.jpg"};
        const QList<QByteArray> music{test::mp3WithTags("Ансамбль", "Первая", "Диск", 1),
                                      test::flacWithTags({"Оркестр"}, "Вторая", "Диск", 2),
                                      test::mp3WithLatin1Frames("\xD1\xEF\xEB\xE8\xED", // cp1251
                                                                "\xC2\xFB\xF5\xEE\xE4\xE0 \xED\xE5\xF2")};
        QTest::newRow("music") << "{исполнитель} - {название}" << music << false
                               << QStringList{"Ансамбль - Первая.mp3", "Оркестр - Вторая.flac", "Сплин - Выхода нет.mp3"};
    }
    void fieldsRenameOnDisk()
    {
        QFETCH(QString, baseName);
        QFETCH(QList<QByteArray>, contents);
        QFETCH(bool, byDateTaken);
        QFETCH(QStringList, preview);
        const QStringList files = byDateTaken ? QStringList{"A_0001.jpg", "A_0002.jpg", "DSC_0001.heic", "DSC_0002.jpg"}
                                              : QStringList{"01.mp3", "02.flac", "03.mp3"};
        test::WindowFixture f(files);
        for (int i = 0; i < files.size(); ++i) { // the window has listed them; nothing is read yet
            QFile file(f.folder.filePath(files[i]));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(contents[i]) == contents[i].size());
        }
        QFile undated(f.folder.filePath("DSC_0002.jpg")); // copied from a card: a fresh time
        if (byDateTaken) {
            QVERIFY(undated.open(QIODevice::ReadWrite));
            QVERIFY(undated.setFileTime(QDateTime(QDate(2026, 7, 14), QTime(11, 0)), QFileDevice::FileModificationTime));
            undated.close();
        }
        QLineEdit *name = f.textBox("TxtName");
        name->setFocus();
        QTRY_VERIFY(name->hasFocus());
        name->selectAll();
        for (QChar c : baseName)
            test::typeKey(name, Qt::Key(c.toUpper().unicode()), QString(c));
        if (byDateTaken)
            test::WindowFixture::pick(f.list("CboOrder"), int(NumberingOrder::ByDateTaken)); // "по дате съёмки"
        else
            QVERIFY(!f.ticked().contains("PicNum")); // the tags alone name each file
        QCOMPARE(f.newNames(), preview);
        if (!byDateTaken) {
            // The grid's menu reads the old tags again in the encoding picked: Latin-1 garbles
            // the cp1251 one, as before; the guess puts it right.
            const auto pickOldTags = [&](const QString &text) {
                bool picked = false;
                QTimer::singleShot(0, [&] {
                    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
                    QVERIFY(menu);
                    for (QAction *action : menu->actions())
                        if (action->text() == text && !action->isChecked()) {
                            action->trigger();
                            picked = true;
                        }
                    menu->close();
                });
                Q_EMIT f.grid()->customContextMenuRequested(QPoint(5, 5));
                QTRY_VERIFY(picked);
            };
            pickOldTags("Старые теги: Latin-1");
            QCOMPARE(f.newNames().value(2), "Ñïëèí - Âûõîäà íåò.mp3");
            pickOldTags("Старые теги: определять");
            QCOMPARE(f.newNames(), preview);
        }
        if (byDateTaken) {
            QCOMPARE(f.cell(1, 0), "DSC_0001.heic"); // camera B's 10:30 between camera A's two
            QCOMPARE(f.cell(2, 0), "DSC_0002.jpg");
            const QModelIndex dated = f.grid()->model()->index(2, 0);
            QVERIFY(dated.data(Qt::FontRole).value<QFont>().italic());
            QTest::mouseClick(f.grid()->viewport(), Qt::LeftButton, {}, f.grid()->visualRect(dated).center());
            QVERIFY(f.grid()->toolTip().endsWith(u"время изменения файла: тегов с датой нет, после копирования оно не дата съёмки"));
            QVERIFY(!f.grid()->model()->index(1, 0).data(Qt::FontRole).isValid());
        }
        QTest::mouseClick(f.button("ImgApply"), Qt::LeftButton);
        QStringList sorted = preview;
        sorted.sort();
        QCOMPARE(f.folder.files(), sorted);
        QFile third(f.folder.filePath(preview.value(2, preview.last())));
        QVERIFY(third.open(QIODevice::ReadOnly));
        QCOMPARE(third.readAll(), contents[byDateTaken ? 3 : 2]);
        QVERIFY(f.messages.shown.isEmpty());
    }

    // Two cameras on one card, the second's clock an hour behind: the grid's menu on its
    // row shifts it, the rows interleave, the row's note tells the shift, and the disk
    // shows the preview. The order list's menu restarts the numbers.
    void cameraShiftFromTheGridMenu()
    {
        const QStringList files{"A_0001.jpg", "A_0002.jpg", "B_0001.jpg", "B_0002.jpg"};
        test::WindowFixture f(files);
        const QList<QByteArray> photos{test::jpegWithExif("2026:07:14 10:00:00", {}, "Canon", "Canon EOS 80D"),
                                       test::jpegWithExif("2026:07:14 12:00:00", {}, "Canon", "Canon EOS 80D"),
                                       test::jpegWithExif("2026:07:14 09:30:00", {}, "NIKON CORPORATION", "NIKON D750"),
                                       test::jpegWithExif("2026:07:14 11:30:00", {}, "NIKON CORPORATION", "NIKON D750")};
        for (int i = 0; i < files.size(); ++i) {
            QFile file(f.folder.filePath(files[i]));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(photos[i]) == photos[i].size());
        }
        QLineEdit *name = f.textBox("TxtName");
        name->setFocus();
        QTRY_VERIFY(name->hasFocus());
        name->selectAll();
        for (QChar c : QStringLiteral("{камера} {время} "))
            test::typeKey(name, Qt::Key(c.toUpper().unicode()), QString(c));
        test::WindowFixture::pick(f.list("CboOrder"), int(NumberingOrder::ByDateTaken));
        QCOMPARE(f.cell(0, 0), "B_0001.jpg");
        // Answers the shift's box once it opens.
        QTimer answer;
        QString asked;
        QObject::connect(&answer, &QTimer::timeout, &answer, [&] {
            if (auto *box = qobject_cast<QInputDialog *>(QApplication::activeModalWidget())) {
                asked = box->labelText();
                box->setTextValue("+01:00");
                box->accept();
            }
        });
        answer.start(10);
        const auto pickFromMenu = [&](QWidget *owner, const QPoint &at, const QString &text) {
            bool picked = false;
            QTimer::singleShot(0, [&] {
                auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
                QVERIFY(menu);
                for (QAction *action : menu->actions())
                    if (action->text().startsWith(text)) {
                        action->trigger();
                        picked = true;
                    }
                menu->close();
            });
            Q_EMIT owner->customContextMenuRequested(at);
            QTRY_VERIFY(picked);
        };
        pickFromMenu(f.grid(), f.grid()->visualRect(f.grid()->model()->index(0, 1)).center(),
                     "Сдвиг времени камеры «NIKON D750»");
        QVERIFY2(asked.contains(u"«NIKON D750»"), qPrintable(asked));
        const QStringList shifted{"Canon EOS 80D 10-00-00 1.jpg", "NIKON D750 10-30-00 2.jpg", "Canon EOS 80D 12-00-00 3.jpg",
                                  "NIKON D750 12-30-00 4.jpg"};
        QCOMPARE(f.newNames(), shifted);
        QTest::mouseClick(f.grid()->viewport(), Qt::LeftButton, {}, f.grid()->visualRect(f.grid()->model()->index(1, 0)).center());
        QVERIFY2(f.grid()->toolTip().endsWith(u"снято 09:30, сдвиг +01:00 → 10:30"), qPrintable(f.grid()->toolTip()));
        pickFromMenu(f.list("CboOrder"), QPoint(5, 5), "Нумерация заново каждый день");
        QVERIFY(f.window->core().preview().options().RestartPerDay);
        QCOMPARE(f.newNames(), shifted); // one day
        QTest::mouseClick(f.button("ImgApply"), Qt::LeftButton);
        QStringList sorted = shifted;
        sorted.sort();
        QCOMPARE(f.folder.files(), sorted);
        QVERIFY(f.messages.shown.isEmpty());
    }

    // Ctrl+Z undoes a text box's own typing since the last apply first; elsewhere it takes
    // the last apply back, once "Да" is answered (the question and a "Нет" are the core's).
    void ctrlZ()
    {
        test::WindowFixture f({"one two.txt", "three.TXT"});
        const auto ctrlZ = [](QWidget *widget) { test::typeKey(widget, Qt::Key_Z, "z", Qt::ControlModifier); };
        ctrlZ(f.grid()); // nothing to take back yet
        QCOMPARE(f.control<QLabel>("LblStatus")->text(), "Нечего возвращать");
        QTest::mouseClick(f.button("PicBig"), Qt::LeftButton);
        QLineEdit *step = f.textBox("TxtShag");
        step->setFocus();
        QTRY_VERIFY(step->hasFocus());
        step->selectAll();
        test::typeKey(step, Qt::Key_1, "1"); // the same text, typed
        QTest::mouseClick(f.button("ImgApply"), Qt::LeftButton);
        QCOMPARE(f.folder.files(), QStringList({"ONE TWO.TXT", "THREE.TXT"}));
        // The apply ended the field's typing history: the first Ctrl+Z in it asks for the apply.
        step->setFocus();
        QTRY_VERIFY(step->hasFocus());
        ctrlZ(step);
        QCOMPARE(f.messages.asked.size(), 1);
        QCOMPARE(step->text(), "1");
        f.messages.asked.clear();

        QLineEdit *name = f.textBox("TxtName");
        name->setFocus();
        QTRY_VERIFY(name->hasFocus());
        name->selectAll();
        test::typeKey(name, Qt::Key_Q, "q");
        QCOMPARE(f.cell(0, 1), "q1.TXT");
        ctrlZ(name);
        QCOMPARE(name->text(), "-");
        QVERIFY(f.messages.asked.isEmpty());

        f.grid()->setFocus();
        QTRY_VERIFY(f.grid()->hasFocus());
        f.messages.answers = {true};
        ctrlZ(f.grid());
        QCOMPARE(f.messages.asked.size(), 1);
        QCOMPARE(f.folder.files(), QStringList({"one two.txt", "three.TXT"}));
        QCOMPARE(f.control<QLabel>("LblStatus")->text(), "Возвращено 2");
        ctrlZ(f.grid()); // nothing left to take back
        QCOMPARE(f.messages.asked.size(), 1);
        QCOMPARE(f.control<QLabel>("LblStatus")->text(), "Нечего возвращать");
        QVERIFY(f.messages.shown.isEmpty());
    }

    // A batch killed before its end mark: the next start offers to finish it, and the status
    // line says what the repair did, either way.
    void repairSaysWhatItDid_data()
    {
        QTest::addColumn<bool>("finish");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("Да") << true << "Завершено переименование: 2 файлов" << QStringList{"A.TXT", "B.TXT"};
        QTest::newRow("Нет") << false << "Возвращено 2" << QStringList{"a.txt", "b.txt"};
    }
    void repairSaysWhatItDid()
    {
        QFETCH(bool, finish);
        QFETCH(QString, status);
        QFETCH(QStringList, files);
        test::TempFolder dir;
        dir.createFiles({"a.txt", "b.txt"});
        test::CoreFixture killed(dir.path());
        killed.core.startUp();
        killed.core.preview().ToggleOption(Toggle::UpperCase);
        killed.messages.show(killed.core.applyNewNames());
        QFile journal(killed.state.path() + u'/' + killed.state.journals().value(0));
        QVERIFY(journal.open(QIODevice::ReadWrite));
        const QByteArray bytes = journal.readAll();
        QVERIFY(journal.resize(bytes.lastIndexOf('\n', bytes.size() - 2) + 1)); // the end mark gone
        journal.close();

        test::RecordingMessageBox messages;
        messages.answers = {finish};
        VelmixWindow window(killed.drives, killed.mover, dir.path(), &messages, &killed.state, &killed.identities);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_COMPARE(window.findChild<QLabel *>(QStringLiteral("LblStatus"))->text(), status);
        QCOMPARE(messages.asked.size(), 1);
        QCOMPARE(dir.files(), files);
    }

    // The window's question box: "Да" is the default, so Enter or Space confirms; before a
    // loss "Нет" is, so Enter keeps what there is.
    void questionBox_data()
    {
        QTest::addColumn<bool>("beforeLoss");
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<bool>("agreed");
        QTest::newRow("Enter") << false << Qt::Key_Return << true;
        QTest::newRow("Space") << false << Qt::Key_Space << true;
        QTest::newRow("Escape") << false << Qt::Key_Escape << false;
        QTest::newRow("Enter before a loss") << true << Qt::Key_Return << false;
        QTest::newRow("Escape before a loss") << true << Qt::Key_Escape << false;
    }
    void questionBox()
    {
        QFETCH(bool, beforeLoss);
        QFETCH(Qt::Key, key);
        QFETCH(bool, agreed);
        WidgetMessageBox box;
        QStringList buttons;
        QTimer::singleShot(0, [&] {
            auto *shown = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(shown);
            for (QAbstractButton *button : shown->buttons())
                buttons.append(button->text());
            QCOMPARE(shown->defaultButton()->text(), beforeLoss ? "Нет" : "Да");
            QCOMPARE(shown->windowTitle(), "Возврат прежних имён");
            QTest::keyClick(shown->focusWidget() ? shown->focusWidget() : shown, key);
        });
        const QString question = "Вернуть прежние имена? Файлов: 1";
        QCOMPARE(beforeLoss ? box.askBeforeLoss("Возврат прежних имён", question)
                            : box.ask("Возврат прежних имён", question),
                 agreed);
        buttons.sort();
        QCOMPARE(buttons, QStringList({"Да", "Нет"}));
    }

    // A folder on a read-only mount: every row that would move is marked with the reason,
    // from the listing's one look at the folder; the apply still tries them, in vain.
    void readOnlyFolderIsMarked()
    {
        test::WindowFixture f({"a.txt", "b.txt"});
        const QString path = f.folder.path();
        if (QProcess::execute("mount", {"--bind", path, path}) != 0)
            QSKIP("a bind mount needs root");
        const auto unmount = qScopeGuard([&] { QProcess::execute("umount", {path}); });
        QCOMPARE(QProcess::execute("mount", {"-o", "remount,bind,ro", path}), 0);
        QTest::mouseClick(f.button("ImgChancel"), Qt::LeftButton); // reads the folder again
        QTest::mouseClick(f.button("PicBig"), Qt::LeftButton);
        const QString readOnly = "диск только для чтения";
        for (int row = 0; row < 2; ++row)
            QCOMPARE(f.grid()->model()->index(row, 1).data(FileGridModel::NoteRole).toString(), readOnly);
        QTest::mouseClick(f.button("ImgApply"), Qt::LeftButton);
        QCOMPARE(f.messages.shown.size(), 1);
        // The folder's reason once, not once per row; the rows were marked before.
        const QStringList lines = f.messages.shown[0].second.split('\n');
        QCOMPARE(lines.filter("Причина: "), QStringList{"Причина: " + readOnly});
        QCOMPARE(lines.last(), "Не переименовано файлов: 2, отмечены заранее: 2");
        QCOMPARE(f.control<QLabel>("LblStatus")->text(), "Переименовано 0 из 2");
        QCOMPARE(f.folder.files(), QStringList({"a.txt", "b.txt"}));
    }

    // A report of many long names never grows past the screen: one line per entry, a long
    // name losing its middle; the text can be selected.
    void messageBoxFitsTheScreen()
    {
        WidgetMessageBox box;
        QStringList lines{"Произошла непредвиденная ошибка"};
        for (int i = 0; i < 61; ++i)
            lines << "Исходный файл: /media/card/" + QString(300, u'x') + QString::number(i) + ".jpg";
        QTimer::singleShot(0, [&] {
            QWidget *shown = QApplication::activeModalWidget();
            QVERIFY(shown);
            // Closed however the checks end: a failed one must fail the test, not hang it.
            const auto close = qScopeGuard([shown] { shown->close(); });
            QVERIFY(shown->frameGeometry().height() <= shown->screen()->availableGeometry().height());
            auto *text = shown->findChild<QLabel *>("LblMessage");
            QVERIFY(text->textInteractionFlags() & Qt::TextSelectableByMouse);
            const QStringList shownLines = text->text().split('\n');
            QCOMPARE(shownLines.size(), lines.size());
            QVERIFY(shownLines[1].startsWith("Исходный файл: /media") && shownLines[1].endsWith("0.jpg"));
            QVERIFY(shownLines[1].contains(u'…'));
        });
        box.showMessage("Ошибка !!!", lines.join('\n'));
    }

    // An apply of moves that take a millisecond each: from the first moment the window
    // takes no clicks but on its round title buttons; after half a second the progress
    // window shows and counts; the user stops the work with Esc there (having minimised the
    // window by its round button), or by closing the Velmix window, by the window manager
    // or its round button, which closes once the work has stopped. What the cancel leaves
    // on disk is the core's to prove.
    void longApplyShowsProgressAndStops_data()
    {
        QTest::addColumn<QString>("stop");
        QTest::newRow("Esc") << "Esc";
        QTest::newRow("closing the window") << "close";
        QTest::newRow("the round close button") << "PicClose";
    }
    void longApplyShowsProgressAndStops()
    {
        QFETCH(QString, stop);
        const bool byClosing = stop != "Esc";
        constexpr int Files = 1500;
        QStringList files;
        for (int i = 0; i < Files; ++i)
            files.append(QStringLiteral("f%1.txt").arg(i, 4, 10, QChar(u'0')));
        test::SlowFileMover slowMover(std::chrono::milliseconds(1));
        test::WindowFixture f(files, {"/"}, &slowMover);
        QTest::mouseClick(f.button("PicBig"), Qt::LeftButton);

        QElapsedTimer clock;
        qint64 shownAfter = -1;
        QStringList counts;
        bool closedAtOnce = false;
        QTimer watch;
        QMimeData otherFolder;
        otherFolder.setUrls({QUrl::fromLocalFile(QDir::tempPath())});
        connect(&watch, &QTimer::timeout, this, [&] {
            QTest::mouseClick(f.button("ImgApply"), Qt::LeftButton); // dropped, not queued
            QTest::keyClick(f.button("PicClose"), Qt::Key_Space); // a key even there
            QVERIFY(!drop(f.window.get(), otherFolder)); // so is a drop
            auto *progress = f.window->findChild<QWidget *>("ProgressWindow");
            if (!progress || !progress->isVisible())
                return;
            if (shownAfter < 0) {
                shownAfter = clock.elapsed();
                QCOMPARE(progress->findChild<QLabel *>("LblCaption")->text(), "Переименование…");
                // What a screen reader hears: a dialog named by its caption, a bar named by the work, in percent.
                QAccessibleInterface *spoken = QAccessible::queryAccessibleInterface(progress);
                QCOMPARE(spoken->role(), QAccessible::Dialog);
                QCOMPARE(spoken->text(QAccessible::Name), "Переименование…");
                auto *bar = progress->findChild<QProgressBar *>("BarProgress");
                QCOMPARE(bar->accessibleName(), "Переименование");
                QCOMPARE(bar->maximum(), 100);
            }
            counts.append(progress->findChild<QLabel *>("LblCount")->text());
            if (counts.size() == 4 && !byClosing)
                QTest::mouseClick(f.button("PicMini"), Qt::LeftButton);
            if (counts.size() == 8) {
                if (stop == "close")
                    closedAtOnce = f.window->close();
                else if (stop == "PicClose")
                    QTest::mouseClick(f.button("PicClose"), Qt::LeftButton);
                else
                    QTest::keyClick(progress, Qt::Key_Escape);
            }
        });
        watch.start(50);
        clock.start();
        QTest::mouseClick(f.button("ImgApply"), Qt::LeftButton);
        watch.stop();

        QVERIFY(shownAfter >= 450);
        QVERIFY(counts.size() >= 8);
        // Each new count is announced, so it changes a few times a second at most.
        QVERIFY(QSet<QString>(counts.begin(), counts.end()).size() <= (clock.elapsed() - shownAfter) / 200 + 2);
        for (qsizetype i = 1; i < counts.size(); ++i) {
            QVERIFY2(counts[i].endsWith(" из 1500"), qPrintable(counts[i]));
            QVERIFY(counts[i].section(u' ', 0, 0).toInt() >= counts[i - 1].section(u' ', 0, 0).toInt());
        }
        QCOMPARE(f.window->isMinimized(), !byClosing);
        QCoreApplication::processEvents();
        QCOMPARE(f.window->core().folder(), f.folder.path());
        QVERIFY(!closedAtOnce);
        QCOMPARE(f.window->isVisible(), !byClosing);
        QCOMPARE(f.window->findChild<QWidget *>("ProgressWindow"), nullptr);
        QCOMPARE(f.messages.shown.size(), 1);
        QVERIFY(f.messages.shown[0].second.startsWith("Переименование прервано."));
    }
};

QTEST_MAIN(TestWindowFlows)
#include "tst_window_flows.moc"
