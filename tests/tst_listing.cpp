#include "TempFolder.h"
#include "TestSupport.h"
#include "listing/FolderListing.h"
#include "listing/NameSort.h"
#include "listing/WildcardMask.h"
#include "posix/PosixFileMover.h"
#include "text/FileNameCodec.h"
#include "text/NameOrder.h"
#include "text/NaturalSort.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

using namespace velmix;

namespace {

// Names that stress the listing's order: shared prefixes longer than the sort's chunks,
// letters that fold to each other (Latin, Cyrillic, Greek, the Kelvin sign, full-width),
// units whose keys take one, two or three bytes, surrogate pairs, lone surrogates and
// escaped bytes (U+DC80 + byte).
QString randomName(QRandomGenerator &random)
{
    static const QStringList prefixes = {"", "IMG_000", "img_000", "Summer holiday ", "SUMMER HOLIDAY ", "ФОТО_", "фото_"};
    static const QList<char16_t> units = {u'a', u'A', u'k', u'K', u'_', u'.', u'1', u'9', u'\u00DF', u'\u0130',
                                          u'\u0131', u'\u0416', u'\u0436', u'\u03A3', u'\u03C3', u'\u03C2',
                                          u'\u212A', u'\uFF21', u'\uFF41', u'\uFFFD', u'\uE000', 0xD801, 0xDC00,
                                          0xDC28, 0xD83D, 0xDE00, 0xDC80, 0xDCE9};
    QString name = prefixes[random.bounded(int(prefixes.size()))];
    for (int i = random.bounded(12); i > 0; --i)
        name += QChar(units[random.bounded(int(units.size()))]);
    return name;
}

QStringList listed(const QString &folder, const QString &mask)
{
    PosixFileMover files;
    return test::names(FolderListing::read(files, folder, mask).names);
}

} // namespace

