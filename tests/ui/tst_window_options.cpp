#include "WindowFixture.h"

#include <QAccessible>
#include <QClipboard>
#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>

using namespace velmix;

namespace {

// The keys of one box: Cyrillic and Latin letters go in as text; others as keys.
struct Key
{
    Qt::Key key;
    QString text;
    Qt::KeyboardModifiers modifiers = {};
};
using Keys = QList<Key>;

void type(QLineEdit *box, const Keys &keys)
{
    for (const Key &key : keys)
        test::typeKey(box, key.key, key.text, key.modifiers);
}

void focus(QLineEdit *box)
{
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    box->end(false);
}

} // namespace

Q_DECLARE_METATYPE(Keys)

class TestWindowOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // One click on each picture box reaches the core as its own toggle; the rules between
    // the toggles are the core's and are tested there.
    void pictureBoxesReachTheirToggles_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QStringList>("newNames");
        QTest::newRow("PicBig") << "PicBig" << QStringList{"A B.TXT", "C_D.TXT"};
        QTest::newRow("PicSmall") << "PicSmall" << QStringList{"a b.txt", "c_d.txt"};
        QTest::newRow("PicPerBig") << "PicPerBig" << QStringList{"A b.txt", "C_d.txt"};
        QTest::newRow("PicPod") << "PicPod" << QStringList{"a_b.txt", "c_d.TXT"};
        QTest::newRow("PicBreak") << "PicBreak" << QStringList{"a b.txt", "c d.TXT"};
        QTest::newRow("PicNum") << "PicNum" << QStringList{"a b1.txt", "c_d2.TXT"};
    }
    void pictureBoxesReachTheirToggles()
    {
        QFETCH(QString, box);
        QFETCH(QStringList, newNames);
        test::WindowFixture f;
        QTest::mouseClick(f.button(qPrintable(box)), Qt::LeftButton);
        QCOMPARE(f.ticked(), QStringList{box});
        QCOMPARE(f.newNames(), newNames);
        QVERIFY(f.pending());
        // A screen reader's toggle is the same click, and it reads the state back from the core.
        QAccessibleInterface *spoken = QAccessible::queryAccessibleInterface(f.button(qPrintable(box)));
        spoken->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QTRY_COMPARE(f.newNames(), (QStringList{"a b.txt", "c_d.TXT"}));
        QCOMPARE(f.ticked(), QStringList());
        QVERIFY(!spoken->state().checked);
    }

    void doubleClickIsOneClick()
    {
        test::WindowFixture f;
        QAbstractButton *box = f.button("PicBig");
        QTest::mouseClick(box, Qt::LeftButton);
        QTest::mouseDClick(box, Qt::LeftButton);
        QTest::mouseRelease(box, Qt::LeftButton);
        QCOMPARE(f.ticked(), QStringList{"PicBig"});
    }

    void labelDoesNothing()
    {
        test::WindowFixture f;
        QTest::mouseClick(f.control("Label4"), Qt::LeftButton);
        QCOMPARE(f.ticked(), QStringList());
        QVERIFY(!f.pending());
    }

    void spaceOnFocusedBoxClicks()
    {
        test::WindowFixture f;
        QAbstractButton *box = f.button("PicPod");
        box->setFocus();
        QTRY_VERIFY(box->hasFocus());
        QTest::keyClick(box, Qt::Key_Space);
        QCOMPARE(f.ticked(), QStringList{"PicPod"});
    }

    // The numbering fields through real keys: only digits enter, every editing and moving
    // key works as in any text box, and each change rebuilds the preview while numbering is
    // ticked, so the preview is always what a fresh rebuild from the texts, and the apply,
    // give. The first key replaces the field's text; the clipboard holds "a1b2".
    void numberFields_data()
    {
        const Key left{Qt::Key_Left, {}}, home{Qt::Key_Home, {}}, end{Qt::Key_End, {}}, shift{Qt::Key_Shift, {}};
        const Key back{Qt::Key_Backspace, {}}, del{Qt::Key_Delete, {}}, paste{Qt::Key_V, {}, Qt::ControlModifier};
        const auto digits = [](const char *typed) {
            Keys keys;
            for (const char *c = typed; *c; ++c)
                keys.append({Qt::Key(Qt::Key_0 + (*c - '0')), QString(QChar(*c))});
            return keys;
        };
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("numbering");
        QTest::addColumn<Keys>("keys");
        QTest::addColumn<QString>("text");
        QTest::newRow("moving keys keep digits") << "TxtNach" << true << digits("12345") + Keys{left, home, end, shift}
                                                 << "12345";
        QTest::newRow("sixth digit refused") << "TxtNach" << true << digits("123456") << "12345";
        QTest::newRow("one backspace, one digit") << "TxtNach" << true << digits("123") + Keys{left, back} << "13";
        QTest::newRow("delete at home") << "TxtNach" << true << digits("123") + Keys{home, del} << "23";
        QTest::newRow("letters never enter") << "TxtNach" << true
                                             << digits("1") + Keys{{Qt::Key_A, "a"}, {Qt::Key(0x416), "Ж"}}
                                                    + digits("2") + Keys{{Qt::Key_1, "!", Qt::ShiftModifier}}
                                             << "12";
        QTest::newRow("keypad digit") << "TxtNach" << true << Keys{{Qt::Key_7, "7", Qt::KeypadModifier}} << "7";
        QTest::newRow("paste keeps digits") << "TxtNach" << true << digits("9") + Keys{paste} << "912";
        QTest::newRow("paste undone") << "TxtNach" << true
                                      << digits("9") + Keys{paste, {Qt::Key_Z, "z", Qt::ControlModifier}} << "9";
        QTest::newRow("emptied reads 1") << "TxtNach" << true << digits("7") + Keys{back} << "1";
        QTest::newRow("step digits") << "TxtShag" << true << digits("20") + Keys{home, del, end} + digits("3") << "03";
        QTest::newRow("unticked: emptied stays") << "TxtShag" << false << digits("5") + Keys{back} << "";
    }
    void numberFields()
    {
        QFETCH(QString, box);
        QFETCH(bool, numbering);
        QFETCH(Keys, keys);
        QFETCH(QString, text);
        test::WindowFixture f({"a.txt", "b.txt"});
        QGuiApplication::clipboard()->setText("a1b2");
        if (numbering)
            QTest::mouseClick(f.button("PicNum"), Qt::LeftButton);
        QLineEdit *field = f.textBox(qPrintable(box));
        focus(field);
        field->selectAll();
        type(field, keys);
        QCOMPARE(field->text(), text);
        QStringList fresh{"a.txt", "b.txt"};
        if (numbering) {
            const int start = f.textBox("TxtNach")->text().toInt(), step = f.textBox("TxtShag")->text().toInt();
            fresh = QStringList{QString("a%1.txt").arg(start), QString("b%1.txt").arg(start + step)};
        }
        QCOMPARE(f.newNames(), fresh);
        QTest::mouseClick(f.button("ImgApply"), Qt::LeftButton);
        QCOMPARE(f.folder.files(), fresh);
    }

    // A key typed into the base name ticks numbering, but not where tag fields alone give
    // each file a name of its own, typed key by key.
    void baseNameTicksNumbering_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("ticked");
        QTest::addColumn<QStringList>("newNames");
        QTest::newRow("plain text") << "" << "Ж" << QStringList{"PicNum"} << QStringList{"Ж1.txt", "Ж2.txt"};
        QTest::newRow("tags alone, key by key") << "" << "{исполнитель} - {название}" << QStringList{}
                                                << QStringList{" - .txt", " - .txt"};
        QTest::newRow("the number where typed") << "{n:2} x" << "Ж" << QStringList{"PicNum"}
                                                << QStringList{"01 xЖ.txt", "02 xЖ.txt"};
    }
    void baseNameTicksNumbering()
    {
        QFETCH(QString, before);
        QFETCH(QString, typed);
        QFETCH(QStringList, ticked);
        QFETCH(QStringList, newNames);
        test::WindowFixture f({"a.txt", "b.txt"});
        QLineEdit *name = f.textBox("TxtName");
        focus(name);
        name->setText(before);
        for (const QChar c : typed)
            test::typeKey(name, Qt::Key(c.toUpper().unicode()), c);
        QCOMPARE(name->text(), before + typed);
        QCOMPARE(f.ticked(), ticked);
        QCOMPARE(f.newNames(), newNames);
    }

    // While the base name holds only "-" or "*", a click on it selects that text, so a key
    // typed or a field inserted replaces it.
    void keepingTextIsReplaced()
    {
        test::WindowFixture f({"a.txt"});
        QLineEdit *name = f.textBox("TxtName");
        QTest::mouseClick(name, Qt::LeftButton, {}, QPoint(name->width() - 3, name->height() / 2));
        QTRY_COMPARE(name->selectedText(), "-");
        test::typeKey(name, Qt::Key_D, "Д");
        QCOMPARE(name->text(), "Д");
        QCOMPARE(f.newNames(), QStringList{"Д1.txt"});
    }

    // The core's tests cover the cut at 50 characters; here what comes in is cut at its
    // end, and the text that was there stays, however it comes in.
    void baseNameLimit_data()
    {
        const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
        const QString x48(48, u'x');
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("after");
        QTest::newRow("emoji typed as the 51st") << x48 + "xx" << 50 << "typed" << emoji << x48 + "xx";
        QTest::newRow("inserted at the start") << x48 + u'x' << 0 << "inserted" << emoji + emoji << emoji + x48 + u'x';
        QTest::newRow("pasted") << x48 << 48 << "pasted" << u'y' + emoji + emoji << x48 + u'y' + emoji;
    }
    void baseNameLimit()
    {
        QFETCH(QString, before);
        QFETCH(int, caret);
        QFETCH(QString, how);
        QFETCH(QString, input);
        QFETCH(QString, after);
        test::WindowFixture f({"a.txt"});
        QLineEdit *name = f.textBox("TxtName");
        focus(name);
        name->setText(before);
        name->setCursorPosition(caret);
        if (how == "typed") {
            test::typeKey(name, Qt::Key(input.toUcs4().first()), input);
        } else if (how == "inserted") {
            name->insert(input);
        } else {
            QGuiApplication::clipboard()->setText(input);
            test::typeKey(name, Qt::Key_V, {}, Qt::ControlModifier);
        }
        QCOMPARE(name->text(), after);
        QCOMPARE(f.window->core().preview().options().BaseName, after);
    }

    void pastedTextReachesNextRebuild()
    {
        test::WindowFixture f({"a.txt", "b.txt"});
        QLineEdit *step = f.textBox("TxtShag");
        focus(step);
        step->selectAll();
        step->insert("5"); // as a paste does: no key release
        QCOMPARE(f.newNames(), QStringList({"a.txt", "b.txt"}));
        QTest::mouseClick(f.button("PicNum"), Qt::LeftButton);
        QCOMPARE(f.newNames(), QStringList({"a1.txt", "b6.txt"}));
    }

    void digitWidth()
    {
        test::WindowFixture f({"a.txt", "b.txt"});
        QComboBox *width = f.list("CboRazr");
        QTest::mouseClick(f.button("PicNum"), Qt::LeftButton);
        test::WindowFixture::pick(width, 3);
        QCOMPARE(f.newNames(), QStringList({"a0001.txt", "b0002.txt"}));
        // The chosen width outlives a reset, and the list shows it.
        QTest::mouseClick(f.button("ImgChancel"), Qt::LeftButton);
        QCOMPARE(width->currentText(), "0001");
    }

    // Where the numbers in the names count, "Screenshot 2.png" is numbered second, and the
    // grid shows the rows in the order they are numbered.
    void numberingOrder()
    {
        test::WindowFixture f({"Screenshot 1.png", "Screenshot 12.png", "Screenshot 2.png", "Screenshot 10.png"});
        QLineEdit *name = f.textBox("TxtName");
        focus(name);
        name->selectAll();
        test::typeKey(name, Qt::Key_S, "s");
        QCOMPARE(f.cell(3, 0), "Screenshot 2.png");
        QCOMPARE(f.cell(3, 1), "s4.png");
        test::WindowFixture::pick(f.list("CboOrder"), 1);
        for (int row = 0; row < 4; ++row)
            QCOMPARE(f.cell(row, 0) + " > " + f.cell(row, 1),
                     QStringList({"Screenshot 1.png", "Screenshot 2.png", "Screenshot 10.png", "Screenshot 12.png"})[row]
                         + " > s" + QString::number(row + 1) + ".png");
    }

    void doubleClickOnWidthRebuilds()
    {
        test::WindowFixture f({"a.txt"});
        QVERIFY(!f.pending());
        QTest::mouseDClick(f.control("CboRazr"), Qt::LeftButton);
        QVERIFY(f.pending());
    }

    void rebuildKeepsSelectionAndScroll()
    {
        QStringList files;
        for (int i = 0; i < 100; ++i)
            files.append(QString("f%1.txt").arg(i, 3, 10, QChar('0')));
        test::WindowFixture f(files);
        QTableView *grid = f.grid();
        grid->setCurrentIndex(grid->model()->index(60, 0));
        grid->scrollTo(grid->currentIndex());
        const int scroll = grid->verticalScrollBar()->value();
        QVERIFY(scroll > 0);
        QSignalSpy resets(grid->model(), &QAbstractItemModel::modelReset);
        QSignalSpy changes(grid->model(), &QAbstractItemModel::dataChanged);
        QTest::mouseClick(f.button("PicBig"), Qt::LeftButton);
        QCOMPARE(changes.count(), 1);
        QCOMPARE(resets.count(), 0);
        QCOMPARE(grid->currentIndex().row(), 60);
        QCOMPARE(grid->verticalScrollBar()->value(), scroll);
        QCOMPARE(f.cell(60, 1), "F060.TXT");
    }
};

QTEST_MAIN(TestWindowOptions)
#include "tst_window_options.moc"
