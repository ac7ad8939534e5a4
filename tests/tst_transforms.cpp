#include "TestSupport.h"
#include "preview/NameTransforms.h"
#include "text/FileExtension.h"
#include "text/NameDifference.h"

#include <QTest>

using namespace velmix;

class TestTransforms : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The extension as file managers take it; the rows with a base name are in tst_numbering.
    void findExtensionDot_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("dot");
        QTest::addColumn<QString>("extension");
        QTest::newRow("report.txt") << "report.txt" << 3 << ".txt";
        QTest::newRow("the last dot decides") << "my.photo.jpg" << 3 << ".jpg";
        QTest::newRow("a dated name") << "WhatsApp Image 2026-07-14 at 15.30.12.jpeg" << 4 << ".jpeg";
        QTest::newRow("a compound stays whole") << "archive.tar.gz" << 6 << ".tar.gz";
        QTest::newRow("a compound in any case") << "a.b.TAR.z" << 5 << ".TAR.z";
        QTest::newRow("tar.lzma") << "x.tar.lzma" << 8 << ".tar.lzma";
        QTest::newRow("tar alone") << "backup.tar" << 3 << ".tar";
        QTest::newRow("no compound past its end") << "a.tar.gzip" << 4 << ".gzip";
        QTest::newRow("a compound from the first character") << ".tar.gz" << 2 << ".gz";
        QTest::newRow("a leading dot: none") << ".profile" << 0 << "";
        QTest::newRow("a dot last: none") << "notes." << 0 << "";
        QTest::newRow("dots inside and last") << "a.b." << 0 << "";
        QTest::newRow("a suffix with a blank: none") << "Dr. Who" << 0 << "";
        QTest::newRow("a version and a blank") << "v1.2 notes" << 0 << "";
        QTest::newRow("a tab is a blank") << "a.b\tc" << 0 << "";
        QTest::newRow("a blank before the last dot") << "Dr. Who S01E01.mkv" << 3 << ".mkv";
        QTest::newRow("no dot") << "README" << 0 << "";
        QTest::newRow("one char") << "a" << 0 << "";
        QTest::newRow("lone dot") << "." << 0 << "";
        QTest::newRow("empty") << "" << 0 << "";
    }
    // What a new name changes, character by character as a reader sees them: the parts
    // new to it in brackets, and what a screen reader is told.
    void nameDifference_data()
    {
        QTest::addColumn<QString>("oldName");
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QString>("marked");
        QTest::addColumn<QString>("told");
        QTest::newRow("same") << "a.jpg" << "a.jpg" << "a.jpg" << "";
        QTest::newRow("inserted at the start") << "IMG_1.jpg" << "Vac_IMG_1.jpg" << "[Vac_]IMG_1.jpg"
                                               << "изменено: «Vac_»";
        QTest::newRow("replaced inside, the rest kept") << "a b c.txt" << "a_b_c.txt" << "a[_]b[_]c.txt"
                                                        << "изменено: «_», «_»";
        QTest::newRow("letter case alone") << "photo.JPG" << "Photo.jpg" << "[P]hoto.[jpg]"
                                           << "изменено: «P», «jpg»";
        QTest::newRow("removed only") << "a (1).txt" << "a.txt" << "a.txt" << "удалено: « (1)»";
        QTest::newRow("a surrogate pair is one character") << "x😀.txt" << "x😁.txt" << "x[😁].txt"
                                                           << "изменено: «😁»";
        QTest::newRow("a base letter keeps its combining mark") << "cafe\u0301" << "cafe\u0300"
                                                                << "caf[e\u0300]" << "изменено: «e\u0300»";
        QTest::newRow("Cyrillic") << "Отпуск.jpg" << "Otpusk.jpg" << "[Otpusk].jpg" << "изменено: «Otpusk»";
    }
    void nameDifference()
    {
        QFETCH(QString, oldName);
        QFETCH(QString, newName);
        QFETCH(QString, marked);
        QFETCH(QString, told);
        const NameDifference difference = differenceOf(oldName, newName);
        QString shown = newName;
        for (auto run = difference.added.rbegin(); run != difference.added.rend(); ++run)
            shown.insert(run->start + run->length, u']').insert(run->start, u'[');
        QCOMPARE(shown, marked);
        QCOMPARE(describeChange(oldName, newName, difference), told);
    }

    void findExtensionDot()
    {
        QFETCH(QString, name);
        QFETCH(int, dot);
        QFETCH(QString, extension);
        QCOMPARE(FindExtensionDot(name), dot);
        QCOMPARE(name.right(extensionLength(name)), extension);
        QCOMPARE(lengthBeforeExtension(name), name.size() - extension.size());
    }

    void perName_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("upper whole name") << "upper" << "Photo_01.jpg" << "PHOTO_01.JPG";
        QTest::newRow("upper cyrillic") << "upper" << "файл_1.txt" << "ФАЙЛ_1.TXT";
        QTest::newRow("upper keeps sharp s") << "upper" << "straße.txt" << "STRAßE.TXT";
        QTest::newRow("upper supplementary pair") << "upper" << QString::fromUtf8("\xF0\x90\x90\xA8.txt") << QString::fromUtf8("\xF0\x90\x90\x80.TXT");
        QTest::newRow("upper leaves escaped byte") << "upper" << QStringLiteral("caf") + QChar(0xDCE9) << QStringLiteral("CAF") + QChar(0xDCE9);
        QTest::newRow("upper: the letters' neighbours in ASCII stay") << "upper" << "@[`{az~" << "@[`{AZ~";
        QTest::newRow("lower") << "lower" << "IMG_0042.JPG" << "img_0042.jpg";
        QTest::newRow("lower: the letters' neighbours in ASCII stay") << "lower" << "@[`{AZ\x7f" << "@[`{az\x7f";
        QTest::newRow("lower cyrillic") << "lower" << "Отчёт.DOC" << "отчёт.doc";
        QTest::newRow("capital") << "capital" << "mY HOLIDAY.JPG" << "My holiday.jpg";
        QTest::newRow("capital digit first") << "capital" << "2ND TRY.TXT" << "2nd try.txt";
        QTest::newRow("capital underscore first") << "capital" << "_NOTE.TXT" << "_note.txt";
        QTest::newRow("capital one letter") << "capital" << "A" << "A";
        QTest::newRow("capital umlaut") << "capital" << "ä.TXT" << "Ä.txt";
        QTest::newRow("capital empty") << "capital" << "" << "";
        QTest::newRow("spaces") << "spaces" << " my  holiday photo.jpg " << "_my__holiday_photo.jpg_";
        QTest::newRow("spaces leave tab and nbsp") << "spaces" << "a\tb\u00A0c" << "a\tb\u00A0c";
        QTest::newRow("underscores") << "underscores" << "my_holiday_photo.jpg" << "my holiday photo.jpg";
    }
    void perName()
    {
        QFETCH(QString, rule);
        QFETCH(QString, before);
        QFETCH(QString, after);
        QString name = before;
        auto *units = reinterpret_cast<char16_t *>(name.data());
        if (rule == "upper")
            upperCaseInPlace(units, name.size());
        else if (rule == "lower")
            lowerCaseInPlace(units, name.size());
        else if (rule == "capital")
            capitalizeInPlace(units, name.size());
        else if (rule == "spaces")
            replaceInPlace(units, name.size(), u' ', u'_');
        else
            replaceInPlace(units, name.size(), u'_', u' ');
        QCOMPARE(name, after);
        QCOMPARE(name.size(), before.size());
    }

    void tableStepsTouchOnlyNewNames()
    {
        FileNameTable table = test::table({"a b_c.TXT", "Ünï Code.txt"});
        ToUpperCase(table);
        QCOMPARE(test::names(table.newNames()), QStringList({"A B_C.TXT", "ÜNÏ CODE.TXT"}));
        ReplaceSpaces(table);
        QCOMPARE(test::names(table.newNames()), QStringList({"A_B_C.TXT", "ÜNÏ_CODE.TXT"}));
        ReplaceUnderscores(table);
        QCOMPARE(test::names(table.newNames()), QStringList({"A B C.TXT", "ÜNÏ CODE.TXT"}));
        CapitalizeFirstLetter(table);
        QCOMPARE(test::names(table.newNames()), QStringList({"A b c.txt", "Ünï code.txt"}));
        ToLowerCase(table);
        QCOMPARE(test::names(table.newNames()), QStringList({"a b c.txt", "ünï code.txt"}));
        // The current names share storage with the new ones until the first edit.
        QCOMPARE(test::names(table.currentNames()), QStringList({"a b_c.TXT", "Ünï Code.txt"}));
    }

    void replacementOrderMatters()
    {
        FileNameTable table = test::table({"a_b c"});
        ReplaceUnderscores(table);
        ReplaceSpaces(table);
        QCOMPARE(table.text(0, 1), "a_b_c");
        ReplaceSpaces(table);
        ReplaceUnderscores(table);
        QCOMPARE(table.text(0, 1), "a b c");
    }

    void emptyTableIsLeftAlone()
    {
        FileNameTable table;
        ToUpperCase(table);
        CapitalizeFirstLetter(table);
        QCOMPARE(table.fileCount(), 0);
        QCOMPARE(table.text(0, FileNameTable::NewName), QString());
    }

    // One row per file from row 0, nothing past the last.
    void tableRows()
    {
        const FileNameTable three = test::table({"a", "b", "c"});
        QCOMPARE(three.fileCount(), 3);
        QCOMPARE(three.text(0, FileNameTable::CurrentName), "a");
        QCOMPARE(three.text(2, FileNameTable::NewName), "c");
        QCOMPARE(three.text(3, FileNameTable::CurrentName), QString());
        QCOMPARE(three.text(-1, FileNameTable::NewName), QString());
    }
};

QTEST_GUILESS_MAIN(TestTransforms)
#include "tst_transforms.moc"
