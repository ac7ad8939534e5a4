#include "PreviewSession.h"
#include "TestSupport.h"

#include <QTest>

using namespace velmix;

namespace {

struct Session
{
    explicit Session(const QStringList &names = {"a b.txt", "C_d.TXT"})
    {
        preview.loadFileList(test::column(names));
    }
    test::CountingBusyPointer busy;
    PreviewSession preview{busy};

    QStringList newNames() const { return test::names(preview.table().newNames()); }
};

using Ticks = QList<Toggle>;

} // namespace

class TestPreview : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void groupRules_data()
    {
        QTest::addColumn<Ticks>("clicks");
        QTest::addColumn<Ticks>("ticked");
        QTest::newRow("small unticks big") << Ticks{Toggle::UpperCase, Toggle::LowerCase} << Ticks{Toggle::LowerCase};
        QTest::newRow("second click unticks") << Ticks{Toggle::LowerCase, Toggle::LowerCase} << Ticks{};
        QTest::newRow("capital unticks both others")
            << Ticks{Toggle::UpperCase, Toggle::FirstLetterCapital} << Ticks{Toggle::FirstLetterCapital};
        QTest::newRow("pod unticks break") << Ticks{Toggle::UnderscoresToSpaces, Toggle::SpacesToUnderscores}
                                           << Ticks{Toggle::SpacesToUnderscores};
        QTest::newRow("break unticks pod") << Ticks{Toggle::SpacesToUnderscores, Toggle::UnderscoresToSpaces}
                                           << Ticks{Toggle::UnderscoresToSpaces};
        QTest::newRow("groups are independent") << Ticks{Toggle::UpperCase, Toggle::SpacesToUnderscores, Toggle::Numbering}
                                                << Ticks{Toggle::UpperCase, Toggle::SpacesToUnderscores, Toggle::Numbering};
        QTest::newRow("numbering unticks with dash") << Ticks{Toggle::Numbering, Toggle::Numbering} << Ticks{};
    }
    void groupRules()
    {
        QFETCH(Ticks, clicks);
        QFETCH(Ticks, ticked);
        Session session;
        for (Toggle toggle : clicks)
            session.preview.ToggleOption(toggle);
        for (Toggle toggle : {Toggle::UpperCase, Toggle::LowerCase, Toggle::FirstLetterCapital, Toggle::SpacesToUnderscores,
                              Toggle::UnderscoresToSpaces, Toggle::Numbering})
            QCOMPARE(session.preview.isTicked(toggle), ticked.contains(toggle));
        QVERIFY(session.preview.namesPending());
        QCOMPARE(session.busy.depth, 0);
    }

    void emptyTableChangesPicturesOnly()
    {
        Session session(QStringList{});
        session.preview.ToggleOption(Toggle::UpperCase);
        QVERIFY(session.preview.isTicked(Toggle::UpperCase));
        QVERIFY(!session.preview.namesPending());
        QCOMPARE(session.busy.shown, 0);
        QCOMPARE(session.preview.table().rowCount(), 2);
    }

    void pipelineOrder()
    {
        Session session({"my file.txt", "b.jpg"});
        session.preview.setBaseName("new name_");
        session.preview.baseNameKeyReleased(); // ticks numbering
        session.preview.ToggleOption(Toggle::UpperCase);
        session.preview.ToggleOption(Toggle::SpacesToUnderscores);
        // Number first, then upper case of everything, then spaces of the base name too.
        QCOMPARE(session.newNames(), QStringList({"NEW_NAME_1.TXT", "NEW_NAME_2.JPG"}));
        session.preview.ToggleOption(Toggle::FirstLetterCapital);
        QCOMPARE(session.newNames(), QStringList({"New_name_1.txt", "New_name_2.jpg"}));
        QCOMPARE(test::names(session.preview.table().currentNames()), QStringList({"my file.txt", "b.jpg"}));
        QCOMPARE(session.busy.depth, 0);
        QVERIFY(session.busy.shown >= 4);
    }

    void numberingOfOwnNamesAndUntick()
    {
        Session session({"a.txt", "b.txt"});
        session.preview.ToggleOption(Toggle::Numbering);
        QCOMPARE(session.newNames(), QStringList({"a1.txt", "b2.txt"}));
        session.preview.ToggleOption(Toggle::Numbering);
        QCOMPARE(session.newNames(), QStringList({"a.txt", "b.txt"}));
    }

    void baseNameHoldsNumberingOn()
    {
        Session session({"a.txt", "b.txt"});
        session.preview.setBaseName("x");
        session.preview.baseNameKeyReleased();
        QCOMPARE(session.newNames(), QStringList({"x1.txt", "x2.txt"}));
        const int rebuilds = session.busy.shown;
        session.preview.ToggleOption(Toggle::Numbering); // refused silently, no rebuild
        QVERIFY(session.preview.isTicked(Toggle::Numbering));
        QCOMPARE(session.busy.shown, rebuilds);
        session.preview.setBaseName("-");
        session.preview.baseNameKeyReleased(); // back to "-" leaves numbering ticked
        QVERIFY(session.preview.isTicked(Toggle::Numbering));
        session.preview.ToggleOption(Toggle::Numbering);
        QVERIFY(!session.preview.isTicked(Toggle::Numbering));
        session.preview.setBaseName("");
        session.preview.baseNameKeyReleased(); // the empty text is a base name too
        QVERIFY(session.preview.isTicked(Toggle::Numbering));
        QCOMPARE(session.newNames(), QStringList({"1.txt", "2.txt"}));
    }

    void emptyFieldsReturnAsOne()
    {
        Session session;
        session.preview.setStartText("");
        session.preview.setStepText("");
        session.preview.ToggleOption(Toggle::LowerCase);
        QCOMPARE(session.preview.options().StartText, "1");
        QCOMPARE(session.preview.options().StepText, "1");
    }

    void emptyNewNameDoesNotFreezePreview()
    {
        Session session({"README", "b.txt"});
        session.preview.setBaseName("");
        session.preview.ToggleOption(Toggle::UpperCase); // base "" on a dot-less name gives an empty new name
        QCOMPARE(session.newNames(), QStringList({"", ".TXT"}));
        session.preview.setBaseName("-");
        session.preview.ToggleOption(Toggle::UpperCase);
        QCOMPARE(session.newNames(), QStringList({"README", "b.txt"}));
    }

    void resetKeepsDigitWidth()
    {
        Session session;
        session.preview.setDigitWidthIndex(3);
        session.preview.setBaseName("x");
        session.preview.baseNameKeyReleased();
        session.preview.ResetOptions();
        NamingOptions expected;
        expected.DigitWidthIndex = 3;
        QCOMPARE(session.preview.options(), expected);
    }

    void digitKeyFilter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("digit");
        QTest::addColumn<bool>("numbering");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("rebuilt");
        QTest::newRow("letter cuts last") << "12a" << false << true << "12" << false;
        QTest::newRow("after backspace cuts again") << "1" << false << true << "" << false;
        QTest::newRow("empty box ignores keys") << "" << false << true << "" << false;
        QTest::newRow("digit rebuilds when numbering") << "125" << true << true << "125" << true;
        QTest::newRow("digit without numbering") << "125" << true << false << "125" << false;
        QTest::newRow("cuts a whole pair") << QString::fromUtf8("1\xF0\x9F\x98\x80") << false << false << "1" << false;
    }
    void digitKeyFilter()
    {
        QFETCH(QString, text);
        QFETCH(bool, digit);
        QFETCH(bool, numbering);
        QFETCH(QString, after);
        QFETCH(bool, rebuilt);
        for (bool start : {true, false}) {
            Session session;
            if (numbering)
                session.preview.ToggleOption(Toggle::Numbering);
            const int before = session.busy.shown;
            const KeyMeaning key = digit ? KeyMeaning::Digit : KeyMeaning::Other;
            if (start) {
                session.preview.setStartText(text);
                session.preview.startKeyReleased(key);
                QCOMPARE(session.preview.options().StartText, after);
            } else {
                session.preview.setStepText(text);
                session.preview.stepKeyReleased(key);
                QCOMPARE(session.preview.options().StepText, after);
            }
            QCOMPARE(session.busy.shown > before, rebuilt);
        }
    }

    void digitWidthList()
    {
        Session session({"a.txt"});
        session.preview.setDigitWidthIndex(3);
        session.preview.digitWidthPicked(); // numbering off: nothing visible
        QCOMPARE(session.newNames(), QStringList({"a.txt"}));
        QVERIFY(!session.preview.namesPending());
        session.preview.digitWidthDoubleClicked();
        QVERIFY(session.preview.namesPending());
        session.preview.ToggleOption(Toggle::Numbering);
        QCOMPARE(session.newNames(), QStringList({"a0001.txt"}));
        session.preview.setDigitWidthIndex(1);
        session.preview.digitWidthPicked();
        QCOMPARE(session.newNames(), QStringList({"a01.txt"}));
        session.preview.setDigitWidthIndex(9); // out of range is refused
        QCOMPARE(session.preview.options().DigitWidthIndex, 1);
    }

    void fieldLimits()
    {
        Session session;
        session.preview.setStartText("1234567");
        session.preview.setBaseName(QString(80, u'x'));
        QCOMPARE(session.preview.options().StartText, "12345");
        QCOMPARE(session.preview.options().BaseName.size(), 50);
    }

    void keyMeanings_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("digit");
        QTest::newRow("0") << int(Qt::Key_0) << true;
        QTest::newRow("9") << int(Qt::Key_9) << true;
        QTest::newRow("shifted 1 types !") << int(Qt::Key_Exclam) << false;
        QTest::newRow("letter") << int(Qt::Key_A) << false;
        QTest::newRow("backspace") << int(Qt::Key_Backspace) << false;
        QTest::newRow("shift") << int(Qt::Key_Shift) << false;
        QTest::newRow("keypad end without numlock") << int(Qt::Key_End) << false;
    }
    void keyMeanings()
    {
        QFETCH(int, key);
        QFETCH(bool, digit);
        QCOMPARE(keyMeaning(key) == KeyMeaning::Digit, digit);
    }

    void keyReleaseGate()
    {
        KeyReleaseGate gate;
        QVERIFY(!gate.releaseCounts(Qt::Key_Tab, false)); // pressed in another box
        gate.pressed(Qt::Key_A, false);
        gate.pressed(Qt::Key_A, true);
        QVERIFY(!gate.releaseCounts(Qt::Key_A, true)); // auto-repeat
        QVERIFY(gate.releaseCounts(Qt::Key_A, false));
        QVERIFY(!gate.releaseCounts(Qt::Key_A, false)); // one press, one release
        gate.pressed(Qt::Key_B, false);
        gate.forget();
        QVERIFY(!gate.releaseCounts(Qt::Key_B, false));
    }

    void busyPointerBalancesWhenAStepThrows()
    {
        test::CountingBusyPointer busy;
        try {
            BusyGuard guard(busy);
            throw std::runtime_error("step failed");
        } catch (const std::runtime_error &) {
        }
        QCOMPARE(busy.shown, 1);
        QCOMPARE(busy.depth, 0);
    }
};

QTEST_GUILESS_MAIN(TestPreview)
#include "tst_preview.moc"
