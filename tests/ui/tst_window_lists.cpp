#include "NameListFlows.h"
#include "WindowFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace velmix;

class TestWindowLists : public QObject
{
    Q_OBJECT

    static QString status(const test::WindowFixture &f) { return f.control<QLabel>("LblStatus")->text(); }

private Q_SLOTS:
    // Ctrl+E shows every new name a line in a monospaced font; a list that does not fit
    // is told under it, the cursor on its line, and nothing is taken; a swap typed there
    // becomes two hand edits, which the apply makes through its journal and Ctrl+Z takes back.
    void editorTakesChangedLinesAsHandEdits()
    {
        test::WindowFixture f({"a.txt", "b.txt", "c.txt"});
        QFile first(f.folder.filePath("a.txt"));
        QVERIFY(first.open(QIODevice::WriteOnly) && first.write("A") == 1);
        first.close();
        QTableView *grid = f.grid();
        grid->setFocus();
        test::typeKey(grid, Qt::Key_E, "e", Qt::ControlModifier);
        QDialog *editor = nullptr;
        QTRY_VERIFY((editor = f.window->findChild<QDialog *>("DlgNames")) && editor->isVisible());
        auto *text = editor->findChild<QPlainTextEdit *>("TxtNames");
        QCOMPARE(text->toPlainText(), "a.txt\nb.txt\nc.txt");
        QVERIFY(QFontInfo(text->font()).fixedPitch());
        QPushButton *apply = editor->findChild<QPushButton *>("CmdApplyList");
        QCOMPARE(apply->text(), "Применить к таблице");

        text->setPlainText("b.txt\nx/y\nc.txt");
        QTest::mouseClick(apply, Qt::LeftButton);
        QCOMPARE(editor->findChild<QLabel *>("LblListProblem")->text(), "строка 2: в имени «x/y» есть «/»");
        QCOMPARE(text->textCursor().blockNumber(), 1);
        QVERIFY(editor->isVisible());
        QCOMPARE(f.newNames(), QStringList({"a.txt", "b.txt", "c.txt"}));

        text->setPlainText("b.txt\na.txt\nc.txt");
        QTest::mouseClick(apply, Qt::LeftButton);
        QTRY_VERIFY(!f.window->findChild<QDialog *>("DlgNames"));
        QCOMPARE(f.newNames(), QStringList({"b.txt", "a.txt", "c.txt"}));
        QCOMPARE(grid->model()->index(1, 1).data(Qt::AccessibleDescriptionRole).toString(), "изменено вручную");
        QVERIFY(!grid->model()->index(2, 1).data(Qt::AccessibleDescriptionRole).isValid());
        QCOMPARE(status(f), "Изменено имён из списка: 2");

        QTest::mouseClick(f.button("ImgApply"), Qt::LeftButton);
        QFile swapped(f.folder.filePath("b.txt"));
        QVERIFY(swapped.open(QIODevice::ReadOnly));
        QCOMPARE(swapped.readAll(), "A");
        f.messages.answers = {true};
        f.window->activateWindow(); // the box that closed leaves no window active offscreen
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        test::typeKey(grid, Qt::Key_Z, "z", Qt::ControlModifier);
        QCOMPARE(f.messages.asked.size(), 1);
        QFile back(f.folder.filePath("a.txt"));
        QVERIFY(back.open(QIODevice::ReadOnly));
        QCOMPARE(back.readAll(), "A");
    }

    // Ctrl+V in the new-name column fills the rows from the current one down; more lines
    // than rows below are told and nothing is taken; in the current-name column it does
    // nothing.
    void pasteFillsRowsDown()
    {
        test::WindowFixture f({"a.txt", "b.txt", "c.txt"});
        QTableView *grid = f.grid();
        grid->setFocus();
        QApplication::clipboard()->setText("X.txt\r\nY.txt\r\n");
        grid->setCurrentIndex(grid->model()->index(1, 0));
        test::typeKey(grid, Qt::Key_V, "v", Qt::ControlModifier);
        QCOMPARE(f.newNames(), QStringList({"a.txt", "b.txt", "c.txt"}));
        grid->setCurrentIndex(grid->model()->index(1, 1));
        test::typeKey(grid, Qt::Key_V, "v", Qt::ControlModifier);
        QCOMPARE(f.newNames(), QStringList({"a.txt", "X.txt", "Y.txt"}));
        QCOMPARE(status(f), "Вставлено имён: 2");
        QCOMPARE(grid->model()->index(2, 1).data(Qt::AccessibleDescriptionRole).toString(), "изменено вручную");

        QApplication::clipboard()->setText("P\nQ");
        grid->setCurrentIndex(grid->model()->index(2, 1));
        test::typeKey(grid, Qt::Key_V, "v", Qt::ControlModifier);
        QCOMPARE(status(f), "строк в списке: 2, а строк таблицы от текущей до конца: 1");
        QCOMPARE(f.newNames(), QStringList({"a.txt", "X.txt", "Y.txt"}));
    }

    // A map read from a file renames the rows it names; its names that are no row's are
    // told in a box.
    void mapFromFileTellsNamesNotInTheTable()
    {
        test::WindowFixture f({"a.txt", "b.txt"});
        QTemporaryDir dir;
        QFile map(dir.filePath("map.csv"));
        QVERIFY(map.open(QIODevice::WriteOnly) && map.write("b.txt,\"B, второй.txt\"\nzz.txt,Z.txt\n") > 0);
        map.close();
        f.window->findChild<NameListFlows *>()->takeFile(map.fileName());
        QCOMPARE(f.newNames(), QStringList({"a.txt", "B, второй.txt"}));
        QCOMPARE(status(f), "Взято имён из файла: 1");
        QCOMPARE(f.messages.shown, (QList<std::pair<QString, QString>>{
                                       {"Список имён", "Этих имён из списка нет в таблице (1), их строки пропущены:\n"
                                                       "строка 2: «zz.txt»"}}));
    }
};

QTEST_MAIN(TestWindowLists)
#include "tst_window_lists.moc"