class TestListing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void masks_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("matches");
        QTest::newRow("*.* any dotted") << "*.*" << "a.b" << true;
        QTest::newRow("*.* takes a dot-less name") << "*.*" << "README" << true;
        QTest::newRow("*.* trailing dot") << "*.*" << "notes." << true;
        QTest::newRow("case ignored") << "*.mp3" << "c.MP3" << true;
        QTest::newRow("cyrillic case ignored") << "ФОТО*.jpg" << "фото1.JPG" << true;
        QTest::newRow("wrong extension") << "*.mp3" << "a.wav" << false;
        QTest::newRow("extension is the end") << "*.mp3" << "a.mp3.bak" << false;
        QTest::newRow("either pattern") << "*.mp3;*.wav" << "b.wav" << true;
        QTest::newRow("question mark is one char") << "a?.txt" << "ab.txt" << true;
        QTest::newRow("question mark is not zero") << "a?.txt" << "a.txt" << false;
        QTest::newRow("question mark takes a pair") << "?.txt" << QString::fromUtf8("\xF0\x9F\x98\x80.txt") << true;
        QTest::newRow("star backtracks") << "*a*b.txt" << "xaxxab.txt" << true;
        QTest::newRow("x.* takes x") << "x.*" << "x" << true;
        QTest::newRow("x.* not xy") << "x.*" << "xy" << false;
        QTest::newRow("*.jpg not dot-less") << "*.jpg" << "jpg" << false;
        QTest::newRow("* takes any name") << "*" << "README" << true;
        QTest::newRow("**.* takes a dot-less name") << "*.mp3;**.*" << "README" << true;
        QTest::newRow(".* only dotted starts") << ".*" << "a.txt" << false;
        // Masks as typed: the blanks around each pattern do not count.
        QTest::newRow("typed heic") << "*.heic" << "IMG_0001.HEIC" << true;
        QTest::newRow("typed prefix") << "IMG_*.*" << "img_0001.jpg" << true;
        QTest::newRow("typed prefix other") << "IMG_*.*" << "DSC_0001.jpg" << false;
        QTest::newRow("typed blanks") << " *.jpg ; *.heic ;" << "a.heic" << true;
    }
    void masks()
    {
        QFETCH(QString, mask);
        QFETCH(QString, name);
        QFETCH(bool, matches);
        const std::optional<QString> typed = WildcardMask::fromTyped(mask);
        QVERIFY(typed);
        QCOMPARE(WildcardMask(*typed).matches(name), matches);
    }

    void listsPlainVisibleFilesInOrder()
    {
        test::TempFolder dir;
        const QString path = dir.path();
        dir.createFiles({"b.wav", "A.mp3", "c.MP3", "readme", "Zeta.txt", "alpha.TXT", ".hidden.mp3", "a.mp3", "ro.txt"});
        QVERIFY(QDir(path).mkdir("sub.mp3"));
        QVERIFY(QFile::setPermissions(path + "/ro.txt", QFile::ReadOwner));
        QVERIFY(QFile::link(path + "/Zeta.txt", path + "/link-to-file.txt"));
        QVERIFY(QFile::link(path + "/sub.mp3", path + "/link-to-dir.mp3"));
        QVERIFY(QFile::link(path + "/missing", path + "/broken.txt"));

        QCOMPARE(listed(path, "*.mp3;*.wav"), QStringList({"A.mp3", "a.mp3", "b.wav", "c.MP3"}));
        QCOMPARE(listed(path, "*.*"),
                 QStringList({"A.mp3", "a.mp3", "alpha.TXT", "b.wav", "c.MP3", "link-to-file.txt", "readme", "ro.txt", "Zeta.txt"}));
        QCOMPARE(listed(path, "*.gif"), QStringList());
        PosixFileMover files;
        QCOMPARE(FolderListing::read(files, path, "*.*").subfolders, QStringList({"link-to-dir.mp3", "sub.mp3"}));
    }

    // The whole-column sort must give exactly the order of the one-pair comparison, on
    // columns small enough for one thread and large enough for two.
    void sortedOrderMatchesComparison()
    {
        QRandomGenerator random(11);
        for (int count : {0, 1, 2, 50, 3000, 40000}) {
            QStringList names;
            for (int i = 0; i < count; ++i)
                names.append(randomName(random));
            QStringList expected = names;
            std::sort(expected.begin(), expected.end(), [](const QString &a, const QString &b) { return compareNames(a, b) < 0; });
            NameColumn column = test::column(names);
            column.reorder(sortedOrder(column));
            QCOMPARE(test::names(column), expected);
        }
    }

    // The numbering order "по числам в имени": runs of digits as numbers, letter case
    // ignored, Latin before Cyrillic as by name; names equal so keep the listing's order.
    void naturalOrder_data()
    {
        QTest::addColumn<QStringList>("listed"); // in the listing's order
        QTest::addColumn<QStringList>("ordered");
        QTest::newRow("numbers") << QStringList{"Screenshot 1.png", "Screenshot 10.png", "Screenshot 12.png", "Screenshot 2.png"}
                                 << QStringList{"Screenshot 1.png", "Screenshot 2.png", "Screenshot 10.png", "Screenshot 12.png"};
        QTest::newRow("two runs") << QStringList{"a10b1", "a2b10", "a2b9"} << QStringList{"a2b9", "a2b10", "a10b1"};
        QTest::newRow("case and scripts") << QStringList{"B 3", "b 20", "Фото 1", "фото 10", "фото 9"}
                                          << QStringList{"B 3", "b 20", "Фото 1", "фото 9", "фото 10"};
        QTest::newRow("equal as numbers") << QStringList{"IMG_001.JPG", "IMG_01.JPG", "IMG_1.JPG"}
                                          << QStringList{"IMG_001.JPG", "IMG_01.JPG", "IMG_1.JPG"};
    }
    void naturalOrder()
    {
        QFETCH(QStringList, listed);
        QFETCH(QStringList, ordered);
        NameColumn column = test::column(listed);
        column.reorder(velmix::naturalOrder(column));
        QCOMPARE(test::names(column), ordered);
    }

    void nonUtf8NameIsListedAndEncodesBack()
    {
        test::TempFolder dir;
        dir.createFile("caf\xE9.txt");
        dir.createFile("ok.txt");
        const QStringList names = listed(dir.path(), "*.txt");
        QCOMPARE(names.size(), 2);
        QCOMPARE(names[0], QStringLiteral("caf") + QChar(0xDCE9) + QStringLiteral(".txt"));
        QCOMPARE(*FileNameCodec::encode(names[0]), QByteArray("caf\xE9.txt"));
    }

    void unreadableFolderGivesError()
    {
        PosixFileMover files;
        QCOMPARE(FolderListing::read(files, "/nonexistent/velmix-test", "*.*").error, ENOENT);
        test::TempFolder dir;
        dir.createFiles({"file"});
        QCOMPARE(FolderListing::read(files, dir.path() + "/file", "*.*").error, ENOTDIR);
    }

    void codecRoundTripsArbitraryBytes()
    {
        QRandomGenerator random(7);
        for (int round = 0; round < 5000; ++round) {
            QByteArray bytes(1 + random.bounded(12), Qt::Uninitialized);
            for (char &byte : bytes)
                byte = char(1 + random.bounded(255));
            const QString decoded = FileNameCodec::decode(bytes);
            const std::optional<QByteArray> encoded = FileNameCodec::encode(decoded);
            QVERIFY(encoded);
            QCOMPARE(*encoded, bytes);
        }
    }

    void codecRejects_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("encodes");
        QTest::newRow("cyrillic") << "Фото.jpg" << true;
        QTest::newRow("pair") << QString::fromUtf8("\xF0\x9F\x98\x80") << true;
        QTest::newRow("lone high surrogate") << QString(QChar(0xD800)) << false;
        QTest::newRow("low surrogate no byte gives") << QString(QChar(0xDC41)) << false;
    }
    void codecRejects()
    {
        QFETCH(QString, text);
        QFETCH(bool, encodes);
        QCOMPARE(FileNameCodec::encode(text).has_value(), encodes);
        if (encodes)
            QCOMPARE(*FileNameCodec::encode(text), text.toUtf8());
    }
};

QTEST_GUILESS_MAIN(TestListing)
#include "tst_listing.moc"
