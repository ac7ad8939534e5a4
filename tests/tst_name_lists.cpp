#include "TestSupport.h"
#include "lists/ListText.h"
#include "lists/NameLists.h"
#include "preview/PreviewSession.h"
#include "text/FileNameCodec.h"

#include <QTemporaryDir>
#include <QTest>

using namespace velmix;

namespace {

// Each entry as "line:old>new" (a list by row has no old name), or the problem alone.
QStringList shown(const NameList &list)
{
    if (!list.problem.isEmpty())
        return {list.problem};
    QStringList entries;
    for (const ListEntry &entry : list.entries)
        entries.append(QStringLiteral("%1:%2>%3").arg(entry.line).arg(entry.oldName, entry.newName));
    return entries;
}

QStringList shown(const ListOutcome &outcome)
{
    if (!outcome.taken())
        return {outcome.problem};
    QStringList rows;
    for (const auto &[row, name] : outcome.changed)
        rows.append(QStringLiteral("%1=%2").arg(row).arg(name));
    return rows;
}

} // namespace

class TestNameLists : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A file's bytes as the readers take them: the encoding, the line breaks, the kind
    // the name and the first line tell, and the bad lines named.
    void readers_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("names, UTF-8") << QByteArray("Пролог.mp3\nb.txt\n") << "list.txt" << QStringList{"1:>Пролог.mp3", "2:>b.txt"};
        QTest::newRow("names, BOM and CR LF, no final break")
            << QByteArray("\xEF\xBB\xBF" "a\r\nb") << "list.txt" << QStringList{"1:>a", "2:>b"};
        QTest::newRow("names, an empty line kept") << QByteArray("a\n\nb\n") << "list" << QStringList{"1:>a", "2:>", "3:>b"};
        QTest::newRow("names, cp1251") << QByteArray("\xCF\xF0\xEE\xEB\xEE\xE3.mp3\n\xDD\xEF\xE8\xEB\xEE\xE3.mp3\n")
                                       << "list.txt" << QStringList{"1:>Пролог.mp3", "2:>Эпилог.mp3"};
        QTest::newRow("names, UTF-8 lines beside a cp1251 one")
            << QByteArray("Пролог.mp3\n\xDD\xEF\xE8\xEB\xEE\xE3 \xE4\xEB\xE8\xED\xED\xFB\xE9.mp3\n") << "list.txt"
            << QStringList{"1:>Пролог.mp3", "2:>Эпилог длинный.mp3"};
        QTest::newRow("names, bytes neither UTF-8 nor Russian kept as on disk")
            << QByteArray("Mot\xF6rhead.mp3\ncaf\xE9") << "list.txt"
            << QStringList{"1:>" + FileNameCodec::decode("Mot\xF6rhead.mp3"), "2:>" + FileNameCodec::decode("caf\xE9")};
        QTest::newRow("TSV by its tab, the reason column passed over, escapes read back")
            << QByteArray("a\\tb.txt\tnew\\\\x\\n\tпричина\n\nc\td\\q\n") << "list.txt"
            << QStringList{"1:a\tb.txt>new\\x\n", "3:c>d\\q"};
        QTest::newRow("TSV, a line of one column") << QByteArray("a\tb\nc\n") << "list.tsv"
                                                  << QStringList{"строка 2: нужны два столбца — старое имя и новое"};
        QTest::newRow("CSV, quotes holding a comma, a quote and a line break")
            << QByteArray("\"a, b.txt\",\"say \"\"hi\"\".txt\"\r\n\"two\nlines\",x\r\n\r\nplain,y,extra\n") << "map.csv"
            << QStringList{"1:a, b.txt>say \"hi\".txt", "2:two\nlines>x", "5:plain>y"};
        QTest::newRow("CSV, semicolons") << QByteArray("a;b\nc;\"d;e\"\n") << "map.CSV" << QStringList{"1:a>b", "2:c>d;e"};
        QTest::newRow("CSV, a quote left open") << QByteArray("a,b\n\"c,d\n") << "map.csv"
                                               << QStringList{"строка 2: кавычка не закрыта"};
        QTest::newRow("CSV, text after a closing quote") << QByteArray("\"a\"x,b\n") << "map.csv"
                                                        << QStringList{"строка 1: после закрывающей кавычки нет «,»"};
        QTest::newRow("CSV, one column after a field spanning lines")
            << QByteArray("\"a\nb\",c\nd\n") << "map.csv" << QStringList{"строка 3: нужны два столбца — старое имя и новое"};
    }
    void readers()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, fileName);
        QFETCH(QStringList, entries);
        QTemporaryDir dir;
        QFile file(dir.filePath(fileName));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        QCOMPARE(shown(NameLists::readFile(file.fileName())), entries);
    }

    // A list against the rows: only the names it changes are taken; a count that does not
    // fit, an empty name, "/" or a control character is told by its line, and nothing is
    // taken; a map's names that are no row's are counted and skipped.
    void check_data()
    {
        QTest::addColumn<QStringList>("newNames");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("map");
        QTest::addColumn<int>("fromRow"); // -1: the whole table
        QTest::addColumn<QStringList>("taken");
        QTest::addColumn<int>("unmatched");
        QTest::addColumn<QStringList>("tree"); // the rows' paths with subfolders; empty: "a", "b", "c"
        const QStringList same{"a", "b", "c"};
        QTest::newRow("changed lines only") << same << "a\nB\nc\n" << false << -1 << QStringList{"1=B"} << 0 << QStringList();
        QTest::newRow("a line short") << same << "a\nb" << false << -1
                                      << QStringList{"строк в списке: 2, а файлов в таблице: 3"} << 0 << QStringList();
        QTest::newRow("an empty line") << same << "a\n\nc" << false << -1 << QStringList{"строка 2 пустая"} << 0 << QStringList();
        QTest::newRow("a slash") << same << "a\nx/y\nz/" << false << -1 << QStringList{"строка 2: в имени «x/y» есть «/»"} << 0 << QStringList();
        QTest::newRow("a control character") << same << "a\nx\ty\nc" << false << -1
                                             << QStringList{"строка 2: в имени «x␉y» есть управляющий знак"} << 0 << QStringList();
        QTest::newRow("a name shown with its picture is unchanged")
            << QStringList{"a\tb", "c", "d"} << "a␉b\nc\nD" << false << -1 << QStringList{"2=D"} << 0 << QStringList();
        QTest::newRow("pasted from the second row") << same << "X\nY\n" << false << 1 << QStringList{"1=X", "2=Y"} << 0 << QStringList();
        QTest::newRow("pasted, one line beyond the last row")
            << same << "X\nY" << false << 2 << QStringList{"строк в списке: 2, а строк таблицы от текущей до конца: 1"} << 0 << QStringList();
        QTest::newRow("a map, one name not in the table")
            << same << "c\tC\nzz\tZ\na\ta\n" << true << -1 << QStringList{"2=C"} << 1 << QStringList();
        QTest::newRow("a map naming an old name twice") << same << "a\tA\nb\tB\na\tC" << true << -1
                                                        << QStringList{"строка 3: «a» уже есть в строке 1"} << 0 << QStringList();
        QTest::newRow("a map with an empty new name") << same << "b\t\n" << true << -1 << QStringList{"строка 1 пустая"} << 0 << QStringList();
        // In a tree a map names files by path; a list by row stays names.
        const QStringList tree{"a", "x/a", "y/a", "x/b"};
        const QStringList treeNames{"a", "a", "a", "b"};
        QTest::newRow("a tree's map by paths, the new names with their own folder or bare")
            << treeNames << "x/a\tx/A\ny/a\tY\nx/b\tx/b\n" << true << -1 << QStringList{"1=A", "2=Y"} << 0 << tree;
        QTest::newRow("a tree's bare name in several folders")
            << treeNames << "x/a\tX\na\tB\n" << true << -1
            << QStringList{"строка 2: «a» есть в папках таблицы (3) — укажите путь от выбранной папки, например «y/a»"} << 0
            << tree;
        QTest::newRow("a tree's saved map: the bare name is the one named by no path")
            << treeNames << "a\tR\nx/a\tx/X\ny/a\ty/a\nx/b\tx/b\n" << true << -1 << QStringList{"0=R", "1=X"} << 0 << tree;
        QTest::newRow("a tree's bare name of one file, and a path not in it")
            << treeNames << "b\tB\nz/a\tZ\n" << true << -1 << QStringList{"3=B"} << 1 << tree;
        QTest::newRow("a tree's file named by path and by name")
            << treeNames << "x/b\tB\nb\tC\n" << true << -1 << QStringList{"строка 2: «b» — тот же файл, что «x/b» в строке 1"}
            << 0 << tree;
        QTest::newRow("a tree's new name in another folder")
            << treeNames << "x/a\ty/A\n" << true << -1
            << QStringList{"строка 1: «y/A» — в другой папке, чем «x/a»; список не переносит файлы между папками"} << 0 << tree;
        QTest::newRow("a tree's root file given a folder")
            << treeNames << "a\tx/A\nx/a\tx/a\ny/a\ty/a\n" << true << -1
            << QStringList{"строка 1: «x/A» — в другой папке, чем «a»; список не переносит файлы между папками"} << 0 << tree;
        QTest::newRow("a tree's list by row: names, a slash refused")
            << treeNames << "a\nx/A\na\nb" << false << -1 << QStringList{"строка 2: в имени «x/A» есть «/»"} << 0 << tree;
    }
    void check()
    {
        QFETCH(QStringList, newNames);
        QFETCH(QString, text);
        QFETCH(bool, map);
        QFETCH(int, fromRow);
        QFETCH(QStringList, taken);
        QFETCH(int, unmatched);
        QFETCH(QStringList, tree);
        const NameList list = map ? readNameMap(text, MapFormat::Tsv) : readNameLines(text);
        const ListPlace place = fromRow < 0 ? ListPlace{} : ListPlace{fromRow, false};
        QStringList current{"a", "b", "c"};
        RowPrefix prefixOf;
        if (!tree.isEmpty()) {
            current.clear();
            for (const QString &path : tree)
                current.append(path.section(u'/', -1));
            prefixOf = [&tree](qsizetype row) { return tree[row].chopped(tree[row].section(u'/', -1).size()); };
        }
        const ListOutcome outcome = checkList(list, test::column(current), test::column(newNames), place, prefixOf);
        QCOMPARE(shown(outcome), taken);
        QCOMPARE(outcome.unmatched, unmatched);
        QCOMPARE(outcome.unmatchedLines.size(), unmatched);
        QCOMPARE(outcome.unmatchedText().isEmpty(), unmatched == 0);
    }

    // A list taken makes hand edits: they stand over the options, take no number, and a
    // swap is judged as the apply will make it. A saved list, odd names and all, reads back
    // as a map that gives the same names.
    void takenListsAreHandEditsAndSavedListsComeBack()
    {
        test::CountingBusyPointer busy;
        PreviewSession preview(busy);
        const QString odd = FileNameCodec::decode("c\tab \\ caf\xE9.txt");
        preview.loadFileList(test::column({"a.txt", "b.txt", odd, "d.txt"}));
        preview.setBaseName(QStringLiteral("x"));
        preview.baseNameKeyReleased();
        ListOutcome outcome = NameLists::take(preview, readNameLines(u"b.txt\na.txt\nx3.txt\nx4.txt"));
        QVERIFY(outcome.taken());
        QCOMPARE(test::names(preview.table().newNames()), QStringList({"b.txt", "a.txt", "x1.txt", "x2.txt"}));
        QCOMPARE(preview.handNames().rows(), (std::vector<qsizetype>{0, 1}));
        QVERIFY(preview.table().editedByHand(1) && !preview.table().editedByHand(2));
        QCOMPARE(preview.table().mark(0), NameMark::None); // a swap, not a clash
        QCOMPARE(busy.depth, 0);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("list.tsv"));
        QCOMPARE(NameLists::writeTsv(path, preview.table()), QString());
        PreviewSession again(busy);
        again.loadFileList(test::column({"d.txt", odd, "b.txt", "a.txt", "other.txt"}));
        outcome = NameLists::take(again, NameLists::readFile(path));
        QVERIFY(outcome.taken());
        QCOMPARE(outcome.unmatched, 0);
        QCOMPARE(test::names(again.table().newNames()), QStringList({"x2.txt", "x1.txt", "a.txt", "b.txt", "other.txt"}));
        QCOMPARE(NameLists::writeTsv(dir.filePath(QStringLiteral("no/such/folder.tsv")), again.table()).left(24),
                 QStringLiteral("Список не сохранён в «%1").arg(dir.path()).left(24));

        // With subfolders a saved list holds paths below the chosen folder, and reads back
        // onto the same files however many folders hold a name.
        const auto tree = std::make_shared<ListedTree>(ListedTree{{"", "x"}, {FolderRules(), FolderRules()}});
        const auto loadTree = [&](PreviewSession &session) {
            session.loadFileList(test::column({"a.txt", "a.txt"}), {}, {}, {tree, {0, 1}, {}, {}});
        };
        PreviewSession inTree(busy);
        loadTree(inTree);
        inTree.setBaseName(QStringLiteral("y"));
        inTree.baseNameKeyReleased();
        const QByteArray saved = NameLists::tableTsv(inTree.table());
        QCOMPARE(saved, QByteArray("a.txt\ty1.txt\t\n" "x/a.txt\tx/y2.txt\t\n"));
        PreviewSession treeAgain(busy);
        loadTree(treeAgain);
        outcome = NameLists::take(treeAgain, NameLists::readText(QString::fromUtf8(saved), {}, NameLists::FileKind::Guess));
        QVERIFY(outcome.taken());
        QCOMPARE(test::names(treeAgain.table().newNames()), QStringList({"y1.txt", "y2.txt"}));
    }
};

QTEST_GUILESS_MAIN(TestNameLists)
#include "tst_name_lists.moc"
