#include "FakeServices.h"
#include "TestSupport.h"
#include "preview/PreviewSession.h"
#include "rules/FindReplace.h"
#include "text/FileNameCodec.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTest>

using namespace velmix;

namespace {

// The new names a preview gives `names` with only `rules` on, and each row's mark.
struct Ruled
{
    Ruled(const QStringList &names, const NameRules &rules, const NameColumn &unlisted = {})
    {
        preview.loadFileList(test::column(names), FolderRules{}, unlisted);
        preview.setNameRules(rules);
    }
    QStringList newNames() const { return test::names(preview.table().newNames()); }
    QStringList reasons() const
    {
        QStringList result;
        for (qsizetype row = 0; row < preview.table().fileCount(); ++row)
            result.append(preview.table().markReason(row));
        return result;
    }
    test::CountingBusyPointer busy;
    PreviewSession preview{busy};
};

NameRules replacing(const QString &find, const QString &replace, bool expression = false, bool ignoreCase = false,
                    ReplaceScope scope = ReplaceScope::NameBeforeExtension)
{
    NameRules rules;
    rules.findText = find;
    rules.replaceText = replace;
    rules.regularExpression = expression;
    rules.ignoreCase = ignoreCase;
    rules.replaceScope = scope;
    return rules;
}

// An undecodable byte as a listed name holds it.
QString byte(uchar value)
{
    return QString(QChar(char16_t(0xDC00 + value)));
}

} // namespace

Q_DECLARE_METATYPE(NameRules)
Q_DECLARE_METATYPE(Transliteration)
Q_DECLARE_METATYPE(QList<Toggle>)

class TestNameRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findAndReplace_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<NameRules>("rules");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("reasons");
        const bool expression = true, ignoreCase = true;
        const auto whole = ReplaceScope::WholeName;
        const QStringList none = {"", ""};
        const QStringList camera = {"IMG_0001.JPG", "img_0002.jpg"};
        QTest::newRow("empty find: today's names") << camera << replacing("", "x") << camera << none;
        QTest::newRow("plain, every match, case kept") << camera << replacing("IMG", "Отпуск")
                                                        << QStringList{"Отпуск_0001.JPG", "img_0002.jpg"} << none;
        QTest::newRow("ignore case") << camera << replacing("img", "Отпуск", false, ignoreCase)
                                     << QStringList{"Отпуск_0001.JPG", "Отпуск_0002.jpg"} << none;
        QTest::newRow("groups \\1 and $1") << camera << replacing("(?i)img_(\\d+)", "\\1-$1", expression)
                                           << QStringList{"0001-0001.JPG", "0002-0002.jpg"} << none;
        QTest::newRow("groups swapped, a lone $ and \\ stay")
            << QStringList{"Иван Петров.txt", "c d.txt"} << replacing("(\\w+) (\\w+)", "$2$ \\$1\\", expression)
            << QStringList{"Петров$ \\Иван\\.txt", "d$ \\c\\.txt"} << none;
        QTest::newRow("a dot in plain text is a dot") << QStringList{"a.b.c.txt", "abc.txt"} << replacing(".", "_")
                                                      << QStringList{"a_b_c.txt", "abc.txt"} << none;
        QTest::newRow("a dot in an expression is any character")
            << QStringList{"a.b.txt", "axb.txt"} << replacing("a.b", "x", expression) << QStringList{"x.txt", "x.txt"}
            << QStringList{"", "это имя получает другой файл"};
        QTest::newRow("before a compound extension; a suffix with a blank is none")
            << QStringList{"archive.tar.gz", "Dr. Who"} << replacing("[ro]", "_", expression)
            << QStringList{"a_chive.tar.gz", "D_. Wh_"} << none;
        QTest::newRow("whole name: the extension too") << QStringList{"a.jpg", "b.JPG"}
                                                       << replacing("jpg", "png", false, ignoreCase, whole)
                                                       << QStringList{"a.png", "b.png"} << none;
        QTest::newRow("an empty match puts text in front") << camera << replacing("^", "2024_", expression)
                                                           << QStringList{"2024_IMG_0001.JPG", "2024_img_0002.jpg"} << none;
        QTest::newRow("a bad pattern marks nothing") << camera << replacing("IMG_(", "x", expression) << camera << none;
        QTest::newRow("the name made empty") << QStringList{"abc", "abc.txt"} << replacing("abc", "", false, false, whole)
                                             << QStringList{"", ".txt"}
                                             << QStringList{"недопустимое имя файла", "файл станет скрытым"};
        QTest::newRow("a name another file keeps") << QStringList{"a1.txt", "a.txt"} << replacing("\\d", "", expression)
                                                   << QStringList{"a.txt", "a.txt"}
                                                   << QStringList{"файл с таким именем уже существует", ""};
        QTest::newRow("a slash is refused") << camera << replacing("_", "/") << QStringList{"IMG/0001.JPG", "img/0002.jpg"}
                                            << QStringList(2, "недопустимое имя файла");
        QTest::newRow("undecodable bytes stay, the text around them is matched")
            << QStringList{"a" + byte(0xFF) + "a.txt", "ab.txt"} << replacing("a", "я", expression)
            << QStringList{"я" + byte(0xFF) + "я.txt", "яb.txt"} << none;
        QTest::newRow("empty matches step over a pair, an undecodable byte beside it stays")
            << QStringList{"😀" + byte(0xFF) + "😀", "b"} << replacing("x*", "-", expression)
            << QStringList{"-😀-" + byte(0xFF) + "-😀-", "-b-"} << none;
        QTest::newRow("a name that is not UTF-8 is one subject") << QStringList{"a" + byte(0xE9) + "b.txt", "b"}
                                                                << replacing("^", "Z_", expression)
                                                                << QStringList{"Z_a" + byte(0xE9) + "b.txt", "Z_b"} << none;
        QTest::newRow("a match past its bound leaves the name, marked")
            << QStringList{QString(30, u'a') + "b.txt", "aaa.txt"} << replacing("(a+)+$", "x", expression)
            << QStringList{QString(30, u'a') + "b.txt", "x.txt"}
            << QStringList{"выражение слишком сложное для этого имени", ""};
        QTest::newRow("plain text over undecodable bytes") << QStringList{"a" + byte(0xFF) + "b", "b"}
                                                           << replacing(byte(0xFF), "_")
                                                           << QStringList{"a_b", "b"} << none;
    }
    void findAndReplace()
    {
        QFETCH(QStringList, names);
        QFETCH(NameRules, rules);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, reasons);
        const Ruled ruled(names, rules);
        QCOMPARE(ruled.newNames(), expected);
        QCOMPARE(ruled.reasons(), reasons);
        QCOMPARE(ruled.preview.findError().isEmpty(), QTest::currentDataTag() != QByteArray("a bad pattern marks nothing"));
    }

    // Expressions side by side with perl's s///g (what perl's rename runs) on the same bytes,
    // names that are not UTF-8 among them: perl reads the UTF-8 in a name as characters and
    // each other byte as a character of its own, which none of these patterns matches.
    void expressionsAsPerl()
    {
        const QString perl = QStandardPaths::findExecutable(QStringLiteral("perl"));
        if (perl.isEmpty())
            QSKIP("perl is not installed");
        const QList<QByteArray> pieces = {"a", "b", "A", "я", "Ж", "1", "_", " ", "\xE9", "\xFF", "\xD0", "\x80"};
        const QStringList patterns = {"^", "$", "\\b", "\\B", "x*", "a*", "(a)|b", "\\w+", "(\\d)(\\w)?", "^\\w",
                                      "\\w$", "(?i)я", "(?<=a)", "a|$", "\\s", "b?", "^|a", "(?=b)", "(a)?(?:b|$)", "\\b\\w"};
        const QStringList replacements = {"<$0>", "-", "[$1|$2]", ""};
        QRandomGenerator random(20261209);
        struct Case
        {
            QString pattern, replacement;
            QByteArray name;
        };
        std::vector<Case> cases;
        QByteArray input;
        for (int i = 0; i < 2000; ++i) {
            Case c{patterns[random.bounded(patterns.size())], replacements[random.bounded(replacements.size())], {}};
            for (int k = 0, length = random.bounded(7); k < length; ++k)
                c.name += pieces[random.bounded(pieces.size())];
            input += c.pattern.toUtf8().toHex() + '\t' + c.replacement.toUtf8().toHex() + '\t' + c.name.toHex() + '\n';
            cases.push_back(c);
        }
        QProcess process;
        process.start(perl, {"-Mfeature=unicode_strings", "-MEncode", "-e", R"(
            while (my $line = <STDIN>) {
                chomp $line;
                my ($p, $r, $n) = map { pack 'H*', $_ } split /\t/, $line, -1;
                ($p, $r) = (decode('UTF-8', $p), decode('UTF-8', $r));
                my $s = join '', map { length > 1 || ord() < 0x80 ? decode('UTF-8', $_) : chr(0xDC00 + ord) } $n =~
                    /([\x00-\x7F]|[\xC2-\xDF][\x80-\xBF]|\xE0[\xA0-\xBF][\x80-\xBF]|[\xE1-\xEC\xEE\xEF][\x80-\xBF]{2}
                     |\xED[\x80-\x9F][\x80-\xBF]|\xF0[\x90-\xBF][\x80-\xBF]{2}|[\xF1-\xF3][\x80-\xBF]{3}
                     |\xF4[\x80-\x8F][\x80-\xBF]{2}|[\x80-\xFF])/gsx;
                $s =~ s{$p}{ my @g = ($&, @{^CAPTURE}); (my $t = $r) =~ s{\$(\d)}{$g[$1] // ''}ge; $t }ge;
                no warnings;
                print unpack('H*', join '', map { my $c = ord; $c >= 0xDC80 && $c <= 0xDCFF ? chr($c - 0xDC00)
                                                                                            : encode('UTF-8', $_) } split //, $s), "\n";
            })"});
        QVERIFY(process.waitForStarted());
        process.write(input);
        process.closeWriteChannel();
        QVERIFY(process.waitForFinished());
        const QList<QByteArray> expected = process.readAllStandardOutput().split('\n');
        QCOMPARE(expected.size(), qsizetype(cases.size()) + 1);
        TextBuffer out;
        for (size_t i = 0; i < cases.size(); ++i) {
            const Case &c = cases[i];
            const FindReplace rule(replacing(c.pattern, c.replacement, true));
            FindReplace::MatchBuffer matches = rule.matchBuffer();
            out.clear();
            QVERIFY(rule.appendReplaced(FileNameCodec::decode(c.name), matches, out));
            const QByteArray ours = FileNameCodec::encode(out.view()).value_or("<no bytes>");
            QVERIFY2(ours == QByteArray::fromHex(expected[qsizetype(i)]),
                     qPrintable(c.pattern + " → " + c.replacement + " on " + c.name.toHex(' ') + ": " + ours.toHex(' ')
                                + " ≠ perl's " + QByteArray::fromHex(expected[qsizetype(i)]).toHex(' ')));
        }
    }

    // A bad expression is told in Russian: its place, and what is wrong where a user errs.
    void expressionErrors_data()
    {
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("error");
        QTest::newRow("unclosed class") << "IMG_[0-9" << "Ошибка в выражении (знак 9): нет закрывающей ] у набора знаков";
        QTest::newRow("unclosed group") << "(a" << "Ошибка в выражении (знак 3): нет закрывающей скобки )";
        QTest::newRow("stray parenthesis") << "a)" << "Ошибка в выражении (знак 2): лишняя закрывающая скобка )";
        QTest::newRow("nothing to repeat") << "*a" << "Ошибка в выражении (знак 1): повторять нечего: *, + или ? стоит не после знака";
        QTest::newRow("backwards range") << "[z-a]" << "Ошибка в выражении (знак 4): неверный диапазон в наборе знаков";
        QTest::newRow("backslash at the end") << "a\\" << "Ошибка в выражении (знак 3): \\ в конце выражения";
        QTest::newRow("rare: place only") << "(*LIMIT_DEPTH=x)a" << "Ошибка в выражении (знак 15)";
    }
    void expressionErrors()
    {
        QFETCH(QString, find);
        QFETCH(QString, error);
        NameRules rules;
        rules.findText = find;
        rules.regularExpression = true;
        const FindReplace compiled(rules);
        QCOMPARE(compiled.error(), error);
    }

    void cutAndInsert_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("cut");
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("fromEnd");
        QTest::addColumn<QString>("insert");
        QTest::addColumn<QString>("expected");
        const bool fromEnd = true, fromStart = false;
        QTest::newRow("cut at the start, insert there") << "IMG_0001.JPG" << 3 << 0 << fromStart << "Отпуск" << "Отпуск_0001.JPG";
        QTest::newRow("insert only, from the end") << "IMG_0001.JPG" << 0 << 4 << fromEnd << "-" << "IMG_-0001.JPG";
        QTest::newRow("cut from the end") << "track 01.mp3" << 3 << 0 << fromEnd << "" << "track.mp3";
        QTest::newRow("position past the end") << "ab.txt" << 5 << 9 << fromStart << "!" << "ab!.txt";
        QTest::newRow("cut past the end") << "abcd" << 9 << 1 << fromStart << "" << "a";
        QTest::newRow("cut past the start, from the end") << "abcd" << 9 << 1 << fromEnd << "x" << "xd";
        QTest::newRow("an emoji with its skin tone is one") << "a👍🏽b.png" << 1 << 1 << fromStart << "" << "ab.png";
        QTest::newRow("an accent stays with its letter") << "е\u0301ж.txt" << 0 << 1 << fromStart << "_" << "е\u0301_ж.txt";
        QTest::newRow("an undecodable byte is one") << "a" + byte(0xE9) + "b" << 1 << 1 << fromEnd << "" << "ab";
        QTest::newRow("a suffix with a blank is no extension") << "Dr. Who" << 0 << 0 << fromEnd << "!" << "Dr. Who!";
        QTest::newRow("a hidden file's name has no extension") << ".bashrc" << 1 << 0 << fromStart << "" << "bashrc";
        QTest::newRow("the number inserted") << "IMG_0001.JPG" << 4 << 0 << fromStart << "{n:3}_" << "001_0001.JPG";
        QTest::newRow("a date not read stays as typed") << "a.txt" << 0 << 1 << fromStart << "{год}" << "a{год}.txt";
    }
    void cutAndInsert()
    {
        QFETCH(QString, name);
        QFETCH(int, cut);
        QFETCH(int, position);
        QFETCH(bool, fromEnd);
        QFETCH(QString, insert);
        QFETCH(QString, expected);
        NameRules rules;
        rules.cutCount = cut;
        rules.position = position;
        rules.positionFromEnd = fromEnd;
        rules.insertText = insert;
        QCOMPARE(Ruled({name}, rules).newNames(), QStringList{expected});
    }

    void titleCase_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("restLower");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Cyrillic, extension kept") << "песня про зайцев.mp3" << false << "Песня Про Зайцев.mp3";
        QTest::newRow("a suffix with a blank is no extension") << "dr. who.tar.gz" << false << "Dr. Who.tar.gz";
        QTest::newRow("rest as typed") << "mcDonald's old_tape-b.avi" << false << "McDonald's Old_Tape-B.avi";
        QTest::newRow("rest lower") << "ПЕСНЯ_ПРО ЗАЙЦЕВ.MP3" << true << "Песня_Про Зайцев.MP3";
        QTest::newRow("digits start a word") << "01_intro 2nd.mp3" << true << "01_Intro 2nd.mp3";
        QTest::newRow("a leading apostrophe") << "'78 hits" << false << "'78 Hits";
        QTest::newRow("ASCII and other letters within a word")
            << "д'артаньян и l’eau 3D-МАКС" << true << "Д'артаньян И L’eau 3d-Макс";
        QTest::newRow("undecodable bytes inside a word") << "caf" + byte(0xE9) + "s" << false << "Caf" + byte(0xE9) + "s";
    }
    void titleCase()
    {
        QFETCH(QString, name);
        QFETCH(bool, restLower);
        QFETCH(QString, expected);
        NameRules rules;
        rules.titleCase = restLower ? TitleCase::RestLower : TitleCase::RestAsTyped;
        QCOMPARE(Ruled({name}, rules).newNames(), QStringList{expected});
    }

    // The extension's letters change, the rest of the name and a name without one stay.
    void extensionCase()
    {
        const QStringList names = {"IMG_0001.JPG", "Архив.Тар", ".Hidden", "Без Расширения", "a.Tar.Gz", "a.😀b", "Dr. Who"};
        NameRules rules;
        rules.extensionCase = ExtensionCase::Lower;
        QCOMPARE(Ruled(names, rules).newNames(),
                 QStringList({"IMG_0001.jpg", "Архив.тар", ".Hidden", "Без Расширения", "a.tar.gz", "a.😀b", "Dr. Who"}));
        rules.extensionCase = ExtensionCase::Upper;
        QCOMPARE(Ruled(names, rules).newNames(),
                 QStringList({"IMG_0001.JPG", "Архив.ТАР", ".Hidden", "Без Расширения", "a.TAR.GZ", "a.😀B", "Dr. Who"}));
    }

    // Each letter of the Russian alphabet, small alone and capital before a small к, as
    // the scheme's published table spells it; then the rules that depend on the letters
    // around.
    void transliteration_data()
    {
        QTest::addColumn<Transliteration>("scheme");
        QTest::addColumn<QString>("cyrillic");
        QTest::addColumn<QString>("latin");
        const QString alphabet = "абвгдеёжзийклмнопрстуфхцчшщъыьэюя";
        const QList<std::pair<Transliteration, QStringList>> tables = {
            // ГОСТ 7.79-2000, система Б, таблица 1 (русский): ц before other letters is "cz".
            {Transliteration::Gost779B,
             QString("a b v g d e yo zh z i j k l m n o p r s t u f x cz ch sh shh `` y` ` e` yu ya").split(' ')},
            // ICAO Doc 9303, Part 3, Section 6: ь is left out.
            {Transliteration::Passport,
             QString("a b v g d e e zh z i i k l m n o p r s t u f kh ts ch sh shch ie y _ e iu ia").split(' ')},
            // BGN/PCGN 1947, a letter alone: е and ё as at the start of a word.
            {Transliteration::BgnPcgn,
             QString("a b v g d ye yë zh z i y k l m n o p r s t u f kh ts ch sh shch ʺ y ʹ e yu ya").split(' ')},
        };
        for (const auto &[scheme, latin] : tables) {
            for (qsizetype i = 0; i < alphabet.size(); ++i) {
                const QString expected = latin[i] == "_" ? QString() : latin[i];
                QString capital = expected;
                if (!capital.isEmpty())
                    capital[0] = capital[0].toUpper();
                QTest::addRow("%d: %s", int(scheme), qPrintable(alphabet.mid(i, 1)))
                    << scheme << alphabet.mid(i, 1) + " " + alphabet.mid(i, 1).toUpper() + "к"
                    << expected + " " + capital + "k";
            }
        }
        const auto gost = Transliteration::Gost779B, passport = Transliteration::Passport;
        QTest::newRow("GOST: c before i, e, y, j") << gost << "Цирк цех цыган цюрих отец" << "Cirk cex cy`gan cyurix otecz";
        QTest::newRow("GOST: capitals") << gost << "ЩУКА Щука.JPG" << "SHHUKA Shhuka.JPG";
        QTest::newRow("passport: a name") << passport << "Юлия Щербакова, ЖУКОВ" << "Iuliia Shcherbakova, ZHUKOV";
        QTest::newRow("passport: the signs") << passport << "Подъезд Мать" << "Podieezd Mat";
        QTest::newRow("BGN: е and ё by place, the middle dot")
            << Transliteration::BgnPcgn << "Ель поёт Тсой" << "Yelʹ poyët T·soy";
        // Capitals, the same rule in every scheme: a word in capitals stays so, elsewhere a
        // capital gives one capital, a lone one too.
        const QString capitals = "МЕСТОРОЖДЕНИЕ ЪЕ Ё Ёлка ЩУКА-Щука Щ";
        QTest::newRow("GOST: words in capitals") << gost << capitals << "MESTOROZHDENIE ``E Yo Yolka SHHUKA-Shhuka Shh";
        QTest::newRow("passport: words in capitals") << passport << capitals << "MESTOROZHDENIE IEE E Elka SHCHUKA-Shchuka Shch";
        QTest::newRow("BGN: words in capitals") << Transliteration::BgnPcgn << capitals + " ЁЖ"
                                                << "MESTOROZHDENIYE ʺYE Yë Yëlka SHCHUKA-Shchuka Shch YËZH";
        QTest::newRow("BGN: a capital beside the middle dot gives one capital")
            << Transliteration::BgnPcgn << "Хэллоуин Шэрон Цэр МакХэл Ыы" << "Kh·ellouin Sh·eron Ts·er MakKh·el Y·y";
        QTest::newRow("Latin, digits and undecodable bytes stay")
            << Transliteration::BgnPcgn << "IMG 01 " + byte(0xFF) + "Жук" << "IMG 01 " + byte(0xFF) + "Zhuk";
        QTest::newRow("the song for a car stereo") << Transliteration::BgnPcgn << "Песня про зайцев.mp3"
                                                   << "Pesnya pro zaytsev.mp3";
    }
    void transliteration()
    {
        QFETCH(Transliteration, scheme);
        QFETCH(QString, cyrillic);
        QFETCH(QString, latin);
        NameRules rules;
        rules.transliteration = scheme;
        QCOMPARE(Ruled({cyrillic}, rules).newNames(), QStringList{latin});
    }

    // A table large enough to run in two parts gives every row the name and the mark
    // small tables, run in one, give it: the rules, the options before them and the marks.
    void largeTableAsRowsAlone_data()
    {
        QTest::addColumn<QList<Toggle>>("options");
        QTest::newRow("rules alone") << QList<Toggle>{};
        QTest::newRow("upper case, spaces") << QList<Toggle>{Toggle::UpperCase, Toggle::SpacesToUnderscores};
        QTest::newRow("first capital, underscores") << QList<Toggle>{Toggle::FirstLetterCapital, Toggle::UnderscoresToSpaces};
        QTest::newRow("lower case") << QList<Toggle>{Toggle::LowerCase};
    }
    void largeTableAsRowsAlone()
    {
        QFETCH(QList<Toggle>, options);
        const QStringList samples = {"IMG_0001.JPG", "Фото 12.jpg", "a" + byte(0xFF) + "b 7.txt", "е\u0301ж 3.png",
                                     "backup.2.tar.gz", "ПЕСНЯ_ПРО ЗАЙЦЕВ 1.MP3", ".hidden 9", "a👍🏽b 5"};
        NameRules rules = replacing("(\\d+)", "№\\1", true);
        rules.cutCount = 1;
        rules.position = 1;
        rules.positionFromEnd = true;
        rules.insertText = "-";
        rules.titleCase = TitleCase::RestLower;
        rules.transliteration = Transliteration::Gost779B;
        rules.extensionCase = ExtensionCase::Upper;
        QStringList names;
        for (int i = 0; i < 20000; ++i)
            names.append(QString::number(i) + samples[i % samples.size()]);
        const auto withOptions = [&](const QStringList &rows) {
            auto ruled = std::make_unique<Ruled>(rows, rules);
            for (const Toggle option : options)
                ruled->preview.ToggleOption(option);
            return ruled;
        };
        QStringList inSmallTables, smallReasons;
        for (qsizetype from = 0; from < names.size(); from += 4000) {
            const auto small = withOptions(names.mid(from, 4000));
            inSmallTables += small->newNames();
            smallReasons += small->reasons();
        }
        const auto large = withOptions(names);
        QCOMPARE(large->newNames(), inSmallTables);
        QCOMPARE(large->reasons(), smallReasons);
    }

    // Each row's number in the inserted text, in both parts of a large table.
    void insertedNumberInBothParts()
    {
        NameRules rules;
        rules.insertText = "{n:5}-";
        const QStringList ruled = Ruled(QStringList(20000, "f.txt"), rules).newNames();
        QCOMPARE(QStringList({ruled.first(), ruled.at(15000), ruled.last()}),
                 QStringList({"00001-f.txt", "15001-f.txt", "20000-f.txt"}));
    }

    // An expression that outlasts the quiet start is long work the user can cancel: the
    // names stay as shown, and the settings as those names were made with.
    void cancelledExpressionKeepsNamesShown()
    {
        test::RecordingWorkDisplay display;
        display.onStart = [](WorkProgress &progress) { progress.cancel(); };
        WorkRunner runner(display);
        QStringList names;
        for (int i = 0; i < 5000; ++i)
            names.append(QString(250, u'a') + QString::number(i) + u'b');
        const NameRules plain = replacing("a", "b");
        Ruled ruled(names, plain);
        ruled.preview.setWorkRunner(&runner);
        const QStringList shown = ruled.newNames();
        NamingOptions numbered;
        numbered.Numbering = true;
        ruled.preview.setSettings(numbered, replacing("(.*a){25}", "x", true));
        QCOMPARE(display.kinds, QList<WorkKind>{WorkKind::MatchingExpression});
        QCOMPARE(ruled.newNames(), shown);
        QCOMPARE(ruled.reasons(), QStringList(names.size(), QString()));
        QCOMPARE(ruled.preview.nameRules(), plain);
        QVERIFY(!ruled.preview.options().Numbering);
    }

    // The rules run after the options, in the panel's order, and Reset turns them all off.
    void orderAfterOptionsAndReset()
    {
        NameRules rules = replacing("Фото", "фото");
        rules.cutCount = 1;
        rules.insertText = "с";
        rules.titleCase = TitleCase::RestLower;
        rules.transliteration = Transliteration::Passport;
        rules.extensionCase = ExtensionCase::Lower;
        Ruled ruled({"фото моря.jpg"}, rules);
        ruled.preview.ToggleOption(Toggle::UpperCase); // ФОТО МОРЯ.JPG, then фото МОРЯ, сото МОРЯ, Сото Моря
        QCOMPARE(ruled.newNames(), QStringList{"Soto Moria.jpg"});
        ruled.preview.ResetOptions();
        QCOMPARE(ruled.preview.nameRules(), NameRules());
        ruled.preview.RebuildNewNames();
        QCOMPARE(ruled.newNames(), QStringList{"фото моря.jpg"});
    }
};

QTEST_GUILESS_MAIN(TestNameRules)
#include "tst_name_rules.moc"
