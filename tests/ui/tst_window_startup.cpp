#include "WindowFixture.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>

using namespace velmix;

class TestWindowStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stateAfterStartUp()
    {
        test::WindowFixture f({"b.txt", "A b.mp3", "Отчёт.TXT"});
        QCOMPARE(f.grid()->model()->rowCount(), 3);
        for (int row = 0; row < 3; ++row)
            QCOMPARE(f.cell(row, 1), f.cell(row, 0));
        QCOMPARE(f.cell(0, 0), "A b.mp3");
        QCOMPARE(f.grid()->model()->headerData(0, Qt::Horizontal).toString(), "Оригинальные");
        QCOMPARE(f.grid()->model()->headerData(1, Qt::Horizontal).toString(), "Переименованные");
        QCOMPARE(f.ticked(), QStringList());
        QCOMPARE(f.textBox("TxtName")->text(), "-");
        QCOMPARE(f.textBox("TxtNach")->text(), "1");
        QCOMPARE(f.textBox("TxtShag")->text(), "1");
        QCOMPARE(f.list("cboMask")->currentText(), "*.*");
        QCOMPARE(f.list("CboRazr")->currentText(), "1");
        QVERIFY(!f.pending());
        QCOMPARE(f.control<QLabel>("Label9")->text(), "Вельмикс В.2.0.1");
        QVERIFY(f.control("File1")->isHidden());
    }

    void emptyFolderShowsOneBlankRow()
    {
        test::WindowFixture f(QStringList{});
        QCOMPARE(f.grid()->model()->rowCount(), 1);
        QCOMPARE(f.cell(0, 0), QString());
        QCOMPARE(f.grid()->model()->headerData(0, Qt::Horizontal).toString(), QString());
        QVERIFY(!f.pending());
    }

    void window()
    {
        test::WindowFixture f;
        QCOMPARE(f.window->objectName(), "frmVelmix");
        QCOMPARE(f.window->windowTitle(), "Velmix V2.0");
        QCOMPARE(f.window->size(), QSize(601, 594));
        QVERIFY(f.window->windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(f.window->testAttribute(Qt::WA_TranslucentBackground));
        QVERIFY(!f.window->windowIcon().isNull());
        QCOMPARE(f.window->mask().boundingRect(), QRect(QPoint(5, 12), QPoint(559, 578)));
        QVERIFY(!f.control("PicMini")->mask().contains(QPoint(0, 0)));
        QVERIFY(f.control("PicClose")->mask().contains(QPoint(19, 18)));
    }

    // Places in window pixels, as the layout gives them, whatever frame holds a control.
    void controlPlaces_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("place");
        QTest::newRow("PicPerBig") << "PicPerBig" << QRect(236, 488, 31, 31);
        QTest::newRow("Label7") << "Label7" << QRect(420, 464, 109, 21);
        QTest::newRow("PicNum") << "PicNum" << QRect(172, 528, 31, 31);
        QTest::newRow("TxtNach") << "TxtNach" << QRect(124, 472, 81, 21);
        QTest::newRow("TxtName") << "TxtName" << QRect(28, 400, 177, 21);
        QTest::newRow("FlexGrid1") << "FlexGrid1" << QRect(232, 68, 301, 329);
        QTest::newRow("cboMask") << "cboMask" << QRect(28, 352, 177, 21);
        QTest::newRow("Dir1") << "Dir1" << QRect(28, 96, 177, 231);
        QTest::newRow("Drive1") << "Drive1" << QRect(28, 68, 177, 21);
        QTest::newRow("PicClose") << "PicClose" << QRect(513, 10, 40, 40);
        QTest::newRow("PicMini") << "PicMini" << QRect(479, 10, 40, 40);
        QTest::newRow("ImgApply") << "ImgApply" << QRect(460, 532, 84, 39);
    }
    void controlPlaces()
    {
        QFETCH(QString, name);
        QFETCH(QRect, place);
        test::WindowFixture f;
        QWidget *control = f.control(qPrintable(name));
        QCOMPARE(QRect(control->mapTo(f.window.get(), QPoint(0, 0)), control->size()), place);
    }

    void captionsAndEntries()
    {
        test::WindowFixture f;
        QCOMPARE(f.control<QGroupBox>("FraFormat")->title(), "Форматирование");
        QCOMPARE(f.control<QGroupBox>("FraFile")->title(), "Наименования файлов");
        QCOMPARE(f.control<QLabel>("Label6")->text(), "Заменить \" \" на \"_\"");
        QCOMPARE(f.control<QLabel>("Label7")->text(), "Заменить \"_\" на \" \"");
        QCOMPARE(f.button("ImgChancel")->toolTip(), "Сбросить настройки");
        QCOMPARE(f.list("cboMask")->count(), 11);
        QCOMPARE(f.list("cboMask")->itemText(3), "*.mp3;*.wav");
        QCOMPARE(f.list("CboRazr")->itemText(4), "00001");
        QCOMPARE(f.textBox("TxtNach")->maxLength(), 5);
        QCOMPARE(f.textBox("TxtName")->maxLength(), 50);
    }

    // Every caption fits its control in the fonts the desktop gives.
    void captionsFit()
    {
        test::WindowFixture f;
        for (QLabel *label : f.window->findChildren<QLabel *>(QRegularExpression("^Label[1-8]$"))) {
            const QRect needed = label->fontMetrics().boundingRect(label->rect(), Qt::TextWordWrap, label->text());
            QVERIFY2(label->rect().contains(needed), qPrintable(label->objectName()));
        }
        auto *title = f.control<QLabel>("Label9");
        QVERIFY(title->width() >= title->fontMetrics().horizontalAdvance(title->text()));
    }

    void tabOrderAndFirstFocus()
    {
        test::WindowFixture f;
        QTRY_COMPARE(QApplication::focusWidget(), f.control("PicMini"));
        const QStringList expected = {"PicClose", "Drive1", "Dir1", "cboMask", "FlexGrid1", "TxtName", "CboRazr",
                                      "TxtNach", "TxtShag", "PicNum", "PicBreak", "PicPod", "PicSmall", "PicBig",
                                      "PicPerBig", "ImgHelp", "ImgChancel", "ImgApply", "PicMini"};
        QStringList visited;
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited.append(QApplication::focusWidget()->objectName());
        }
        QCOMPARE(visited, expected);
    }

    void gridModelIsConsistent()
    {
        test::WindowFixture f({"x.txt", "y.txt"});
        QAbstractItemModelTester tester(f.grid()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QTest::mouseClick(f.button("PicBig"), Qt::LeftButton);
        QCOMPARE(f.newNames(), QStringList({"X.TXT", "Y.TXT"}));
        QVERIFY(f.grid()->horizontalHeader()->sectionSize(0) - f.grid()->horizontalHeader()->sectionSize(1) <= 1);
    }

    void picturesAreAccessible()
    {
        test::WindowFixture f;
        QAccessibleInterface *box = QAccessible::queryAccessibleInterface(f.control("PicSmall"));
        QCOMPARE(box->role(), QAccessible::CheckBox);
        QCOMPARE(box->text(QAccessible::Name), "Все буквы маленькие");
        QVERIFY(!box->state().checked);
        QTest::mouseClick(f.button("PicSmall"), Qt::LeftButton);
        QVERIFY(box->state().checked);
        QAccessibleInterface *apply = QAccessible::queryAccessibleInterface(f.control("ImgApply"));
        QCOMPARE(apply->role(), QAccessible::Button);
        QCOMPARE(apply->text(QAccessible::Name), "Применить настройки");
    }
};

QTEST_MAIN(TestWindowStartup)
#include "tst_window_startup.moc"
