#include "TestSupport.h"
#include "metadata/MediaTags.h"
#include "preview/Numbering.h"
#include "preview/NumberingRestarts.h"

#include <QTest>

#include <cmath>
#include <cstdio>
#include <limits>

using namespace velmix;

namespace {

// Six files of a card in two folders, by their place in the listing: the folder and the
// day each was taken (0 for none).
struct CardFile
{
    quint32 folder;
    int day;
};
const CardFile Card[] = {{0, 14}, {1, 14}, {0, 15}, {0, 14}, {1, 0}, {0, 15}};

class CardFolders final : public RowFolders
{
public:
    [[nodiscard]] quint32 folderOf(quint32 listed) const override { return Card[listed].folder; }
    [[nodiscard]] QStringView folderName(quint32 folder) const override { return folder ? u"101CANON" : u"100CANON"; }
};

class CardSource final : public MetadataSource
{
public:
    std::vector<std::optional<RowMetadata>> read(const NameColumn &, const std::vector<quint32> &rows) override
    {
        std::vector<std::optional<RowMetadata>> read;
        for (const quint32 row : rows) {
            RowMetadata metadata;
            if (Card[row].day > 0)
                metadata.date = wallClock(QDate(2026, 7, Card[row].day), QTime(23, 0));
            read.push_back(metadata);
        }
        return read;
    }
};

} // namespace

