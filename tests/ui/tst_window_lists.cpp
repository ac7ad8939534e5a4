#include "WindowFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
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
    // becomes two hand edits.
    void editorTakesChangedLinesAsHandEdits()
    {
        test::WindowFixture f({"a.txt", "b.txt", "c.txt"});
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
        QCOMPARE(grid->model()->index(1, 1).data(Qt::AccessibleDescriptionRole).toString(), "изменено вручную; изменено: «a»");
        QVERIFY(!grid->model()->index(2, 1).data(Qt::AccessibleDescriptionRole).isValid());
        QCOMPARE(status(f), "Изменено имён из списка: 2");
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
        QCOMPARE(grid->model()->index(2, 1).data(Qt::AccessibleDescriptionRole).toString(), "изменено вручную; изменено: «Y»");

        QApplication::clipboard()->setText("P\nQ");
        grid->setCurrentIndex(grid->model()->index(2, 1));
        test::typeKey(grid, Qt::Key_V, "v", Qt::ControlModifier);
        QCOMPARE(status(f), "строк в списке: 2, а строк таблицы от текущей до конца: 1");
        QCOMPARE(f.newNames(), QStringList({"a.txt", "X.txt", "Y.txt"}));
    }
};

QTEST_MAIN(TestWindowLists)
#include "tst_window_lists.moc"
