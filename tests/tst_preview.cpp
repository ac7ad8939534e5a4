#include "TestSupport.h"
#include "conflicts/ConflictFixes.h"
#include "preview/KeyRelease.h"
#include "preview/PreviewSession.h"
#include "text/FileExtension.h"

#include <QRandomGenerator>
#include <QSet>
#include <QTest>

using namespace velmix;

Q_DECLARE_METATYPE(ConflictChoice)

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
        QCOMPARE(session.preview.table().fileCount(), 0);
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

    // {n} puts the running number where it stands, as wide as chosen or as it says, with
    // the start and step, and none at the end.
    void numberWhereTyped_data()
    {
        QTest::addColumn<QString>("baseName");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("step");
        QTest::addColumn<int>("widthIndex");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("the chosen width") << "Отпуск {n} море" << "1" << "1" << 2
                                          << QStringList{"Отпуск 001 море.jpg", "Отпуск 002 море.txt"};
        QTest::newRow("widths of its own, start and step") << "{n:4}-{n:1}" << "9" << "5" << 2
                                                           << QStringList{"0009-9.jpg", "0014-14.txt"};
        QTest::newRow("blanks inside the braces") << "x{ n : 3 }" << "-1" << "1" << 0 << QStringList{"x-01.jpg", "x000.txt"};
    }
    void numberWhereTyped()
    {
        QFETCH(QString, baseName);
        QFETCH(QString, start);
        QFETCH(QString, step);
        QFETCH(int, widthIndex);
        QFETCH(QStringList, expected);
        Session session({"a.jpg", "b.txt"});
        session.preview.setStartText(start);
        session.preview.setStepText(step);
        session.preview.setDigitWidthIndex(widthIndex);
        session.preview.setBaseName(baseName);
        session.preview.baseNameKeyReleased();
        QVERIFY(session.preview.isTicked(Toggle::Numbering));
        QCOMPARE(session.newNames(), expected);
    }

    // Typed key by key, tags alone pass through "{а", which ticks numbering: that tick goes
    // again once the tags alone stand, one the user clicked stays.
    void tagsTypedKeyByKey()
    {
        Session session({"a.txt"});
        for (const bool clicked : {false, true}) {
            if (clicked)
                session.preview.ToggleOption(Toggle::Numbering);
            for (const char *text : {"{", "{а", "{альбом}"}) {
                session.preview.setBaseName(QString::fromUtf8(text));
                session.preview.baseNameKeyReleased();
            }
            QCOMPARE(session.preview.isTicked(Toggle::Numbering), clicked);
        }
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

    void resetKeepsDigitWidthAndOrder()
    {
        Session session;
        session.preview.setDigitWidthIndex(3);
        session.preview.setNumberingOrder(NumberingOrder::ByNumbersInName);
        session.preview.setBaseName("x");
        session.preview.baseNameKeyReleased();
        session.preview.ResetOptions();
        NamingOptions expected;
        expected.DigitWidthIndex = 3;
        expected.Order = NumberingOrder::ByNumbersInName;
        QCOMPARE(session.preview.options(), expected);
    }

    // A new order moves the rows and rebuilds the preview; the marks move with the rows
    // (p2.TXT cannot take the name p2.txt keeps).
    void orderMovesRowsAndTheirMarks()
    {
        Session session({"p10.txt", "p2.TXT", "p2.txt"}); // as listed
        session.preview.ToggleOption(Toggle::LowerCase);
        QCOMPARE(session.preview.table().mark(1), NameMark::Refused);
        session.preview.setNumberingOrder(NumberingOrder::ByNumbersInName);
        QCOMPARE(test::names(session.preview.table().currentNames()), QStringList({"p2.TXT", "p2.txt", "p10.txt"}));
        QCOMPARE(session.newNames(), QStringList({"p2.txt", "p2.txt", "p10.txt"}));
        QCOMPARE(session.preview.table().mark(0), NameMark::Refused);
        QCOMPARE(session.preview.table().mark(1), NameMark::None);
        QCOMPARE(session.busy.depth, 0);
    }

    // Rows sorted by a column (natural order, either way) or moved by hand are numbered
    // as shown, and the order says so. Listed: s1, s10, s2; the new names are x1… as shown.
    void arrangedByHand_data()
    {
        QTest::addColumn<int>("sortColumn"); // -1: moved instead
        QTest::addColumn<bool>("descending");
        QTest::addColumn<QList<qsizetype>>("moved");
        QTest::addColumn<int>("before");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("old names, up") << 0 << false << QList<qsizetype>{} << 0
                                       << QStringList{"s1.txt", "s2.txt", "s10.txt"};
        QTest::newRow("old names, down") << 0 << true << QList<qsizetype>{} << 0
                                         << QStringList{"s10.txt", "s2.txt", "s1.txt"};
        QTest::newRow("new names, down") << 1 << true << QList<qsizetype>{} << 0 // x2, x1, hand
                                         << QStringList{"s10.txt", "s1.txt", "s2.txt"};
        QTest::newRow("the last one up") << -1 << false << QList<qsizetype>{2} << 1
                                         << QStringList{"s1.txt", "s2.txt", "s10.txt"};
        QTest::newRow("two to the end, as a block") << -1 << false << QList<qsizetype>{1, 0} << 3
                                                    << QStringList{"s2.txt", "s1.txt", "s10.txt"};
        QTest::newRow("the first one up: stays") << -1 << false << QList<qsizetype>{0} << -1
                                                 << QStringList{"s1.txt", "s10.txt", "s2.txt"};
    }
    void arrangedByHand()
    {
        QFETCH(int, sortColumn);
        QFETCH(bool, descending);
        QFETCH(QList<qsizetype>, moved);
        QFETCH(int, before);
        QFETCH(QStringList, shown);
        Session session({"s1.txt", "s10.txt", "s2.txt"});
        session.preview.setBaseName("x");
        session.preview.baseNameKeyReleased();
        session.preview.setHandName(2, "hand.txt"); // s2 keeps it wherever it goes
        if (sortColumn >= 0)
            session.preview.sortRows(sortColumn, descending);
        else
            QCOMPARE(session.preview.moveRows({moved.begin(), moved.end()}, before),
                     std::min<qsizetype>(std::max(before, 0), 3 - moved.size()));
        QCOMPARE(session.preview.options().Order, NumberingOrder::AsShown);
        QCOMPARE(test::names(session.preview.table().currentNames()), shown);
        QStringList expected;
        for (int number = 1; const QString &name : shown)
            expected.append(name == "s2.txt" ? "hand.txt" : QString("x%1.txt").arg(number++));
        QCOMPARE(session.newNames(), expected);
        session.preview.rereadMetadata(); // the rows stay where they were put
        QCOMPARE(test::names(session.preview.table().currentNames()), shown);
    }

    // A typed name stands over the options through every rebuild, follows its file to a new
    // place, is judged like any other, gives the row back when emptied, and goes with a reload.
    void handNames()
    {
        Session session({"p10.txt", "p2.TXT", "p2.txt"});
        const PreviewSession &preview = session.preview;
        session.preview.setHandName(0, "Отпуск.txt");
        session.preview.setHandName(2, "p2.TXT"); // the name p2.TXT keeps
        session.preview.setHandName(7, "past the files");
        QCOMPARE(session.newNames(), QStringList({"Отпуск.txt", "p2.TXT", "p2.TXT"}));
        QCOMPARE(preview.table().mark(2), NameMark::Refused);
        session.preview.ToggleOption(Toggle::UpperCase);
        QCOMPARE(session.newNames(), QStringList({"Отпуск.txt", "P2.TXT", "p2.TXT"}));
        QCOMPARE(preview.table().mark(2), NameMark::None); // p2.TXT now moves out of its way
        session.preview.setNumberingOrder(NumberingOrder::ByNumbersInName);
        QCOMPARE(test::names(preview.table().currentNames()), QStringList({"p2.TXT", "p2.txt", "p10.txt"}));
        QCOMPARE(session.newNames(), QStringList({"P2.TXT", "p2.TXT", "Отпуск.txt"}));
        QCOMPARE(QList<bool>({preview.table().editedByHand(0), preview.table().editedByHand(1),
                              preview.table().editedByHand(2)}),
                 QList<bool>({false, true, true}));
        session.preview.setHandName(1, QString());
        QCOMPARE(session.newNames(), QStringList({"P2.TXT", "P2.TXT", "Отпуск.txt"}));
        QCOMPARE(preview.handNames().size(), 1);
        // A row named by hand takes no number: the others stay consecutive.
        session.preview.setHandName(2, QString());
        session.preview.setHandName(1, "Сам.txt");
        session.preview.setBaseName("x");
        session.preview.baseNameKeyReleased();
        QCOMPARE(session.newNames(), QStringList({"X1.TXT", "Сам.txt", "X2.TXT"}));
        session.preview.loadFileList(test::column({"p10.txt"}));
        QVERIFY(preview.handNames().isEmpty());
        QVERIFY(!preview.table().editedByHand(0));
    }

    void digitWidthList()
    {
        Session session({"a.txt"});
        session.preview.setDigitWidthIndex(3);
        session.preview.numberingInputChanged(); // numbering off: nothing visible
        QCOMPARE(session.newNames(), QStringList({"a.txt"}));
        QVERIFY(!session.preview.namesPending());
        session.preview.digitWidthDoubleClicked();
        QVERIFY(session.preview.namesPending());
        session.preview.ToggleOption(Toggle::Numbering);
        QCOMPARE(session.newNames(), QStringList({"a0001.txt"}));
        session.preview.setDigitWidthIndex(1);
        session.preview.numberingInputChanged();
        QCOMPARE(session.newNames(), QStringList({"a01.txt"}));
        session.preview.setDigitWidthIndex(9); // out of range is refused
        QCOMPARE(session.preview.options().DigitWidthIndex, 1);
        session.preview.setStepText({}); // an emptied field reads "1" after the rebuild
        session.preview.numberingInputChanged();
        QCOMPARE(session.preview.options().StepText, "1");
    }

    // 50 characters, where a surrogate pair (an emoji) is one and is never split; 200 with
    // a known field in the name (an unknown one gives no more).
    void baseNameLimit_data()
    {
        const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
        const QString x49(49, u'x');
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("kept");
        QTest::newRow("long plain text") << QString(80, u'y') << QString(50, u'y');
        QTest::newRow("emoji as the 50th") << x49 + emoji << x49 + emoji;
        QTest::newRow("emoji as the 51st") << x49 + u'x' + emoji << x49 + u'x';
        QTest::newRow("two emoji from the 50th") << x49 + emoji + emoji << x49 + emoji;
        QTest::newRow("50 emoji") << emoji.repeated(51) << emoji.repeated(50);
        const QString tags = "{исполнитель} - {название} - {альбом} - {номер_трека}";
        QTest::newRow("tag fields, 53") << tags << tags;
        QTest::newRow("a field, then 250 more") << "{год}" + QString(250, u'y') << "{год}" + QString(195, u'y');
        QTest::newRow("an unknown field") << "{номер_тре}" + QString(60, u'y') << "{номер_тре}" + QString(39, u'y');
        QTest::newRow("the number, then 250 more") << "{n}" + QString(250, u'y') << "{n}" + QString(197, u'y');
        QTest::newRow("a bad width") << "{n:0}" + QString(60, u'y') << "{n:0}" + QString(45, u'y');
    }
    void baseNameLimit()
    {
        QFETCH(QString, text);
        QFETCH(QString, kept);
        Session session;
        session.preview.setBaseName(text);
        QCOMPARE(session.preview.options().BaseName, kept);
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

    // The marks of the new names: the rows the apply will refuse, and those whose file it
    // will hide. Current names "a.txt", "b.txt", "c".
    void marks_data()
    {
        QTest::addColumn<QStringList>("newNames");
        QTest::addColumn<QStringList>("unlisted");
        QTest::addColumn<bool>("ignoresCase");
        QTest::addColumn<bool>("windows");
        QTest::addColumn<QStringList>("reasons");
        const QString hidden = "файл станет скрытым", exists = "файл с таким именем уже существует";
        const QString invalid = "недопустимое имя файла", taken = "это имя получает другой файл";
        const QString notForWindows = "имя недопустимо в Windows";
        const bool other = false, windows = true;
        QTest::newRow("none") << QStringList{"x", "b.txt", "a.txt"} << QStringList{} << false << other
                              << QStringList{"", "", ""};
        QTest::newRow("hides the file") << QStringList{".a", ".b", "c"} << QStringList{} << false << other
                                        << QStringList{hidden, hidden, ""};
        QTest::newRow("held by a hidden file, and so on down the chain")
            << QStringList{".h", "a.txt", "b.txt"} << QStringList{".h"} << false << other
            << QStringList{exists, exists, exists};
        QTest::newRow("case-blind: held by a subfolder") << QStringList{"x", "y", "SUB"} << QStringList{"sub"} << true
                                                         << other << QStringList{"", "", exists};
        QTest::newRow("case matters") << QStringList{"x", "y", "SUB"} << QStringList{"sub"} << false << other
                                      << QStringList{"", "", ""};
        QTest::newRow("case-blind: the same name twice") << QStringList{"x", "X", "c"} << QStringList{} << true
                                                         << other << QStringList{"", taken, ""};
        QTest::newRow("Windows refuses, and still takes the name") << QStringList{"a:b", "a:b", "c "} << QStringList{}
                                                                   << false << windows
                                                                   << QStringList{notForWindows, taken, notForWindows};
        QTest::newRow("Windows: device names in any case, a trailing dot") << QStringList{"con", "Lpt9.tar.gz", "x."}
                                                                           << QStringList{} << false << windows
                                                                           << QStringList(3, notForWindows);
        QTest::newRow("Windows: a control character") << QStringList{"COM0", "a\tb", "NULL"} << QStringList{} << false
                                                      << windows << QStringList{"", notForWindows, ""};
        QTest::newRow("left to the apply elsewhere") << QStringList{"a:b", "x", "c "} << QStringList{} << false << other
                                                     << QStringList{"", "", ""};
    }
    void marks()
    {
        QFETCH(QStringList, newNames);
        QFETCH(QStringList, unlisted);
        QFETCH(bool, ignoresCase);
        QFETCH(bool, windows);
        QFETCH(QStringList, reasons);
        const NameColumn current = test::column({"a.txt", "b.txt", "c"});
        FileNameTable table;
        table.load(current);
        NameColumn &fresh = table.spareColumn();
        fresh.beginRewrite(newNames.size(), newNames.join(QString()).size());
        for (const QString &name : std::as_const(newNames))
            fresh.write({name});
        fresh.endRewrite();
        table.takeSpareAsNewNames();
        const FolderNames folder(current, FolderRules{255, ignoresCase, windows, windows}, test::column(unlisted));
        table.setFates(judgeNewNames(folder, table.newNames()).fates);
        QStringList shown;
        for (qsizetype row = 0; row < 3; ++row) {
            shown.append(table.markReason(row));
            QCOMPARE(table.mark(row) == NameMark::None, shown.last().isEmpty());
        }
        QCOMPARE(shown, reasons);
        QCOMPARE(table.mark(3), NameMark::None); // past the files
    }

    // Taken names given free ones: by a number or a pattern before the extension, the
    // first free one, judged against the other new names, listed files that stay and
    // entries not listed, as the medium compares letter case; a burst by its sub-seconds.
    // A row waiting on a file that is given a free name keeps its own.
    void takenNamesFixed_data()
    {
        QTest::addColumn<QStringList>("current");
        QTest::addColumn<QStringList>("newNames");
        QTest::addColumn<QStringList>("unlisted");
        QTest::addColumn<bool>("ignoresCase");
        QTest::addColumn<ConflictChoice>("choice");
        QTest::addColumn<QStringList>("subSeconds");
        QTest::addColumn<QStringList>("fixed");
        const ConflictChoice mark, number{ConflictRule::AddNumber, {}}, pattern{ConflictRule::Pattern, "_{n:2}"},
            subSecond{ConflictRule::SubSecond, {}};
        QTest::newRow("marked and left") << QStringList{"a.jpg", "b.jpg"} << QStringList{"x.jpg", "x.jpg"}
                                         << QStringList{} << false << mark << QStringList{}
                                         << QStringList{"x.jpg", "x.jpg"};
        QTest::newRow("another row's name") << QStringList{"a.jpg", "b.jpg"} << QStringList{"x.jpg", "x.jpg"}
                                            << QStringList{} << false << number << QStringList{}
                                            << QStringList{"x.jpg", "x (2).jpg"};
        QTest::newRow("a listed file that stays") << QStringList{"x.jpg", "b.jpg"} << QStringList{"x.jpg", "x.jpg"}
                                                  << QStringList{} << false << number << QStringList{}
                                                  << QStringList{"x.jpg", "x (2).jpg"};
        QTest::newRow("listed and unlisted names skipped")
            << QStringList{"a.jpg", "b.jpg", "x (2).jpg"} << QStringList{"x.jpg", "x.jpg", "x (2).jpg"}
            << QStringList{"x (3).jpg", "x.jpg"} << false << number << QStringList{}
            << QStringList{"x (4).jpg", "x (5).jpg", "x (2).jpg"};
        QTest::newRow("case-blind medium") << QStringList{"a.jpg", "b.jpg", "c"} << QStringList{"x.jpg", "X.JPG", "c"}
                                           << QStringList{"x (2).JPG"} << true << number << QStringList{}
                                           << QStringList{"x.jpg", "X (3).JPG", "c"};
        QTest::newRow("case matters") << QStringList{"a.jpg", "b.jpg", "c"} << QStringList{"x.jpg", "X.JPG", "c"}
                                      << QStringList{"x (2).JPG"} << false << number << QStringList{}
                                      << QStringList{"x.jpg", "X.JPG", "c"};
        QTest::newRow("pattern") << QStringList{"a", "b", "c"} << QStringList{"x.tar.gz", "x.tar.gz", "x.tar.gz"}
                                 << QStringList{} << false << pattern << QStringList{}
                                 << QStringList{"x.tar.gz", "x_02.tar.gz", "x_03.tar.gz"};
        QTest::newRow("a chain waits on the file fixed") << QStringList{"a.jpg", "b.jpg", "c.jpg"}
                                                         << QStringList{"b.jpg", "c.jpg", "c.jpg"} << QStringList{}
                                                         << false << number << QStringList{}
                                                         << QStringList{"b.jpg", "c (2).jpg", "c.jpg"};
        QStringList burst, shots, subSeconds, named;
        for (int i = 0; i < 10; ++i) {
            burst.append(QString("IMG_%1.JPG").arg(i));
            shots.append("2026-07-14 15.30.12.jpg");
            subSeconds.append(QString::number(i * 10 + 5));
            named.append(QString("2026-07-14 15.30.12_%1.jpg").arg(i * 10 + 5));
        }
        QTest::newRow("a burst of ten by sub-seconds") << burst << shots << QStringList{} << false << subSecond
                                                       << subSeconds << named;
        QTest::newRow("sub-seconds alike or missing: a number")
            << QStringList{"a.jpg", "b.jpg", "c.jpg", "d.jpg"} << QStringList{"p.jpg", "p.jpg", "p.jpg", "p.jpg"}
            << QStringList{"p_5.jpg"} << false << subSecond << QStringList{"", "5", "5", ""}
            << QStringList{"p.jpg", "p_5 (2).jpg", "p_5 (3).jpg", "p (2).jpg"};
    }
    void takenNamesFixed()
    {
        QFETCH(QStringList, current);
        QFETCH(QStringList, newNames);
        QFETCH(QStringList, unlisted);
        QFETCH(bool, ignoresCase);
        QFETCH(ConflictChoice, choice);
        QFETCH(QStringList, subSeconds);
        QFETCH(QStringList, fixed);
        const FolderNames folder(test::column(current), FolderRules{255, ignoresCase}, test::column(unlisted));
        NameColumn names = test::column(newNames);
        NameJudgement judgement = judgeNewNames(folder, names);
        const std::vector<qint32> rows = fixTakenNames(folder, names, judgement, choice,
                                                       [&](qint32 row) { return subSeconds.value(row); });
        QCOMPARE(test::names(names), fixed);
        for (qint32 row = 0; row < qint32(fixed.size()); ++row) {
            QCOMPARE(std::binary_search(rows.begin(), rows.end(), row), fixed[row] != newNames[row]);
            if (choice.fixes())
                QVERIFY(judgement.fates[size_t(row)] == RowFate::Moves || judgement.fates[size_t(row)] == RowFate::Stays);
        }
    }

    // At random: files that go together, new names that meet each other, listed files
    // and hidden entries in the way. Every taken name gets a free one, no two rows end
    // on one name, and a group's files keep one stem.
    void takenNamesFixedAtRandom()
    {
        const QStringList stems{"a", "b", "c", "x", "x (2)"}, extensions{".CR2", ".JPG", ".xmp", ".txt"};
        for (int seed = 0; seed < 300; ++seed) {
            QRandomGenerator random(seed);
            const auto anyStem = [&] { return stems[random.bounded(qsizetype(stems.size()))]; };
            QStringList current, fresh;
            std::vector<quint32> leads; // a stem's files but its .txt (last) go together
            for (const QString &stem : stems) {
                const QString newStem = random.bounded(4) == 0 ? stem : anyStem();
                const auto lead = quint32(current.size());
                for (const QString &extension : extensions) {
                    if (random.bounded(2) == 0)
                        continue;
                    const bool grouped = extension != ".txt";
                    leads.push_back(grouped ? lead : quint32(current.size()));
                    current.append(stem + extension);
                    fresh.append((grouped ? newStem : anyStem()) + extension);
                }
            }
            const FolderNames folder(test::column(current), FolderRules{255, random.bounded(2) == 1},
                                     test::column({anyStem() + ".JPG"}));
            NameColumn names = test::column(fresh);
            NameJudgement judgement = judgeNewNames(folder, names);
            (void)fixTakenNames(folder, names, judgement, {ConflictRule::AddNumber, {}}, {}, {}, leads);
            const auto stemOf = [&](qsizetype row) { return names.at(row).first(lengthBeforeExtension(names.at(row))); };
            QSet<QString> ending;
            for (qint32 row = 0; row < qint32(current.size()); ++row) {
                const RowFate fate = judgement.fates[size_t(row)];
                QVERIFY2(fate == RowFate::Moves || fate == RowFate::Stays, qPrintable(QString::number(seed)));
                ending.insert(folder.rules().ignoresCase ? names.at(row).toString().toCaseFolded() : names.at(row).toString());
                QCOMPARE(ending.size(), row + 1);
                QCOMPARE(stemOf(row), stemOf(leads[size_t(row)]));
            }
        }
    }

    // A large table is judged in two parts; a row of the second part asking for a name a
    // row of the first asked for is refused, a name held by a row of the second part that
    // stays holds a row of the first, and the names holding escapes, keyed after the
    // parts, come out as in one part; with the listed names indexed or not.
    void judgedInParts_data()
    {
        QTest::addColumn<int>("rows");
        QTest::newRow("one part") << 300;
        QTest::newRow("two parts") << 20000;
    }
    void judgedInParts()
    {
        QFETCH(int, rows);
        const int half = rows / 2;
        QStringList current, fresh;
        for (int i = 0; i < rows; ++i)
            current.append(QString(QChar(i >= half && i % 3 == 2 && i % 2 == 0 ? u'é' : u'f')) + QString::number(i) + ".txt");
        std::vector<RowFate> expected;
        for (int i = 0; i < rows; ++i) {
            const QString n = QString::number(i);
            if (i < half) {
                fresh.append(i % 7 == 0 ? current[i + half] : "g" + n + ".txt");
                expected.push_back(i % 7 == 0 ? RowFate::TargetExists : RowFate::Moves);
            } else if ((i - half) % 7 == 0) {
                fresh.append(current[i]);
                expected.push_back(RowFate::Stays);
            } else if (i % 3 == 0) {
                fresh.append("g" + QString::number(i - half) + ".txt");
                expected.push_back(RowFate::TakenByOtherRow);
            } else if (i % 3 == 1) {
                fresh.append("a/b" + n);
                expected.push_back(RowFate::InvalidName);
            } else if (i % 2 == 0) {
                fresh.append(QString(QChar(0xDCC3)) + QChar(0xDCA9) + n + ".txt"); // the bytes of é, typed
                expected.push_back(RowFate::Stays);
            } else {
                fresh.append("h" + n + QChar(0xDCE9) + ".txt");
                expected.push_back(RowFate::Moves);
            }
        }
        const FolderNames folder(test::column(current), FolderRules{});
        const NameJudgement once = judgeNewNames(folder, test::column(fresh));
        QCOMPARE(once.fates, expected);
        // Looked up the other way, in an index of the listed names, the same holders.
        QVERIFY(folder.looksUpListed(0));
        const NameJudgement indexed = judgeNewNames(folder, test::column(fresh));
        QCOMPARE(indexed.fates, expected);
        QCOMPARE(indexed.blockers, once.blockers);
        QCOMPARE(indexed.waiters, once.waiters);
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