class TestNumbering : public QObject
{
    Q_OBJECT

private:
    static QString number(double value, int width)
    {
        char16_t text[NumberTextCapacity];
        const int length = writeNumberText(value, width, text);
        return length < 0 ? QStringLiteral("<none>") : QString(reinterpret_cast<const QChar *>(text), length);
    }

private Q_SLOTS:
    void fieldNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("plain") << "12" << 12.0;
        QTest::newRow("leading zeros") << "007" << 7.0;
        QTest::newRow("zero") << "0" << 0.0;
        QTest::newRow("fraction floors") << "1.5" << 1.0;
        QTest::newRow("negative floors down") << "-1.5" << -2.0;
        QTest::newRow("plus sign") << "+3" << 3.0;
        QTest::newRow("exponent") << "2e3" << 2000.0;
        QTest::newRow("sixteen digits") << "1000000000000000" << 1e15;
        QTest::newRow("trailing letters") << "12abc" << 1.0;
        QTest::newRow("comma") << "1,5" << 1.0;
        QTest::newRow("inf") << "inf" << 1.0;
        QTest::newRow("nan") << "nan" << 1.0;
        QTest::newRow("letters") << "abc" << 1.0;
        QTest::newRow("blank inside") << "1 2" << 1.0;
        QTest::newRow("leading blank") << " 12" << 1.0;
        QTest::newRow("lone sign") << "-" << 1.0;
        QTest::newRow("lone dot") << "." << 1.0;
        QTest::newRow("exponent without digits") << "1e" << 1.0;
        QTest::newRow("overflows a double") << "1e400" << 1.0;
        QTest::newRow("arabic-indic digits") << "١٢" << 1.0;
        QTest::newRow("very long digits") << QString(400, u'9') << 1.0;
    }
    void fieldNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(velmix::fieldNumber(text), value);
    }

    void numberText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("text");
        // The widths at work for 7, 42 and 999.
        const double values[] = {7, 42, 999};
        const char *expected[5][3] = {{"7", "42", "999"}, {"07", "42", "999"}, {"007", "042", "999"},
                                      {"0007", "0042", "0999"}, {"00007", "00042", "00999"}};
        for (int w = 0; w < 5; ++w)
            for (int v = 0; v < 3; ++v)
                QTest::addRow("%g width %d", values[v], w + 1) << values[v] << w + 1 << QString(expected[w][v]);
        QTest::newRow("largest plain") << 999999999999999.0 << 1 << "999999999999999";
        QTest::newRow("1E+15") << 1e15 << 1 << "1E+15";
        QTest::newRow("15 significant digits") << 1234567890123456.0 << 1 << "1.23456789012346E+15";
        QTest::newRow("negative zero-filled after sign") << -7.0 << 3 << "-07";
        QTest::newRow("negative wider than width") << -42.0 << 2 << "-42";
        QTest::newRow("negative zero is zero") << -0.0 << 2 << "00";
        QTest::newRow("huge negative") << -1e300 << 5 << "-1E+300";
        QTest::newRow("infinite gives no text") << std::numeric_limits<double>::infinity() << 1 << "<none>";
        QTest::newRow("nan gives no text") << std::nan("") << 1 << "<none>";
    }
    void numberText()
    {
        QFETCH(double, value);
        QFETCH(int, width);
        QFETCH(QString, text);
        QCOMPARE(number(value, width), text);
    }

    // Whole numbers below 10^15, of every count of digits, with a zero or a nine at either
    // end, as printf zero-fills them (the sign counted in the width).
    void wholeNumbersAsPrintf()
    {
        for (long long power = 1; power < 1000000000000000; power *= 10) {
            for (const long long magnitude : {power - 1, power, power + 1, power * 9 + 9, power * 5 / 2}) {
                for (const long long value : {magnitude, -magnitude}) {
                    for (int width = 1; width <= 18; width += 3) {
                        char expected[NumberTextCapacity];
                        std::snprintf(expected, sizeof expected, "%0*lld", width, value);
                        QCOMPARE(number(double(value), width), QString::fromLatin1(expected));
                    }
                }
            }
        }
    }

    void workedExamples_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<bool>("numbering");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("step");
        QTest::addColumn<int>("widthIndex");
        QTest::addColumn<QStringList>("current");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("Holiday_ 001") << "Holiday_" << true << "1" << "1" << 2 << QStringList{"IMG_71.JPG", "IMG_72.JPG", "notes.txt"}
                                      << QStringList{"Holiday_001.JPG", "Holiday_002.JPG", "Holiday_003.txt"};
        QTest::newRow("start 10 step 5") << "Holiday" << true << "10" << "5" << 1 << QStringList{"a.jpg", "b.jpg", "c.jpg"}
                                         << QStringList{"Holiday10.jpg", "Holiday15.jpg", "Holiday20.jpg"};
        QTest::newRow("wider never cut") << "Disc" << true << "9" << "1" << 0 << QStringList{"a.mp3", "b.mp3", "c.mp3"}
                                         << QStringList{"Disc9.mp3", "Disc10.mp3", "Disc11.mp3"};
        QTest::newRow("own names numbered") << "-" << true << "1" << "1" << 1 << QStringList{"IMG_71.JPG", "archive.tar.gz", "x.y.z"}
                                            << QStringList{"IMG_7101.JPG", "archive02.tar.gz", "x.y03.z"};
        QTest::newRow("empty base") << "" << true << "1" << "1" << 0 << QStringList{"report.txt", "data.csv", "photo.jpg"}
                                    << QStringList{"1.txt", "2.csv", "3.jpg"};
        QTest::newRow("base alone") << "Holiday" << false << "1" << "1" << 0 << QStringList{"IMG_71.JPG", "notes.txt"}
                                    << QStringList{"Holiday.JPG", "Holiday.txt"};
        QTest::newRow("star keeps names") << "*" << false << "1" << "1" << 0 << QStringList{"A b.Txt"} << QStringList{"A b.Txt"};
        QTest::newRow("dash blank is a base") << " -" << false << "1" << "1" << 0 << QStringList{"a.txt"} << QStringList{" -.txt"};
        QTest::newRow("empty base no numbering") << "" << false << "1" << "1" << 0 << QStringList{"report.txt"} << QStringList{".txt"};
        QTest::newRow("last dot of current") << "Photo" << false << "1" << "1" << 0 << QStringList{"my.photo.jpg"} << QStringList{"Photo.jpg"};
        QTest::newRow("dots and blanks before the extension")
            << "Отпуск" << true << "1" << "1" << 0
            << QStringList{"WhatsApp Image 2026-07-14 at 15.30.12.jpeg", "14.07.2026 море.jpg", "Report v1.2.docx",
                           "Dr. Who S01E01.mkv", "photo.backup.jpg", "archive.tar.gz"}
            << QStringList{"Отпуск1.jpeg", "Отпуск2.jpg", "Отпуск3.docx", "Отпуск4.mkv", "Отпуск5.jpg", "Отпуск6.tar.gz"};
        QTest::newRow("names with no extension") << "Doc" << true << "1" << "1" << 0
                                                 << QStringList{".bashrc", "v1.2 notes", "Dr. Who", "notes.", "a.TAR.BZ2"}
                                                 << QStringList{"Doc1", "Doc2", "Doc3", "Doc4", "Doc5.TAR.BZ2"};
        QTest::newRow("dot in base keeps the extension") << "Vol.2" << true << "1" << "1" << 0 << QStringList{"song.mp3"} << QStringList{"Vol.21.mp3"};
        QTest::newRow("empty base: the number before the extension") << "" << true << "1" << "1" << 0
                                                                      << QStringList{"a.tar.gz", ".bashrc"} << QStringList{"1.tar.gz", "2"};
        QTest::newRow("no dot: empty tail") << "Doc" << true << "1" << "1" << 0 << QStringList{"README"} << QStringList{"Doc1"};
        QTest::newRow("no dot, no numbering") << "Doc" << false << "1" << "1" << 0 << QStringList{"README"} << QStringList{"Doc"};
        QTest::newRow("start 0") << "x" << true << "0" << "1" << 1 << QStringList{"a.b", "c.d"} << QStringList{"x00.b", "x01.d"};
        QTest::newRow("step 0") << "x" << true << "4" << "0" << 0 << QStringList{"a.b", "c.d"} << QStringList{"x4.b", "x4.d"};
        QTest::newRow("start 007") << "x" << true << "007" << "1" << 0 << QStringList{"a.b"} << QStringList{"x7.b"};
        QTest::newRow("huge step") << "x" << true << "1" << "1000000000000000" << 0 << QStringList{"a.b", "c.d"} << QStringList{"x1.b", QString("x") + QChar(0) + ".d"};
        QTest::newRow("text not a number") << "x" << true << "12abc" << "1,5" << 0 << QStringList{"a.b", "c.d"} << QStringList{"x1.b", "x2.d"};
        QTest::newRow("negative start") << "x" << true << "-2" << "1" << 2 << QStringList{"a", "b", "c"} << QStringList{"x-02", "x-01", "x000"};
        QTest::newRow("overflow: a null, refused") << "x" << true << "1e308" << "1e308" << 0 << QStringList{"a.b", "c.d"}
                                                   << QStringList{QString("x") + QChar(0) + ".b", QString("x") + QChar(0) + ".d"};
    }
    void workedExamples()
    {
        QFETCH(QString, base);
        QFETCH(bool, numbering);
        QFETCH(QString, start);
        QFETCH(QString, step);
        QFETCH(int, widthIndex);
        QFETCH(QStringList, current);
        QFETCH(QStringList, expected);
        FileNameTable table = test::table(current);
        ApplyBaseName(table, base);
        if (numbering)
            ApplyNumbering(table, RunningNumber(start, step, widthIndex));
        QCOMPARE(test::names(table.newNames()), expected);
        QCOMPARE(test::names(table.currentNames()), current);
    }

    // The number restarts in each folder, on each day, or both; the table shows the files
    // in reverse, the third row is named by hand, and an undated file counts as a day of
    // its own.
    void restarts_data()
    {
        QTest::addColumn<bool>("perFolder");
        QTest::addColumn<bool>("perDay");
        QTest::addColumn<QStringList>("names"); // by table row: the listing's places 5 down to 0
        QTest::newRow("neither") << false << false << QStringList{"x1", "x2", "hand", "x3", "x4", "x5"};
        QTest::newRow("per folder") << true << false << QStringList{"x1", "x1", "hand", "x2", "x2", "x3"};
        QTest::newRow("per day") << false << true << QStringList{"x1", "x1", "hand", "x2", "x1", "x2"};
        QTest::newRow("per folder and day") << true << true << QStringList{"x1", "x1", "hand", "x2", "x1", "x1"};
    }
    void restarts()
    {
        QFETCH(bool, perFolder);
        QFETCH(bool, perDay);
        QFETCH(QStringList, names);
        FileNameTable table = test::table({"a", "b", "c", "d", "e", "f"});
        ListingMetadata metadata;
        metadata.reset(6);
        CardSource source;
        QVERIFY(metadata.readMissing(source, table.currentNames()));
        metadata.setOrder({5, 4, 3, 2, 1, 0});
        CardFolders folders;
        metadata.setFolders(&folders);
        RunningNumber number(u"1", u"1", 0);
        number.skipRows({2});
        number.setPlaces(restartedPlaces(metadata, 6, {2}, {perFolder, perDay}));
        ApplyBaseName(table, QStringLiteral("x"));
        ApplyNumbering(table, number);
        QStringList written = test::names(table.newNames());
        written[2] = "hand";
        QCOMPARE(written, names);
    }

    void millionRowsNumberPastSixteenBits()
    {
        QStringList current;
        for (int i = 0; i < 40000; ++i)
            current.append(QStringLiteral("f.txt"));
        FileNameTable table = test::table(current);
        ApplyBaseName(table, QStringLiteral("n"));
        ApplyNumbering(table, RunningNumber(u"1", u"1", 4));
        QCOMPARE(table.fileCount(), 40000);
        QCOMPARE(table.text(32767, 1), "n32768.txt");
        QCOMPARE(table.text(39999, 1), "n40000.txt");
    }
};

QTEST_GUILESS_MAIN(TestNumbering)
#include "tst_numbering.moc"
