// The command line as a script runs it: the real program, with no display, on real
// folders of this machine and of an exFAT image through FUSE.
#include "ConsoleServices.h"
#include "FakeServices.h"
#include "SampleMedia.h"
#include "TempFolder.h"
#include "TestMedia.h"
#include "journal/JournalFormat.h"
#include "posix/PosixFolderLocks.h"
#include "sets/RuleSetStore.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QDeadlineTimer>
#include <QRandomGenerator>
#include <QThread>
#include <QScopeGuard>
#include <QTest>

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <csignal>
#include <unistd.h>

using namespace velmix;
using namespace Qt::StringLiterals;

namespace {

struct Run
{
    int status = -1;
    QByteArray out;
    QString err;
};

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

    // No display, and a state and config folder of the test's own.
    void prepare(QProcess &program, const QString &folder)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(u"XDG_STATE_HOME"_s, m_home.filePath(u"state"_s));
        environment.insert(u"XDG_CONFIG_HOME"_s, m_home.filePath(u"config"_s));
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(folder);
    }

    // Starts the program in `folder`.
    void start(QProcess &program, const QStringList &arguments, const QString &folder)
    {
        prepare(program, folder);
        program.start(QStringLiteral(VELMIX_PROGRAM), arguments);
    }

    // Runs the program in `folder`.
    Run velmix(const QStringList &arguments, const QString &folder = QDir::tempPath())
    {
        QProcess program;
        start(program, arguments, folder);
        if (!program.waitForFinished(60000))
            return {};
        return {program.exitCode(), program.readAllStandardOutput(), QString::fromUtf8(program.readAllStandardError())};
    }

    // Each file holds its own first name, so a rename traces back.
    static std::unique_ptr<test::TestFolder> folderOf(test::Medium &medium, const QStringList &names)
    {
        std::unique_ptr<test::TestFolder> folder = medium.newFolder();
        for (const QString &name : names) {
            if (name.contains(u'/'))
                QDir().mkpath(folder->path() + u'/' + name.section(u'/', 0, -2));
            folder->create(name.toUtf8(), name.toUtf8());
        }
        return folder;
    }

    // The files, those of subfolders by their paths.
    static QStringList namesIn(const test::TestFolder &folder)
    {
        QStringList names;
        for (const QByteArray &name : folder.contents().keys()) {
            const QString path = folder.path() + u'/' + QString::fromUtf8(name);
            if (!QFileInfo(path).isDir()) {
                names.append(QString::fromUtf8(name));
                continue;
            }
            QDirIterator files(path, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
            while (files.hasNext())
                names.append(files.next().mid(folder.path().size() + 1));
        }
        names.sort();
        return names;
    }

    test::Medium &medium(const QString &name)
    {
        test::Medium &medium = m_media.medium(name);
        if (!medium.skipReason.isEmpty())
            QTest::qSkip(qPrintable(medium.skipReason), __FILE__, __LINE__);
        return medium;
    }

private Q_SLOTS:
    void commands_data()
    {
        QTest::addColumn<QString>("medium");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err"); // a part of standard error
        QTest::addColumn<QStringList>("after"); // empty: as before
        const QStringList photos{u"IMG_001.jpg"_s, u"IMG_002.jpg"_s, u"a b.txt"_s, u"x.txt"_s};
        for (const QString &medium : {u"local"_s, u"exFAT"_s}) {
            const auto row = [&](const char *name) { return &(QTest::addRow("%s, %s", qPrintable(medium), name) << medium); };
            *row("dry run") << photos << QStringList{u"--rename"_s, u"--regex"_s, u"--find"_s, u"IMG_(\\d+)"_s, u"--replace"_s, u"Vac_\\1"_s, u"."_s}
                            << 0 << u"IMG_001.jpg → Vac_001.jpg\nIMG_002.jpg → Vac_002.jpg\n"_s << QString() << QStringList();
            *row("dry run, a marked row as tsv") << photos
                << QStringList{u"--rename"_s, u"--tsv"_s, u"--find=a b"_s, u"--replace"_s, u"x"_s, u"."_s}
                << 1 << u"a b.txt\tx.txt\tфайл с таким именем уже существует\n"_s << QString() << QStringList();
            *row("apply, numbered") << QStringList{u"b.txt"_s, u"a.txt"_s, u"c.jpg"_s}
                << QStringList{u"--rename"_s, u"--base"_s, u"Фото"_s, u"--start"_s, u"5"_s, u"--step"_s, u"5"_s,
                               u"--width"_s, u"3"_s, u"--apply"_s, u"."_s}
                << 0 << u"Переименовано 3 из 3\n"_s << QString()
                << QStringList{u"Фото005.txt"_s, u"Фото010.txt"_s, u"Фото015.jpg"_s};
            *row("apply by mask, upper case") << photos
                << QStringList{u"--rename"_s, u"--mask"_s, u"*.jpg"_s, u"--upper"_s, u"--apply"_s, u"."_s}
                << 0 << u"Переименовано 2 из 2\n"_s << QString()
                << QStringList{u"IMG_001.JPG"_s, u"IMG_002.JPG"_s, u"a b.txt"_s, u"x.txt"_s};
            // exFAT ignores letter case: "отпуск.jpg" holds "Отпуск.jpg" there too.
            const bool caseBlind = medium == u"exFAT"_s;
            *row("apply, taken names numbered") << QStringList{u"IMG_1.jpg"_s, u"IMG_2.jpg"_s, u"отпуск.jpg"_s}
                << QStringList{u"--rename"_s, u"--regex"_s, u"--find"_s, u"IMG_\\d"_s, u"--replace"_s, u"Отпуск"_s,
                               u"--fix-conflicts"_s, u"--apply"_s, u"."_s}
                << 0 << u"Переименовано 2 из 2\n"_s << QString()
                << (caseBlind ? QStringList{u"Отпуск (2).jpg"_s, u"Отпуск (3).jpg"_s, u"отпуск.jpg"_s}
                              : QStringList{u"Отпуск (2).jpg"_s, u"Отпуск.jpg"_s, u"отпуск.jpg"_s});
            *row("dry run, a pattern, as tsv") << QStringList{u"a.jpg"_s, u"b.jpg"_s}
                << QStringList{u"--rename"_s, u"--tsv"_s, u"--base"_s, u"x"_s, u"--number"_s, u"--start=1"_s,
                               u"--step=0"_s, u"--fix-conflicts=_{n:2}"_s, u"."_s}
                << 1 << u"a.jpg\tx1.jpg\t\nb.jpg\tx1_02.jpg\tимя занято — добавлен номер\n"_s << QString() << QStringList();
            *row("apply a list: a chain") << QStringList{u"a.txt"_s, u"b.txt"_s, u"c.txt"_s}
                << QStringList{u"--rename"_s, u"--names"_s, listFile("chain.txt", "b.txt\nc.txt\nd.txt\n"), u"--apply"_s, u"."_s}
                << 0 << u"Переименовано 3 из 3\n"_s << QString() << QStringList{u"b.txt"_s, u"c.txt"_s, u"d.txt"_s};
            *row("apply, a row refused") << photos
                << QStringList{u"--rename"_s, u"--find"_s, u"a b"_s, u"--replace"_s, u"x"_s, u"--apply"_s, u"."_s}
                << 1 << u"Переименовано 0 из 1\n"_s << u"Не переименовано файлов: 1, отмечены заранее: 1"_s << QStringList();
            *row("subfolders, a dry run") << QStringList{u"a.txt"_s, u"DCIM/100CANON/IMG_1.JPG"_s, u"DCIM/101CANON/IMG_1.JPG"_s, u".hidden/IMG_2.JPG"_s}
                << QStringList{u"--rename"_s, u"--subfolders"_s, u"--mask=*.JPG"_s, u"--lower"_s, u"."_s}
                << 0 << u"DCIM/100CANON/IMG_1.JPG → DCIM/100CANON/img_1.jpg\nDCIM/101CANON/IMG_1.JPG → DCIM/101CANON/img_1.jpg\n"_s
                << QString() << QStringList();
            *row("subfolders to a depth, applied") << QStringList{u"a.txt"_s, u"DCIM/b.txt"_s, u"DCIM/sub/c.txt"_s}
                << QStringList{u"--rename"_s, u"--depth"_s, u"1"_s, u"--upper"_s, u"--apply"_s, u"."_s}
                << 0 << u"Переименовано 2 из 2\n"_s << QString()
                << QStringList{u"A.TXT"_s, u"DCIM/B.TXT"_s, u"DCIM/sub/c.txt"_s};
            // A folder's name is all base name; its rows come after its folder's files.
            *row("folders, a dry run") << QStringList{u"a.txt"_s, u"Trip.2024/x.txt"_s, u".hidden/y.txt"_s}
                << QStringList{u"--rename"_s, u"--folders"_s, u"--base"_s, u"Поездка"_s, u"."_s}
                << 0 << u"a.txt → Поездка1.txt\nTrip.2024/ → Поездка2/\n"_s << QString() << QStringList();
            *row("folders, a base name of fields") << QStringList{u"a.txt"_s, u"Trip.2024/x.txt"_s}
                << QStringList{u"--rename"_s, u"--folders"_s, u"--base"_s, u"{n}_x"_s, u"."_s}
                << 0 << u"a.txt → 1_x.txt\nTrip.2024/ → 2_x/\n"_s << QString() << QStringList();
            *row("folders, a taken name numbered") << QStringList{u"a.txt"_s, u"DCIM/x.txt"_s, u"Trip.2024/y.txt"_s}
                << QStringList{u"--rename"_s, u"--folders"_s, u"--regex"_s, u"--find"_s, u"^.*$"_s, u"--replace"_s,
                               u"Trip.2024"_s, u"--fix-conflicts"_s, u"."_s}
                << 1 << u"a.txt → Trip.2024.txt\nDCIM/ → Trip.2024 (2)/   [имя занято — добавлен номер]\n"_s << QString() << QStringList();
            // A folder is never a file's partner, whatever its name.
            *row("folders and pairs") << QStringList{u"IMG_1.CR2"_s, u"IMG_1.JPG/x.txt"_s}
                << QStringList{u"--rename"_s, u"--folders"_s, u"--pairs"_s, u"--base"_s, u"T"_s, u"."_s}
                << 0 << u"IMG_1.CR2 → T1.CR2\nIMG_1.JPG/ → T2/\n"_s << QString() << QStringList();
            *row("folders of a tree, applied") << QStringList{u"DCIM/100CANON/IMG_1.JPG"_s, u"Trip.2024/x.txt"_s}
                << QStringList{u"--rename"_s, u"--subfolders"_s, u"--folders"_s, u"--lower"_s, u"--apply"_s, u"."_s}
                << 0 << u"Переименовано 4 из 4\n"_s << QString()
                << QStringList{u"dcim/100canon/img_1.jpg"_s, u"trip.2024/x.txt"_s};
            *row("pairs over a card, applied") << QStringList{u"DCIM/100CANON/IMG_1.CR2"_s, u"DCIM/100CANON/IMG_1.JPG"_s,
                                                              u"DCIM/100CANON/IMG_2.JPG"_s, u"DCIM/101CANON/IMG_1.XMP"_s,
                                                              u"DCIM/101CANON/IMG_1.dng"_s, u"DCIM/101CANON/IMG_1.mov"_s}
                << QStringList{u"--rename"_s, u"--subfolders"_s, u"--pairs"_s, u"--base"_s, u"Trip_"_s,
                               u"--restart-per-folder"_s, u"--apply"_s, u"."_s}
                << 0 << u"Переименовано 6 из 6\n"_s << QString()
                << QStringList{u"DCIM/100CANON/Trip_1.CR2"_s, u"DCIM/100CANON/Trip_1.JPG"_s, u"DCIM/100CANON/Trip_2.JPG"_s,
                               u"DCIM/101CANON/Trip_1.XMP"_s, u"DCIM/101CANON/Trip_1.dng"_s, u"DCIM/101CANON/Trip_2.mov"_s};
            *row("pairs: a member refused holds the raw") << QStringList{u"IMG_1.CR2"_s, u"IMG_1.JPG"_s, u"Trip.JPG"_s}
                << QStringList{u"--rename"_s, u"--tsv"_s, u"--pairs"_s, u"--find=IMG_1"_s, u"--replace=Trip"_s, u"--apply"_s, u"."_s}
                << 1 << u"IMG_1.CR2\tTrip.CR2\tсвязанный файл не переименован\nIMG_1.JPG\tTrip.JPG\tфайл с таким именем уже существует\n"_s
                << u"Переименовано 0 из 2"_s << QStringList();
        }
        // Dates from the names: the second photo's camera ran an hour behind, which moves it
        // into the next day, where the number starts again.
        QTest::newRow("numbers restart each day, a clock shifted")
            << u"local"_s << QStringList{u"IMG_20260714_100000.jpg"_s, u"IMG_20260714_233000.jpg"_s, u"IMG_20260715_090000.jpg"_s}
            << QStringList{u"--rename"_s, u"--base"_s, u"{дата}_"_s, u"--restart-per-day"_s, u"--restart-per-folder"_s,
                           u"--date-shift"_s, u"Canon EOS 80D=-02:00"_s, u"--date-shift=+01:00"_s, u"--apply"_s, u"."_s}
            << 0 << u"Переименовано 3 из 3\n"_s << QString()
            << QStringList{u"2026-07-14_1.jpg"_s, u"2026-07-15_1.jpg"_s, u"2026-07-15_2.jpg"_s};
        QTest::newRow("dry run as -n") << u"local"_s << photos << QStringList{u"--rename"_s, u"-n"_s, u"--mask=*.jpg"_s, u"--upper"_s, u"."_s}
                                       << 0 << u"IMG_001.jpg → IMG_001.JPG\nIMG_002.jpg → IMG_002.JPG\n"_s << QString() << QStringList();
        QTest::newRow("a CSV map, a name not in the folder") << u"local"_s << photos
            << QStringList{u"--rename"_s, u"--map"_s, listFile("map.csv", "IMG_002.jpg;Море.jpg\r\nnope.jpg;x.jpg\r\n"), u"."_s}
            << 0 << u"IMG_002.jpg → Море.jpg\n"_s << u"velmix: Этих имён из списка нет в таблице (1), их строки пропущены:\nстрока 2: «nope.jpg»\n"_s
            << QStringList();
        QTest::newRow("apply as tsv, a row refused") << u"local"_s << QStringList{u"a b.txt"_s, u"x.txt"_s, u"Y.txt"_s}
            << QStringList{u"--rename"_s, u"--tsv"_s, u"--lower"_s, u"--find"_s, u"a b"_s, u"--replace"_s, u"x"_s, u"--apply"_s, u"."_s}
            << 1 << u"a b.txt\tx.txt\tфайл с таким именем уже существует\nY.txt\ty.txt\t\n"_s << u"Переименовано 1 из 2"_s
            << QStringList{u"a b.txt"_s, u"x.txt"_s, u"y.txt"_s};
        const auto bad = [](const char *name, const QStringList &arguments, const QString &err) {
            QTest::newRow(name) << u"local"_s << QStringList{u"a.txt"_s} << arguments << 2 << QString() << err << QStringList();
        };
        bad("two cases", {u"--rename"_s, u"--upper"_s, u"--lower"_s, u"."_s}, u"только одно из --upper, --lower"_s);
        bad("width past 5", {u"--rename"_s, u"--width"_s, u"7"_s, u"."_s}, u"ширина номера «7»"_s);
        bad("an order it has not", {u"--rename"_s, u"--order=random"_s, u"."_s}, u"порядок «random»"_s);
        bad("a pattern without {n}", {u"--rename"_s, u"--fix-conflicts=_x"_s, u"."_s}, u"--fix-conflicts: в шаблоне"_s);
        bad("a case it has not", {u"--rename"_s, u"--extension"_s, u"up"_s, u"."_s}, u"«up» — не as-is, lower или upper"_s);
        bad("no value", {u"--rename"_s, u"."_s, u"--find"_s}, u"у параметра --find нет значения"_s);
        bad("no folder", {u"--rename"_s, u"--upper"_s}, u"не указана папка"_s);
        bad("not a folder", {u"--rename"_s, u"a.txt"_s}, u"«a.txt» — не папка\nСправка: velmix --help\n"_s);
        bad("no such folder", {u"--undo"_s, u"nosuch"_s}, u"«nosuch» — не папка\nСправка: velmix --help\n"_s);
        bad("the window without a display", {u"."_s}, u"velmix: дисплей не задан"_s);
        bad("an unknown option without a display", {u"-x"_s, u"."_s}, u"velmix: неизвестный параметр «-x»\nСправка"_s);
        bad("an empty set", {u"--rename"_s, u"--set="_s, u"."_s}, u"у параметра --set пустое имя набора"_s);
        bad("a broken expression", {u"--rename"_s, u"--regex"_s, u"--find"_s, u"("_s, u"."_s}, u"выражение «(»"_s);
        bad("a depth that is no number", {u"--rename"_s, u"--depth"_s, u"all"_s, u"."_s}, u"«all» — не число из 1–3 цифр"_s);
        bad("a refused mask", {u"--rename"_s, u"--mask"_s, u"a/b"_s, u"."_s}, u"маска «a/b»"_s);
        bad("a setting for undo", {u"--undo"_s, u"--upper"_s, u"."_s}, u"--upper — только для --rename"_s);
        bad("a list a line long", {u"--rename"_s, u"--names"_s, listFile("long.txt", "x\ny\n"), u"."_s},
            u"velmix: строк в списке: 2, а файлов в таблице: 1\n"_s);
        bad("a list with a slash", {u"--rename"_s, u"--names"_s, listFile("slash.txt", "x/y\n"), u"."_s},
            u"строка 1: в имени «x/y» есть «/»"_s);
        bad("no list file", {u"--rename"_s, u"--map"_s, m_lists.filePath(u"none.tsv"_s), u"."_s}, u"не прочитать"_s);
        bad("two lists", {u"--rename"_s, u"--names"_s, u"a"_s, u"--edit"_s, u"."_s}, u"можно только одно из --names, --map, --edit"_s);
        bad("repair unanswered", {u"--repair"_s}, u"для --repair нужно --yes или --no"_s);
        bad("unknown", {u"--bogus"_s}, u"velmix: неизвестный параметр «--bogus»\nСправка: velmix --help\n"_s);
        bad("a shift that is none", {u"--rename"_s, u"--date-shift"_s, u"Canon=1:5"_s, u"."_s},
            u"сдвиг «Canon=1:5» — не «[камера=]±чч:мм»"_s);
        bad("a typo", {u"--rename"_s, u"--lowr"_s, u"."_s}, u"неизвестный параметр «--lowr»; может быть, --lower?"_s);
        QTest::newRow("version") << u"local"_s << QStringList() << QStringList{u"--version"_s} << 0
                                 << u"velmix " VELMIX_VERSION "\n"_s << QString() << QStringList();
    }
    void commands()
    {
        QFETCH(QString, medium);
        QFETCH(QStringList, files);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(QStringList, after);
        // A dry run only lists the folder, which exFAT does as ext4 for these names; its
        // applies (case-blind names, moves through FUSE) run on every `make test`.
        if (medium == u"exFAT"_s && !arguments.contains(u"--apply"_s) && !test::longLane())
            QSKIP("a dry run on exFAT runs in make test-long");
        const std::unique_ptr<test::TestFolder> folder = folderOf(this->medium(medium), files);
        const Run run = velmix(arguments, folder->path());
        QCOMPARE(run.status, status);
        QCOMPARE(QString::fromUtf8(run.out), out);
        QVERIFY2(run.err.contains(err), qPrintable(run.err));
        if (after.isEmpty()) {
            after = files;
            after.sort();
        }
        QCOMPARE(namesIn(*folder), after);
    }

    // --names - reads standard input; --edit opens $VISUAL before $EDITOR (run where
    // $VISUAL is empty), its changes taken as the list; an editor that fails changes nothing.
    void listsFromInputAndEditor_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("visual");
        QTest::addColumn<QString>("editor");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QStringList>("after");
        const QString renameFirst = u"sed -i '1s/.*/z.txt/'"_s;
        QTest::newRow("standard input") << QStringList{u"--names"_s, u"-"_s} << QString() << QString() << 0 << QString()
                                        << QStringList{u"x.txt"_s, u"y.txt"_s};
        QTest::newRow("$VISUAL first") << QStringList{u"--edit"_s} << renameFirst << u"false"_s << 0 << QString()
                                       << QStringList{u"b.txt"_s, u"z.txt"_s};
        QTest::newRow("an editor that fails") << QStringList{u"--edit"_s} << QString() << u"false"_s << 2
                                              << u"velmix: редактор «false» завершился с ошибкой; имена не изменены\n"_s
                                              << QStringList{u"a.txt"_s, u"b.txt"_s};
    }
    void listsFromInputAndEditor()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, visual);
        QFETCH(QString, editor);
        QFETCH(int, status);
        QFETCH(QString, err);
        QFETCH(QStringList, after);
        test::TempFolder folder;
        folder.createFiles({u"a.txt"_s, u"b.txt"_s});
        QProcess program;
        prepare(program, folder.path());
        QProcessEnvironment environment = program.processEnvironment();
        environment.insert(u"VISUAL"_s, visual);
        environment.insert(u"EDITOR"_s, editor);
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(VELMIX_PROGRAM), QStringList{u"--rename"_s, u"--apply"_s} + arguments + QStringList{u"."_s});
        program.write("x.txt\ny.txt\n");
        program.closeWriteChannel();
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), status);
        QCOMPARE(QString::fromUtf8(program.readAllStandardError()), err);
        QCOMPARE(folder.files(), after);
    }

    void helpListsEveryOption()
    {
        const Run run = velmix({u"--help"_s});
        QCOMPARE(run.status, 0);
        const QString help = QString::fromUtf8(run.out);
        for (const char *option : {"--rename", "--undo", "--repair --yes|--no", "--apply", "--tsv", "--mask", "--base",
                                   "--start", "--step", "--width", "--wait", "--order", "--capital", "--spaces-to-underscores",
                                   "--regex", "--ignore-case", "--with-extension", "--cut-from", "--from-end",
                                   "--title-case-lower", "--latin gost|passport|bgn", "--names", "--map", "--edit",
                                   "--restart-per-folder", "--restart-per-day", "--date-shift", "--subfolders", "--depth", "--folders", "--pairs"})
            QVERIFY2(help.contains(QString::fromLatin1(option)), option);
    }

    // A window start becomes the window's program in the same process, found from the
    // program's own place, with the arguments as they came; where it is missing, a clear
    // refusal.
    void windowStartGoesToTheWindowProgram_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::newRow("beside the program as installed") << true;
        QTest::newRow("missing") << false;
    }
    void windowStartGoesToTheWindowProgram()
    {
        QFETCH(bool, installed);
        test::TempFolder alone;
        QString program = QStringLiteral(VELMIX_PROGRAM);
        if (!installed) {
            program = alone.filePath(u"velmix"_s);
            QVERIFY(QFile::copy(QStringLiteral(VELMIX_PROGRAM), program));
        }
        QProcess window;
        prepare(window, alone.path());
        QProcessEnvironment environment = window.processEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        window.setProcessEnvironment(environment);
        window.start(program, {u"."_s});
        QVERIFY(window.waitForStarted());
        if (!installed) {
            QVERIFY(window.waitForFinished(60000));
            QCOMPARE(window.exitCode(), 2);
            const QString err = QString::fromUtf8(window.readAllStandardError());
            QVERIFY2(err.startsWith(u"velmix: окно не открыть: программа окна «"_s), qPrintable(err));
            return;
        }
        const auto guard = qScopeGuard([&] { window.kill(); window.waitForFinished(); });
        const QString self = u"/proc/%1/"_s.arg(window.processId());
        QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(self + u"exe"_s).symLinkTarget(),
                                  QFileInfo(QStringLiteral(VELMIX_WINDOW_PROGRAM)).canonicalFilePath(), 20000);
        QFile arguments(self + u"cmdline"_s);
        QVERIFY(arguments.open(QIODevice::ReadOnly));
        QCOMPARE(arguments.readAll(), QFile::encodeName(program) + QByteArray("\0.\0", 3));
    }

    // The tags come from the metadata module, loaded on the first file read; a program
    // without it still names the files, the camera left out, and says why.
    void tagsFromTheMetadataModule_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("beside the program as installed") << true << u"a.jpg → Canon EOS 80D_1.jpg\n"_s << QString();
        QTest::newRow("missing") << false << u"a.jpg → _1.jpg\n"_s << u"метаданные файлов не прочитать"_s;
    }
    void tagsFromTheMetadataModule()
    {
        QFETCH(bool, installed);
        QFETCH(QString, out);
        QFETCH(QString, err);
        test::TempFolder folder;
        folder.createFile("a.jpg", test::jpegWithExif(u"2026:07:14 15:30:12"_s, {}, "Canon", "Canon EOS 80D"));
        QString program = QStringLiteral(VELMIX_PROGRAM);
        if (!installed) {
            program = m_lists.filePath(u"velmix"_s);
            QVERIFY(QFile::exists(program) || QFile::copy(QStringLiteral(VELMIX_PROGRAM), program));
        }
        QProcess velmix;
        prepare(velmix, folder.path());
        velmix.start(program, {u"--rename"_s, u"--base"_s, u"{камера}_"_s, u"."_s});
        QVERIFY(velmix.waitForFinished(60000));
        QCOMPARE(QString::fromUtf8(velmix.readAllStandardOutput()), out);
        const QString errors = QString::fromUtf8(velmix.readAllStandardError());
        QVERIFY2(err.isEmpty() ? errors.isEmpty() : errors.contains(err), qPrintable(errors));
    }

    // The apply, then its undo from another run, on each medium; the window sees the apply
    // too, and a second undo has nothing left.
    void undoTakesBackTheLastApply_data()
    {
        QTest::addColumn<QString>("medium");
        QTest::newRow("local") << u"local"_s;
        QTest::newRow("exFAT") << u"exFAT"_s;
    }
    void undoTakesBackTheLastApply()
    {
        QFETCH(QString, medium);
        const QStringList files{u"a.txt"_s, u"b c.txt"_s};
        const std::unique_ptr<test::TestFolder> folder = folderOf(this->medium(medium), files);
        QCOMPARE(velmix({u"--rename"_s, u"--upper"_s, u"--apply"_s, folder->path()}).status, 0);
        QCOMPARE(namesIn(*folder), QStringList({u"A.TXT"_s, u"B C.TXT"_s}));
        { // the window, started on the same history, has it for Ctrl+Z
            test::CoreFixture window(folder->path());
            PosixStateFolder history(m_home.filePath(u"state/velmix"_s));
            RenamerCore core({window.busy, window.messages, window.drives, window.mover, window.work, &history,
                              &window.identities}, folder->path());
            core.startUp();
            QCOMPARE(core.undo().undoFolder(), folder->path());
        }
        const Run undo = velmix({u"--undo"_s, folder->path()});
        QCOMPARE(undo.status, 0);
        QCOMPARE(namesIn(*folder), files);
        const Run again = velmix({u"--undo"_s, folder->path()});
        QCOMPARE(again.status, 1);
        QVERIFY2(again.err.contains(u"нечего отменять"_s), qPrintable(again.err));
    }

    // A journal that cannot be trusted, a folder or a pipe so named is told on standard
    // error, with the folder the journal names, by a dry run, an apply and an undo alike,
    // each of which goes on; the dry run leaves the state folder as it was.
    void journalsSetAsideAreTold_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QStringList>("command"); // the folder follows
        for (const QString &entry : {u"damaged"_s, u"folder"_s, u"pipe"_s}) {
            QTest::addRow("%s, dry run", qPrintable(entry)) << entry << QStringList{u"--rename"_s, u"--lower"_s};
            QTest::addRow("%s, apply", qPrintable(entry)) << entry << QStringList{u"--rename"_s, u"--lower"_s, u"--apply"_s};
            QTest::addRow("%s, undo", qPrintable(entry)) << entry << QStringList{u"--undo"_s};
        }
    }
    void journalsSetAsideAreTold()
    {
        QFETCH(QString, entry);
        QFETCH(QStringList, command);
        const std::unique_ptr<test::TestFolder> folder = folderOf(medium(u"local"_s), {u"a.txt"_s});
        const QDir state(m_home.filePath(u"state/velmix"_s));
        const QStringList history = state.entryList(QDir::Files);
        const QString planted = state.filePath(u"0-planted.journal"_s);
        const QByteArray path = QFile::encodeName(planted);
        const auto cleanUp = qScopeGuard([&] { // the history as it was, for the tests after
            for (const QString &name : {planted, planted + u".bad"_s})
                QFile::remove(name) || QDir().rmdir(name);
            for (const QString &name : state.entryList(QDir::Files))
                history.contains(name) || QFile::remove(state.filePath(name));
        });
        QCOMPARE(velmix({u"--rename"_s, u"--upper"_s, u"--apply"_s, folder->path()}).status, 0);
        if (entry == u"damaged") {
            JournalPlan plan;
            plan.folder = QFile::encodeName(folder->path());
            QFile file(planted);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(JournalFormat::header(plan, 1) + "a changed line\nand another\n");
        } else {
            QVERIFY(entry == u"folder" ? ::mkdir(path.constData(), 0700) == 0 : ::mkfifo(path.constData(), 0600) == 0);
        }
        const QStringList before = state.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        const bool dryRun = !command.contains(u"--apply"_s) && !command.contains(u"--undo"_s);

        const Run run = velmix(command + QStringList{folder->path()});
        QCOMPARE(run.status, dryRun ? 0 : 1); // an apply's or an undo's report counts what it set aside
        const QString line = u"Журнал «%1»%2 %3, %4.\n"_s.arg(
            planted, entry == u"damaged" ? u" (папка «%1»)"_s.arg(folder->path()) : QString(),
            entry == u"damaged" ? u"повреждён"_s : u"не читается"_s,
            dryRun ? u"он не учитывается"_s : u"отложен как «0-planted.journal.bad»"_s);
        QVERIFY2(run.err.contains(line), qPrintable(run.err));
        if (dryRun)
            QCOMPARE(state.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot), before);
        QCOMPARE(namesIn(*folder), QStringList{dryRun ? u"A.TXT"_s : u"a.txt"_s});
    }

    // The window open all along takes back with Ctrl+Z the command line's applies, the
    // newest first: it reads the history when it acts, not only at its start.
    void windowUndoTakesTheNewestApplyOfAnyProgram()
    {
        const std::unique_ptr<test::TestFolder> folder = folderOf(medium(u"local"_s), {u"a.txt"_s});
        test::CoreFixture window(folder->path());
        PosixStateFolder history(m_home.filePath(u"state/velmix"_s));
        RenamerCore core({window.busy, window.messages, window.drives, window.mover, window.work, &history,
                          &window.identities}, folder->path());
        core.startUp();
        const QStringList othersJournals = QDir(history.path()).entryList(QDir::Files);
        const auto undoInWindow = [&](const QString &expected) {
            window.messages.answers = {true};
            window.messages.show(core.undoLastApply());
            QCOMPARE(namesIn(*folder), QStringList{expected});
            QCOMPARE(window.messages.shown, (QList<std::pair<QString, QString>>()));
        };
        QCOMPARE(velmix({u"--rename"_s, u"--upper"_s, u"--apply"_s, folder->path()}).status, 0);
        undoInWindow(u"a.txt"_s);
        QCOMPARE(velmix({u"--rename"_s, u"--upper"_s, u"--apply"_s, folder->path()}).status, 0);
        QCOMPARE(velmix({u"--rename"_s, u"--base"_s, u"x"_s, u"--apply"_s, folder->path()}).status, 0);
        QCOMPARE(namesIn(*folder), QStringList{u"x1.TXT"_s});
        undoInWindow(u"A.TXT"_s);
        undoInWindow(u"a.txt"_s);
        QCOMPARE(window.messages.asked.size(), 3);
        for (const QString &left : QDir(history.path()).entryList(QDir::Files)) // none of this folder's
            QVERIFY2(othersJournals.contains(left), qPrintable(left));
    }

    // Another program renames in the folder (the test holds the folder's lock, as its apply
    // would): an apply and an undo are refused with status 1 and touch nothing; with
    // --wait they wait for it, then go on.
    void busyFolderRefusedOrWaitedFor_data()
    {
        QTest::addColumn<QStringList>("command"); // the folder follows
        QTest::addColumn<bool>("wait");
        for (const bool wait : {false, true}) {
            const QStringList waiting = wait ? QStringList{u"--wait"_s} : QStringList();
            QTest::addRow("apply%s", wait ? ", waiting" : "") << QStringList{u"--rename"_s, u"--lower"_s, u"--apply"_s} + waiting << wait;
            QTest::addRow("undo%s", wait ? ", waiting" : "") << QStringList{u"--undo"_s} + waiting << wait;
        }
    }
    void busyFolderRefusedOrWaitedFor()
    {
        QFETCH(QStringList, command);
        QFETCH(bool, wait);
        const std::unique_ptr<test::TestFolder> folder = folderOf(medium(u"local"_s), {u"a.txt"_s});
        QCOMPARE(velmix({u"--rename"_s, u"--upper"_s, u"--apply"_s, folder->path()}).status, 0);
        PosixFolderLocks other(m_home.filePath(u"state/velmix"_s), PosixFolderLocks::Busy::Refuse);
        std::unique_ptr<FolderHold> held = other.hold(QFile::encodeName(folder->path()));
        QVERIFY(held);
        QProcess program;
        start(program, command + QStringList{folder->path()}, QDir::tempPath());
        if (wait) {
            // Until the kernel lists it among the lock's waiters, then a look that it waited.
            const auto waitsOnLock = [pid = QByteArray::number(program.processId())] {
                QFile locks(u"/proc/locks"_s);
                if (!locks.open(QIODevice::ReadOnly))
                    return false;
                for (const QByteArray &line : locks.readAll().split('\n'))
                    if (line.contains("->") && line.simplified().split(' ').contains(pid))
                        return true;
                return false;
            };
            QTRY_VERIFY_WITH_TIMEOUT(waitsOnLock(), 30000);
            QCOMPARE(program.state(), QProcess::Running);
            QCOMPARE(namesIn(*folder), QStringList{u"A.TXT"_s});
            held.reset();
        }
        QVERIFY(program.waitForFinished(60000));
        const QString err = QString::fromUtf8(program.readAllStandardError());
        QCOMPARE(program.exitCode(), wait ? 0 : 1);
        QCOMPARE(namesIn(*folder), QStringList{wait ? u"a.txt"_s : u"A.TXT"_s});
        QCOMPARE(err.contains(u"Эту папку сейчас переименовывает другая программа Velmix: «%1»."_s.arg(folder->path())), !wait);
    }

    // An apply cut short after its first move: --yes finishes it, --no puts every name back.
    void repairFinishesOrPutsBack_data()
    {
        QTest::addColumn<bool>("finish");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void repairFinishesOrPutsBack()
    {
        QFETCH(bool, finish);
        const QStringList files{u"a.txt"_s, u"b.txt"_s, u"c.txt"_s};
        const std::unique_ptr<test::TestFolder> folder = folderOf(medium(u"local"_s), files);
        QCOMPARE(velmix({u"--rename"_s, u"--upper"_s, u"--apply"_s, folder->path()}).status, 0);
        const QDir state(m_home.filePath(u"state/velmix"_s));
        const QString journalPath = state.filePath(state.entryList(QDir::Files, QDir::Name).value(-1 + state.entryList(QDir::Files).size()));
        QFile journal(journalPath);
        QVERIFY(journal.open(QIODevice::ReadWrite));
        QByteArray bytes = journal.readAll();
        const qsizetype moves = bytes.indexOf("\nk 0 3 ") + 1; // the three moves, as one run of rows
        QVERIFY(moves > 0);
        bytes.truncate(moves);
        JournalFormat::appendMovedRows(bytes, 0, 1);
        QVERIFY(journal.resize(0) && journal.seek(0) && journal.write(bytes) == bytes.size());
        journal.close();
        QVERIFY(QDir(folder->path()).rename(u"B.TXT"_s, u"b.txt"_s) && QDir(folder->path()).rename(u"C.TXT"_s, u"c.txt"_s));
        const Run repair = velmix({u"--repair"_s, finish ? u"--yes"_s : u"--no"_s});
        QCOMPARE(repair.status, 0);
        QCOMPARE(namesIn(*folder), finish ? QStringList({u"A.TXT"_s, u"B.TXT"_s, u"C.TXT"_s}) : files);
        const Run none = velmix({u"--repair"_s, u"--yes"_s});
        QCOMPARE(none.out, QByteArray("Прерванных переименований нет.\n"));
        QVERIFY(!finish || velmix({u"--undo"_s, folder->path()}).status == 0); // a finished apply is undoable
        QCOMPARE(namesIn(*folder), files);
    }

    // A folder whose own name is not UTF-8 is taken as the bytes it was typed in.
    void folderNamedInBytes()
    {
        const std::unique_ptr<test::TestFolder> parent = medium(u"local"_s).newFolder();
        const QByteArray name("d\xe9");
        const QByteArray path = parent->path().toUtf8() + '/' + name;
        QVERIFY(::mkdir(path.constData(), 0755) == 0);
        QVERIFY(::close(::creat((path + "/a.txt").constData(), 0644)) == 0);
        QProcess shell; // the argument's bytes as they are, past QProcess's text
        prepare(shell, parent->path());
        shell.start(u"sh"_s, {u"-c"_s, u"exec \"$0\" --rename --upper --apply \"$(printf 'd\\351')\""_s, QStringLiteral(VELMIX_PROGRAM)});
        QVERIFY(shell.waitForFinished(60000));
        QCOMPARE(shell.readAllStandardError(), QByteArray());
        QCOMPARE(shell.exitCode(), 0);
        QVERIFY(::access((path + "/A.TXT").constData(), F_OK) == 0);
        // QDir, which removes the test's folders, passes over a name that is not UTF-8
        QVERIFY(::unlink((path + "/A.TXT").constData()) == 0 && ::rmdir(path.constData()) == 0);
    }

    // A state and a config folder on a read-only medium are told as that, not as a lack of
    // rights; the files are renamed all the same, without a journal.
    void readOnlyStateFolder()
    {
        QTemporaryDir readOnly;
        if (QProcess::execute(u"mount"_s, {u"-t"_s, u"tmpfs"_s, u"-o"_s, u"ro,size=64k"_s, u"tmpfs"_s, readOnly.path()}) != 0)
            QSKIP("mounting a read-only tmpfs needs root");
        const auto unmount = qScopeGuard([&] { QProcess::execute(u"umount"_s, {readOnly.path()}); });
        const std::unique_ptr<test::TestFolder> folder = folderOf(medium(u"local"_s), {u"a.txt"_s});
        QProcess program;
        prepare(program, folder->path());
        QProcessEnvironment environment = program.processEnvironment();
        environment.insert(u"XDG_STATE_HOME"_s, readOnly.path() + u"/state"_s);
        environment.insert(u"XDG_CONFIG_HOME"_s, readOnly.path() + u"/config"_s);
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(VELMIX_PROGRAM), {u"--rename"_s, u"--upper"_s, u"--apply"_s, u"."_s});
        QVERIFY(program.waitForFinished(60000));
        const QString err = QString::fromUtf8(program.readAllStandardError());
        QVERIFY2(err.contains(u"(диск только для чтения): восстановление после сбоя отключено"_s), qPrintable(err));
        QVERIFY2(err.contains(u"Не удалось записать набор «Последний применённый»"_s) && !err.contains(u"нет прав"_s),
                 qPrintable(err));
        QVERIFY2(err.contains(u"/config/velmix/sets/Последний применённый.ini» (диск только для чтения)"_s), qPrintable(err));
        QCOMPARE(namesIn(*folder), QStringList{u"A.TXT"_s});
    }

    // Ctrl+C or TERM during an apply: the move under way ends, the files moved so far make
    // an ordinary batch the undo takes back. A second Ctrl+C ends the program at once, and
    // the repair finishes that batch.
    void stopSignals_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("status");
        // Each row is a batch of 300 files through FUSE: SIGTERM, the same path with its own
        // status, runs in `make test-long`.
        QTest::newRow("Ctrl+C") << SIGINT << 1 << 130;
        if (test::longLane())
            QTest::newRow("TERM") << SIGTERM << 1 << 143;
        QTest::newRow("Ctrl+C twice") << SIGINT << 2 << 130; // 130 where it ended before the second
    }
    void stopSignals()
    {
        QFETCH(int, signal);
        QFETCH(int, count);
        QFETCH(int, status);
        QStringList files;
        for (int i = 0; i < 300; ++i)
            files.append(u"f"_s + QString::number(i).rightJustified(3, u'0') + u".txt"_s);
        // exFAT through FUSE: moves slow enough for a signal to land among them. Every row
        // ends with the names as they were, so the next takes the same folder: 300 files
        // made through FUSE cost more than the batch.
        if (!m_stopped || namesIn(*m_stopped) != files)
            m_stopped = folderOf(medium(u"exFAT"_s), files);
        const std::unique_ptr<test::TestFolder> &folder = m_stopped;
        const QDir state(m_home.filePath(u"state/velmix"_s));
        const QStringList journalsBefore = state.entryList({u"*.journal"_s});
        QProcess program;
        prepare(program, folder->path());
        program.start(QStringLiteral(VELMIX_PROGRAM), {u"--rename"_s, u"--upper"_s, u"--apply"_s, u"."_s});
        QVERIFY(program.waitForStarted());
        const auto moving = [&] { // the new journal holds a move
            for (const QString &name : state.entryList({u"*.journal"_s})) {
                QFile journal(state.filePath(name));
                if (!journalsBefore.contains(name) && journal.open(QIODevice::ReadOnly) && journal.readAll().contains("\nm "))
                    return true;
            }
            return false;
        };
        // Looked at every few milliseconds: QTRY's 50 ms can miss a whole batch.
        QDeadlineTimer deadline(30000);
        while (!moving() && !deadline.hasExpired())
            QThread::msleep(2);
        QVERIFY(moving());
        // Whether the program still catches the signal: its handler gives way to the
        // default once it ran. A second signal sent before would merge with the first.
        const pid_t pid = pid_t(program.processId()); // 0 once it ended, which kill() takes for the test's own group
        QVERIFY(pid > 0);
        const auto catches = [&] {
            QFile file(u"/proc/%1/status"_s.arg(pid));
            if (!file.open(QIODevice::ReadOnly))
                return false;
            const QByteArray text = file.readAll();
            const qsizetype at = text.indexOf("SigCgt:\t") + 8;
            return ((text.mid(at, 16).toULongLong(nullptr, 16) >> (signal - 1)) & 1) != 0;
        };
        QVERIFY(catches());
        ::kill(pid, signal);
        if (count > 1) {
            QTRY_VERIFY(!catches());
            if (program.state() == QProcess::Running) // unless it ended meanwhile, as the first lets it
                ::kill(pid, signal);
        }
        QVERIFY(program.state() == QProcess::NotRunning || program.waitForFinished(60000));
        const QString out = QString::fromUtf8(program.readAllStandardOutput());
        if (program.exitStatus() == QProcess::CrashExit) {
            // The second signal lands in the batch, which the repair finishes, or just
            // after it was closed as stopped; either way the undo then takes back all.
            QVERIFY(count > 1);
            QCOMPARE(velmix({u"--repair"_s, u"--yes"_s}).status, 0);
            QCOMPARE(velmix({u"--undo"_s, folder->path()}).status, 0);
            QCOMPARE(namesIn(*folder), files);
            return;
        }
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), status);
        const QStringList now = namesIn(*folder);
        const qsizetype moved = std::count_if(now.begin(), now.end(), [](const QString &name) { return name.endsWith(u".TXT"_s); });
        QVERIFY2(moved > 0 && moved < files.size(), qPrintable(out));
        QVERIFY2(out.startsWith(u"Переименовано %1 из"_s.arg(moved)), qPrintable(out));
        QCOMPARE(velmix({u"--repair"_s, u"--yes"_s}).out, QByteArray("Прерванных переименований нет.\n"));
        QCOMPARE(velmix({u"--undo"_s, folder->path()}).status, 0);
        QCOMPARE(namesIn(*folder), files);
    }

    // A saved set, refined by options after it; the apply keeps its settings as the last
    // applied set, which renames the next folder the same way; a damaged set is refused.
    void setsByName()
    {
        RuleSetStore store(m_home.filePath(u"config/velmix/sets"_s));
        RuleSet trip;
        trip.options.UpperCase = true;
        trip.rules.findText = u"IMG_"_s;
        trip.rules.replaceText = u"Vac_"_s;
        trip.rules.ignoreCase = true; // the rules run after the options: on "img_001.jpg"
        QCOMPARE(store.save(u"Отпуск"_s, trip), QString());
        const QStringList files{u"IMG_001.jpg"_s, u"IMG_002.jpg"_s};
        const std::unique_ptr<test::TestFolder> first = folderOf(medium(u"local"_s), files);
        const Run run = velmix({u"--rename"_s, u"--set"_s, u"Отпуск"_s, u"--lower"_s, u"--apply"_s, first->path()});
        QCOMPARE(run.status, 0);
        QCOMPARE(namesIn(*first), QStringList({u"Vac_001.jpg"_s, u"Vac_002.jpg"_s}));
        const std::unique_ptr<test::TestFolder> second = folderOf(medium(u"exFAT"_s), files);
        QCOMPARE(velmix({u"--rename"_s, u"--apply"_s, u"--set="_s + RuleSetStore::LastApplied, second->path()}).status, 0);
        QCOMPARE(namesIn(*second), namesIn(*first));

        QFile damaged(store.folder() + u"/Отпуск.ini"_s);
        QVERIFY(damaged.open(QIODevice::Append) && damaged.write("width=0\n") > 0);
        damaged.close();
        const Run refused = velmix({u"--rename"_s, u"--set"_s, u"Отпуск"_s, first->path()});
        QCOMPARE(refused.status, 2);
        QVERIFY2(refused.err.startsWith(u"velmix: Набор «Отпуск» повреждён"_s), qPrintable(refused.err));
        // A FIFO named like a set is told, never waited on.
        QVERIFY(::mkfifo(QFile::encodeName(store.folder() + u"/Канал.ini"_s).constData(), 0600) == 0);
        const Run fifo = velmix({u"--rename"_s, u"--set"_s, u"Канал"_s, first->path()});
        QCOMPARE(fifo.status, 2);
        QVERIFY2(fifo.err.contains(u"не обычный файл"_s), qPrintable(fifo.err));
    }

    // A long run's count goes to standard error on one line, rewritten in place, when that
    // is a terminal; a script's pipe gets none of it.
    void progressOnATerminalOnly_data()
    {
        QTest::addColumn<bool>("terminal");
        QTest::addColumn<QByteArray>("shown");
        QTest::newRow("terminal") << true << "\rПереименование: 3 из 10\rПереименование: 7 из 10\r\n"_ba;
        QTest::newRow("pipe") << false << QByteArray();
    }
    void progressOnATerminalOnly()
    {
        QFETCH(bool, terminal);
        QFETCH(QByteArray, shown);
        int ends[2]; // read, write
        QVERIFY(terminal ? ::openpty(&ends[0], &ends[1], nullptr, nullptr, nullptr) == 0 : ::pipe(ends) == 0);
        std::fflush(stderr);
        const int savedError = ::dup(STDERR_FILENO);
        QVERIFY(::dup2(ends[1], STDERR_FILENO) == STDERR_FILENO);
        {
            cli::ConsoleWorkDisplay display;
            WorkProgress progress;
            progress.setTotal(10);
            display.workStarted(WorkKind::Renaming, progress);
            for (int step : {3, 4}) {
                progress.advance(step);
                display.showProgress();
            }
            display.workFinished();
        }
        std::fflush(stderr);
        ::dup2(savedError, STDERR_FILENO);
        ::close(savedError);
        ::close(ends[1]);
        QByteArray written;
        char buffer[256];
        for (ssize_t got; (got = ::read(ends[0], buffer, sizeof buffer)) > 0;) // a terminal's end says EIO when drained
            written.append(buffer, got);
        ::close(ends[0]);
        QCOMPARE(written, shown); // the terminal writes the line's end as \r\n
    }

    // The window's core, driven as its controls are, and the command line, given the same
    // settings over the same randomized folder: the same rows, marks and renamed files.
    void sameNamesAsTheWindow()
    {
        QRandomGenerator random(20261208);
        const QStringList pieces{u"a"_s, u"B"_s, u"ж"_s, u" "_s, u"_"_s, u"7"_s, u"12"_s, u"."_s, u"x"_s, u"Я"_s};
        int roundsRenaming = 0; // so the comparison is never of empty previews alone
        const int rounds = test::longLane() ? 24 : 6; // each runs the program twice
        for (int round = 0; round < rounds; ++round) {
            QStringList names;
            for (int file = 0, count = random.bounded(1, 12); file < count; ++file) {
                QString name;
                for (int i = 0, length = random.bounded(1, 6); i < length; ++i)
                    name += pieces[random.bounded(pieces.size())];
                if (name != u"."_s && name != u".."_s && !names.contains(name))
                    names.append(name + (random.bounded(2) ? u".txt"_s : QString()));
            }
            names.removeDuplicates();
            NamingOptions options;
            NameRules rules;
            QStringList arguments{u"--rename"_s, u"--tsv"_s};
            const QStringList bases{u"-"_s, u"фото"_s, u"x_"_s, u"{n:2}-ж"_s};
            options.BaseName = bases[random.bounded(bases.size())];
            options.Numbering = options.BaseName != u"-"_s || random.bounded(2);
            if (options.Numbering) {
                options.StartText = QString::number(random.bounded(100));
                options.StepText = QString::number(random.bounded(1, 10));
                options.DigitWidthIndex = random.bounded(NamingOptions::DigitWidthCount);
                arguments << u"--number"_s << u"--base"_s << options.BaseName << u"--start"_s << options.StartText
                          << u"--step"_s << options.StepText << u"--width"_s << QString::number(options.DigitWidthIndex + 1);
            }
            const int letterCase = random.bounded(4);
            const int spaces = random.bounded(3);
            if (letterCase > 0)
                arguments << QStringList{u"--upper"_s, u"--lower"_s, u"--capital"_s}[letterCase - 1];
            if (spaces > 0)
                arguments << QStringList{u"--spaces-to-underscores"_s, u"--underscores-to-spaces"_s}[spaces - 1];
            if (random.bounded(2)) {
                options.Order = NumberingOrder::ByNumbersInName;
                arguments << u"--order"_s << u"numbers"_s;
            }
            const QStringList finds{u"a"_s, u"(\\d+)"_s, u"_"_s};
            if (const int find = random.bounded(finds.size() + 1); find > 0) {
                rules.findText = finds[find - 1];
                rules.regularExpression = find == 2;
                rules.replaceText = rules.regularExpression ? u"<\\1>"_s : u"Ё"_s;
                rules.ignoreCase = random.bounded(2);
                arguments << u"--find"_s << rules.findText << u"--replace"_s << rules.replaceText;
                if (rules.regularExpression)
                    arguments << u"--regex"_s;
                if (rules.ignoreCase)
                    arguments << u"--ignore-case"_s;
                if (random.bounded(2)) {
                    rules.replaceScope = ReplaceScope::WholeName;
                    arguments << u"--with-extension"_s;
                }
            }
            rules.cutCount = random.bounded(3);
            rules.position = random.bounded(4);
            rules.positionFromEnd = random.bounded(2);
            rules.insertText = QStringList{QString(), u"+"_s, u"{n}"_s}[random.bounded(3)];
            arguments << u"--cut"_s << QString::number(rules.cutCount) << u"--cut-from"_s << QString::number(rules.position)
                      << u"--insert="_s + rules.insertText;
            if (rules.positionFromEnd)
                arguments << u"--from-end"_s;
            rules.titleCase = TitleCase(random.bounded(3));
            if (rules.titleCase != TitleCase::Off)
                arguments << (rules.titleCase == TitleCase::RestAsTyped ? u"--title-case"_s : u"--title-case-lower"_s);
            rules.transliteration = Transliteration(random.bounded(4));
            if (rules.transliteration != Transliteration::Off)
                arguments << u"--latin"_s << QStringList{u"gost"_s, u"passport"_s, u"bgn"_s}[int(rules.transliteration) - 1];
            rules.extensionCase = ExtensionCase(random.bounded(3));
            if (rules.extensionCase != ExtensionCase::AsIs)
                arguments << u"--extension"_s << QStringList{u"lower"_s, u"upper"_s}[int(rules.extensionCase) - 1];

            const std::unique_ptr<test::TestFolder> windowFolder = folderOf(medium(u"local"_s), names);
            const std::unique_ptr<test::TestFolder> cliFolder = folderOf(medium(u"local"_s), names);
            test::CoreFixture window(windowFolder->path());
            RenamerCore &core = window.core;
            core.startUp();
            PreviewSession &preview = core.preview();
            if (options.Numbering) { // typed into the boxes, then the base name's key released
                preview.setStartText(options.StartText);
                preview.setStepText(options.StepText);
                preview.setDigitWidthIndex(options.DigitWidthIndex);
                preview.setBaseName(options.BaseName);
                preview.baseNameKeyReleased();
                if (!preview.isTicked(Toggle::Numbering))
                    preview.ToggleOption(Toggle::Numbering);
            }
            if (letterCase > 0)
                preview.ToggleOption(std::array{Toggle::UpperCase, Toggle::LowerCase, Toggle::FirstLetterCapital}[letterCase - 1]);
            if (spaces > 0)
                preview.ToggleOption(spaces == 1 ? Toggle::SpacesToUnderscores : Toggle::UnderscoresToSpaces);
            core.setNumberingOrder(options.Order);
            preview.setNameRules(rules);
            QByteArray rows;
            bool anyMarked = false;
            const FileNameTable &table = core.table();
            for (qsizetype row = 0; row < table.fileCount(); ++row) {
                const bool marked = table.mark(row) != NameMark::None;
                anyMarked = anyMarked || marked;
                if (marked || table.currentNames().at(row) != table.newNames().at(row))
                    rows += table.text(row, 0).toUtf8() + '\t' + table.text(row, 1).toUtf8() + '\t'
                            + (marked ? table.markReason(row).toUtf8() : QByteArray()) + '\n';
            }
            const QString context = arguments.join(u' ') + u" on "_s + names.join(u'|');
            const Run cli = velmix(arguments << cliFolder->path());
            roundsRenaming += rows.isEmpty() ? 0 : 1;
            QVERIFY2(cli.status == (anyMarked ? 1 : 0), qPrintable(context));
            QVERIFY2(cli.out == rows, qPrintable(context + u'\n' + QString::fromUtf8(cli.out) + u"≠\n"_s + QString::fromUtf8(rows)));
            window.messages.show(core.applyNewNames());
            arguments.insert(arguments.size() - 1, u"--apply"_s);
            QVERIFY2(velmix(arguments).status == (window.messages.shown.isEmpty() ? 0 : 1), qPrintable(context));
            QVERIFY2(windowFolder->contents() == cliFolder->contents(), qPrintable(context));
        }
        QVERIFY(roundsRenaming >= rounds * 2 / 3);
    }

private:
    // A list file outside the folders renamed, so no listing takes it.
    QString listFile(const char *name, const QByteArray &content)
    {
        QFile file(m_lists.filePath(QString::fromLatin1(name)));
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write %s", name);
        return file.fileName();
    }

    QTemporaryDir m_home;
    QTemporaryDir m_lists;
    test::TestMedia m_media;
    std::unique_ptr<test::TestFolder> m_stopped; // the stop signals' files, on m_media's exFAT
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
