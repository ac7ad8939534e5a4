#include "FakeServices.h"
#include "RenameFolder.h"
#include "TempFolder.h"
#include "apply/JournaledRename.h"
#include "journal/JournalFormat.h"
#include "journal/MoveRecords.h"
#include "listing/CurrentFolder.h"
#include "listing/DirectoryReader.h"
#include "posix/MountDriveList.h"
#include "CommandLine.h"
#include "posix/PosixFileIdentities.h"
#include "posix/PosixFileMover.h"
#include "posix/PosixFolderLocks.h"
#include "posix/PosixStateFolder.h"
#include "text/FileNameCodec.h"
#include "work/AsyncTask.h"
#include "work/VectorRegisters.h"

#include <QCommandLineParser>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTest>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__x86_64__)
#include <cpuid.h>
#endif

using namespace velmix;

namespace {

// Where the files an apply started from lie on disk, each file holding its first name:
// rows that have their new name, rows meant to change that still have their old one,
// and every other name found (a temporary name, a stranger).
struct DiskState
{
    qsizetype renamed = 0;
    qsizetype unchanged = 0;
    QList<QByteArray> strays;
};

// A journal whose syncs take a while, and which looks, as each ends, whether a file has
// moved ("g…") beyond the moves the parts synced before it reach: none may before its
// part is on disk.
class SlowSyncingStateFolder : public PosixStateFolder
{
public:
    SlowSyncingStateFolder(const QString &path, const QString &moving) : PosixStateFolder(path), m_moving(moving) {}
    std::unique_ptr<StateFile> create(const QString &name, int &error) override
    {
        std::unique_ptr<StateFile> file = PosixStateFolder::create(name, error);
        return file ? std::make_unique<File>(std::move(file), *this) : nullptr;
    }
    std::atomic<bool> movedEarly = false;

private:
    struct File : StateFile
    {
        File(std::unique_ptr<StateFile> file, SlowSyncingStateFolder &into) : inner(std::move(file)), folder(into) {}
        int append(const QByteArray &bytes) override
        {
            if (const qsizetype mark = bytes.lastIndexOf("\nP "); mark >= 0) // a part's end: the moves it reaches
                written = bytes.sliced(mark + 3).split(' ').front().toLongLong();
            return inner->append(bytes);
        }
        int sync() override
        {
            const qint64 reach = written;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (folder.m_moving.entryList({QStringLiteral("g*")}, QDir::Files).size() > synced)
                folder.movedEarly = true;
            const int error = inner->sync();
            synced = reach;
            return error;
        }
        std::unique_ptr<StateFile> inner;
        SlowSyncingStateFolder &folder;
        std::atomic<qint64> written = 0, synced = 0;
    };
    const QDir m_moving;
};

DiskState diskState(const QString &folder, const QStringList &oldNames, const QStringList &newNames)
{
    DiskState state;
    QMap<QByteArray, QByteArray> contents = test::folderContents(QFile::encodeName(folder));
    for (qsizetype row = 0; row < oldNames.size(); ++row) {
        const QByteArray old = oldNames[row].toUtf8();
        const QByteArray fresh = newNames[row].toUtf8();
        if (old != fresh && contents.value(fresh) == old) {
            ++state.renamed;
            contents.remove(fresh);
        } else if (contents.value(old) == old) {
            state.unchanged += old != fresh;
            contents.remove(old);
        }
    }
    state.strays = contents.keys();
    return state;
}

// The fixture's folder renamed to upper case: the journal of that apply.
QString appliedInUpperCase(test::CoreFixture &fixture)
{
    fixture.core.startUp();
    fixture.core.preview().ToggleOption(Toggle::UpperCase);
    fixture.messages.show(fixture.core.applyNewNames());
    return fixture.state.journals().value(0);
}

} // namespace

class TestFlows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startUpListsWorkingFolder()
    {
        test::TempFolder dir;
        dir.createFiles({"b.txt", "A.mp3"});
        test::CoreFixture fixture(dir.path(), {"/", dir.path()});
        fixture.core.startUp();
        const FileNameTable &table = fixture.core.table();
        QCOMPARE(table.fileCount(), 2);
        QCOMPARE(table.text(0, 0), "A.mp3");
        QCOMPARE(table.text(1, 1), "b.txt");
        QCOMPARE(fixture.core.preview().options(), NamingOptions());
        QVERIFY(!fixture.core.preview().namesPending());
        QCOMPARE(fixture.core.maskText(), "*.*");
        QCOMPARE(fixture.core.driveIndex(), 1); // the drive holding the folder
        QCOMPARE(fixture.core.savedDriveIndex(), 1);
        QCOMPARE(fixture.busy.depth, 0);
    }

    void startFolderThatIsNotUtf8()
    {
        test::TempFolder dir;
        const QByteArray folder = QFile::encodeName(dir.path()) + "/caf\xe9";
        QVERIFY(::mkdir(folder.constData(), 0755) == 0);
        dir.createFile("caf\xe9/inside.txt");
        const QByteArray before = QFile::encodeName(QDir::currentPath());
        QVERIFY(::chdir(folder.constData()) == 0);
        const QString start = currentFolder();
        QVERIFY(::chdir(before.constData()) == 0);
        test::CoreFixture fixture(start);
        fixture.core.startUp();
        const QString shown = fixture.core.table().text(0, 0);
        // QTemporaryDir cannot see a name that is not valid UTF-8, so it is removed here.
        ::unlink((folder + "/inside.txt").constData());
        ::rmdir(folder.constData());
        QCOMPARE(shown, "inside.txt");
    }

    void unreadableStartFolderShowsEmptyTable()
    {
        test::CoreFixture fixture("/nonexistent/velmix");
        fixture.core.startUp();
        QVERIFY(!fixture.core.table().holdsFiles());
        QCOMPARE(fixture.core.folder(), "/nonexistent/velmix");
        QVERIFY(fixture.messages.shown.isEmpty());
    }

    void changesResetOptions_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("mask") << "mask";
        QTest::newRow("folder") << "folder";
        QTest::newRow("reset button") << "reset";
        QTest::newRow("drive") << "drive";
        QTest::newRow("typed mask") << "typed mask";
        QTest::newRow("opened file") << "opened file";
    }
    void changesResetOptions()
    {
        QFETCH(QString, change);
        test::TempFolder dir;
        dir.createFiles({"a b.mp3", "sub/c.txt"});
        test::CoreFixture fixture(dir.path(), {"/", dir.path()});
        fixture.core.startUp();
        PreviewSession &preview = fixture.core.preview();
        preview.setDigitWidthIndex(2);
        preview.setBaseName("x");
        preview.baseNameKeyReleased();
        preview.ToggleOption(Toggle::UpperCase);
        QVERIFY(preview.namesPending());
        if (change == "mask")
            fixture.core.selectMask(1);
        else if (change == "folder")
            fixture.core.setFolder(dir.filePath("sub"));
        else if (change == "reset")
            fixture.core.resetAndRelist();
        else if (change == "typed mask")
            QVERIFY(fixture.core.setTypedMask("*.MP3"));
        else if (change == "opened file")
            QVERIFY(fixture.core.openFolder(dir.filePath("sub/c.txt")));
        else
            fixture.core.selectDrive(1);
        NamingOptions expected;
        expected.DigitWidthIndex = 2;
        QCOMPARE(preview.options(), expected);
        QVERIFY(!preview.namesPending());
        const FileNameTable &table = fixture.core.table();
        for (qsizetype row = 0; row < table.fileCount(); ++row)
            QCOMPARE(table.text(row, 1), table.text(row, 0));
        QCOMPARE(table.text(0, 0), change == "folder" || change == "opened file" ? "c.txt" : "a b.mp3");
        fixture.messages.show(fixture.core.applyNewNames()); // nothing pending: nothing happens
        QVERIFY(QFile::exists(dir.filePath("a b.mp3")));
        QCOMPARE(fixture.busy.depth, 0);
    }

    void driveNotReadyReturnsSilently()
    {
        test::TempFolder good, other;
        good.createFiles({"g.txt"});
        test::CoreFixture fixture(good.path(), {"/", good.path(), "/nonexistent/velmix-drive", other.path()});
        fixture.core.startUp();
        fixture.core.preview().ToggleOption(Toggle::UpperCase);
        fixture.core.selectDrive(2);
        QCOMPARE(fixture.core.driveIndex(), 1);
        QCOMPARE(fixture.core.folder(), good.path());
        QCOMPARE(fixture.core.table().text(0, 1), "g.txt");
        QVERIFY(!fixture.core.preview().isTicked(Toggle::UpperCase));
        QVERIFY(fixture.messages.shown.isEmpty());
        QCOMPARE(fixture.busy.depth, 0);
    }

    void driveRemembersItsLastFolder()
    {
        QTemporaryDir first, second;
        QDir(first.path()).mkdir("deep");
        test::CoreFixture fixture(first.path(), {"/", first.path(), second.path()});
        fixture.core.startUp();
        fixture.core.setFolder(first.filePath("deep"));
        fixture.core.selectDrive(2);
        QCOMPARE(fixture.core.folder(), second.path());
        QCOMPARE(fixture.core.savedDriveIndex(), 2);
        fixture.core.selectDrive(1);
        QCOMPARE(fixture.core.folder(), first.filePath("deep"));
    }

    void driveWhoseLastFolderIsGoneShowsItsParent()
    {
        QTemporaryDir first, second;
        const QString gone = first.filePath("a/b");
        QDir().mkpath(gone);
        test::CoreFixture fixture(gone, {"/", first.path(), second.path()});
        fixture.core.startUp();
        fixture.core.selectDrive(2);
        QVERIFY(QDir(gone).removeRecursively());
        fixture.core.selectDrive(1);
        QCOMPARE(fixture.core.driveIndex(), 1);
        QCOMPARE(fixture.core.folder(), first.filePath("a"));
        QVERIFY(fixture.messages.shown.isEmpty());
    }

    void savedDriveGoneFallsBackToRoot()
    {
        QTemporaryDir dir;
        const QString vanishing = dir.filePath("medium");
        QDir().mkpath(vanishing);
        test::CoreFixture fixture(vanishing, {"/", vanishing, "/nonexistent/velmix-drive"});
        fixture.core.startUp();
        QCOMPARE(fixture.core.savedDriveIndex(), 1);
        QVERIFY(QDir(vanishing).removeRecursively());
        fixture.core.selectDrive(2);
        // Neither the chosen drive nor the last good one is readable: home's drive, here "/".
        QCOMPARE(fixture.core.driveIndex(), 0);
        QVERIFY(fixture.core.folder() == QDir::homePath() || fixture.core.folder() == "/");
        QCOMPARE(fixture.busy.depth, 0);
    }

    void vanishedFolderFallsBackToReadableParent()
    {
        test::TempFolder dir;
        const QString gone = dir.filePath("a/b");
        QDir().mkpath(gone);
        dir.createFiles({"a/top.txt"});
        test::CoreFixture fixture(dir.path());
        fixture.core.startUp();
        fixture.core.setFolder(gone);
        QVERIFY(QDir(gone).removeRecursively());
        fixture.core.selectMask(0); // the folder can no longer be read
        QCOMPARE(fixture.core.folder(), dir.filePath("a"));
        QCOMPARE(fixture.core.table().text(0, 0), "top.txt");
        QVERIFY(fixture.messages.shown.isEmpty());
    }

    void applyRenamesAndReloads()
    {
        test::TempFolder dir;
        dir.createFiles({"one.txt", "two.txt"});
        test::CoreFixture fixture(dir.path());
        fixture.core.startUp();
        fixture.core.preview().setBaseName("file_");
        fixture.core.preview().baseNameKeyReleased();
        fixture.core.preview().ToggleOption(Toggle::UpperCase);
        QStringList shownWhenIdle; // the re-read must be over before the busy pointer goes
        fixture.busy.whenIdle = [&] { shownWhenIdle.append(fixture.core.table().text(0, 0)); };
        fixture.messages.show(fixture.core.applyNewNames());
        QCOMPARE(shownWhenIdle.first(), "FILE_1.TXT");
        QCOMPARE(dir.files(), QStringList({"FILE_1.TXT", "FILE_2.TXT"}));
        QCOMPARE(fixture.core.table().text(0, 0), "FILE_1.TXT");
        QCOMPARE(fixture.core.table().text(0, 1), "FILE_1.TXT");
        QVERIFY(!fixture.core.preview().namesPending());
        QCOMPARE(fixture.core.preview().options().BaseName, "-");
        QVERIFY(fixture.messages.shown.isEmpty());
        QCOMPARE(fixture.busy.depth, 0);
        const int shown = fixture.busy.shown;
        fixture.messages.show(fixture.core.applyNewNames()); // a second click does nothing
        QCOMPARE(fixture.busy.shown, shown);
    }

    // The rules apply on ext4 to a name that is not UTF-8, its byte kept where it was.
    void rulesApplyToNamesThatAreNotUtf8()
    {
        test::TempFolder dir;
        dir.createFile("caf\xe9 1.txt");
        dir.createFiles({"песня 2.txt"});
        const QByteArray renamed = QFile::encodeName(dir.path()) + "/Caf\xe9 \xe2\x84\x96" "1.txt";
        const auto removeOdd = qScopeGuard([&] { ::unlink(renamed.constData()); }); // QTemporaryDir cannot see it
        test::CoreFixture fixture(dir.path());
        fixture.core.startUp();
        NameRules rules;
        rules.findText = "(\\d)";
        rules.replaceText = "№$1";
        rules.regularExpression = true;
        rules.titleCase = TitleCase::RestAsTyped;
        rules.transliteration = Transliteration::Passport;
        fixture.core.preview().setNameRules(rules);
        fixture.messages.show(fixture.core.applyNewNames());
        QVERIFY(::access(renamed.constData(), F_OK) == 0);
        QCOMPARE(dir.files(), QStringList({"Pesnia №2.txt"}));
        QCOMPARE(fixture.core.preview().nameRules(), NameRules()); // reset with the options
    }

    void applyReportsFailedRows()
    {
        test::TempFolder dir;
        for (int i = 0; i < 25; ++i)
            dir.createFiles({QStringLiteral("f\t%1.txt").arg(i, 2, 10, QChar(u'0'))});
        test::CoreFixture fixture(dir.path());
        fixture.core.startUp();
        fixture.core.preview().setBaseName("same"); // every row wants "same.txt" without numbering
        fixture.core.preview().baseNameKeyReleased();
        fixture.core.preview().setBaseName("-");
        fixture.core.preview().ToggleOption(Toggle::Numbering); // numbering off again
        fixture.core.preview().setBaseName("same");
        fixture.core.preview().ToggleOption(Toggle::UpperCase);
        QCOMPARE(fixture.core.table().text(1, 1), "SAME.TXT");
        fixture.messages.show(fixture.core.applyNewNames());
        QCOMPARE(fixture.messages.shown.size(), 1);
        const auto &[title, text] = fixture.messages.shown.first();
        QCOMPARE(title, "Ошибка !!!");
        const QStringList lines = text.split(u'\n');
        QCOMPARE(lines.size(), 1 + 20 * 3 + 2);
        QCOMPARE(lines[0], "Не переименованы файлы, отмеченные заранее"); // nothing unforeseen
        QCOMPARE(lines[1], "Исходный файл: " + dir.path() + QString::fromUtf8("/f\u240901.txt")); // a tab's picture
        QCOMPARE(lines[2], "Результирующий файл: " + dir.path() + "/SAME.TXT");
        QCOMPARE(lines[3], "Причина: это имя получает другой файл");
        QCOMPARE(lines[61], "… и ещё 4");
        QCOMPARE(lines.last(), "Не переименовано файлов: 24, отмечены заранее: 24"); // the grid marked them all
        QCOMPARE(fixture.messages.summary, "Переименовано 1 из 25");
        QVERIFY(dir.files().contains("SAME.TXT"));
        QCOMPARE(dir.files().size(), 25);
    }

    // The marks and the apply judge by one read of the folder's rules: a letter-case
    // look-up that answers otherwise the second time cannot make them disagree.
    void applyJudgesAsTheMarksDid()
    {
        test::TempFolder dir;
        dir.createFiles({"a.txt", "B.txt"});
        test::CoreFixture fixture(dir.path());
        test::SlowFileMover mover(std::chrono::microseconds(0)); // finds any name at the first look-up
        mover.lookUpsFindingAny = 1;
        RenamerCore core(fixture.services(mover), dir.path());
        core.startUp();
        core.preview().setBaseName("b");
        core.preview().baseNameKeyReleased();
        core.preview().setBaseName("-");
        core.preview().ToggleOption(Toggle::Numbering); // numbering off
        core.preview().setBaseName("b"); // both ask for B.TXT, which B.txt holds where case is ignored
        core.preview().ToggleOption(Toggle::UpperCase);
        const QStringList marked{"Причина: " + core.table().markReason(0), "Причина: " + core.table().markReason(1)};
        fixture.messages.show(core.applyNewNames());
        QCOMPARE(fixture.messages.shown.size(), 1);
        const QStringList reported = fixture.messages.shown.first().second.split(u'\n').filter("Причина: ");
        QCOMPARE(reported, marked);
        QCOMPARE(dir.files(), QStringList({"B.txt", "a.txt"}));
    }

    // Where moving a file may damage others, every row that would move is marked and none
    // is tried; the report gives the folder's reason once.
    void unsafeFolderMovesNothing()
    {
        test::TempFolder dir;
        dir.createFiles({"a.txt", "b.txt"});
        test::CoreFixture fixture(dir.path());
        test::SlowFileMover mover(std::chrono::microseconds(0));
        mover.movesDamageFiles = true;
        int moves = 0;
        mover.beforeMove = [&](const QByteArray &, const QByteArray &) { ++moves; };
        RenamerCore core(fixture.services(mover), dir.path());
        core.startUp();
        core.preview().ToggleOption(Toggle::UpperCase);
        const QString reason = core.table().markReason(0);
        QCOMPARE(reason, core.table().markReason(1));
        QVERIFY(reason.contains(u"fusefat"));
        fixture.messages.show(core.applyNewNames());
        QCOMPARE(moves, 0);
        QCOMPARE(fixture.messages.shown.size(), 1);
        const QStringList lines = fixture.messages.shown.first().second.split(u'\n');
        QCOMPARE(lines.filter("Причина: "), QStringList{"Причина: " + reason});
        QCOMPARE(lines.last(), "Не переименовано файлов: 2, отмечены заранее: 2");
        QCOMPARE(dir.files(), QStringList({"a.txt", "b.txt"}));
    }

    // Between the apply and its undo one file went, one old name was taken, one file was
    // renamed elsewhere and one was written to: all four are reported, the changed one
    // left alone, the rest go back, nothing is lost. The files that did not come back
    // stay undoable, also after a restart, until they do.
    void undoTakesTheLastApplyBack()
    {
        test::TempFolder dir;
        dir.createFiles({"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"});
        test::CoreFixture fixture(dir.path());
        QSignalSpy available(&fixture.core.undo(), &UndoKeeper::undoAvailable);
        QSignalSpy text(&fixture.core.undo(), &UndoKeeper::undoTextChanged);
        fixture.core.startUp();
        fixture.core.preview().setBaseName("x");
        fixture.core.preview().baseNameKeyReleased();
        fixture.messages.show(fixture.core.applyNewNames());
        QCOMPARE(dir.files(), QStringList({"x1.txt", "x2.txt", "x3.txt", "x4.txt", "x5.txt"}));
        QCOMPARE(available, QList<QVariantList>{{true}});
        QCOMPARE(text.last().first().toString(), "Ctrl+Z: вернуть прежние имена в папке " + dir.path());
        fixture.messages.answers = {false};
        fixture.messages.show(fixture.core.undoLastApply());
        const QString question = "Вернуть прежние имена в папке " + dir.path() + "?\nФайлов: 5, например:\nx1.txt → a.txt";
        QCOMPARE(fixture.messages.asked, (QList<std::pair<QString, QString>>{{"Возврат прежних имён", question}}));
        QCOMPARE(dir.files(), QStringList({"x1.txt", "x2.txt", "x3.txt", "x4.txt", "x5.txt"}));

        QFile written(dir.filePath("x5.txt"));
        QVERIFY(written.open(QIODevice::Append) && written.write("since") == 5);
        written.close();
        QVERIFY(QFile::remove(dir.filePath("x1.txt")));
        dir.createFiles({"b.txt"}, "theirs");
        QVERIFY(QFile::rename(dir.filePath("x3.txt"), dir.filePath("elsewhere.txt")));
        fixture.core.preview().ToggleOption(Toggle::UpperCase);
        fixture.messages.answers = {true};
        fixture.messages.show(fixture.core.undoLastApply());
        QCOMPARE(dir.files(), QStringList({"b.txt", "d.txt", "elsewhere.txt", "x2.txt", "x5.txt"}));
        QCOMPARE(fixture.messages.summary, "Возвращено 1");
        QCOMPARE(fixture.messages.shown.size(), 3);
        QVERIFY(fixture.messages.shown[2].second.startsWith("Не возвращено файлов: 3."));
        QCOMPARE(fixture.messages.shown[1].second, "Изменены после переименования и оставлены как есть:\n" + dir.filePath("x5.txt"));
        const QString path = dir.path() + u'/';
        QCOMPARE(fixture.messages.shown[0].second.split(u'\n'),
                 QStringList({"Произошла непредвиденная ошибка",
                              "Исходный файл: " + path + "x1.txt", "Результирующий файл: " + path + "a.txt",
                              "Причина: исходный файл не найден",
                              "Исходный файл: " + path + "x2.txt", "Результирующий файл: " + path + "b.txt",
                              "Причина: файл с таким именем уже существует",
                              "Исходный файл: " + path + "x3.txt", "Результирующий файл: " + path + "c.txt",
                              "Причина: исходный файл не найден"}));
        QFile taken(dir.filePath("b.txt"));
        QVERIFY(taken.open(QIODevice::ReadOnly));
        QCOMPARE(taken.readAll(), "theirs");
        // Listing read again, options as after an apply.
        QCOMPARE(fixture.core.table().text(0, 0), "b.txt");
        QVERIFY(!fixture.core.preview().isTicked(Toggle::UpperCase));
        QVERIFY(!fixture.core.preview().namesPending());
        QVERIFY(fixture.core.canUndo());

        QVERIFY(QFile::rename(dir.filePath("b.txt"), dir.filePath("theirs.txt")));
        QVERIFY(QFile::rename(dir.filePath("elsewhere.txt"), dir.filePath("x3.txt")));
        RenamerCore restarted(fixture.services(fixture.mover), dir.path());
        restarted.startUp();
        fixture.messages.answers = {true};
        fixture.messages.show(restarted.undoLastApply());
        QCOMPARE(fixture.messages.asked.last().second,
                 "Вернуть прежние имена в папке " + dir.path() + "?\nФайлов: 3, например:\nx1.txt → a.txt");
        QCOMPARE(dir.files(), QStringList({"b.txt", "c.txt", "d.txt", "theirs.txt", "x5.txt"}));
        QVERIFY(fixture.messages.shown.last().second.startsWith("Не возвращено файлов: 1."));
        QCOMPARE(QDir(fixture.state.path()).entryList(QDir::Files).size(), 1);
        QVERIFY(restarted.canUndo());
        QCOMPARE(fixture.busy.depth, 0);
    }

    // With subfolders: every file the mask takes below the folder, but in hidden folders
    // and behind links to folders, each judged in its own folder (the same new name in
    // two folders is no conflict, a swap inside one is), as far down as asked. The apply
    // is one journaled batch, and one undo takes the whole tree back.
    void subfoldersAreOneBatch()
    {
        test::TempFolder dir;
        dir.createFiles({"a.txt", "DCIM/100CANON/IMG_1.JPG", "DCIM/100CANON/IMG_2.JPG", "DCIM/101CANON/IMG_1.JPG",
                         "DCIM/101CANON/img_2.jpg", ".thumbs/IMG_9.JPG"});
        QVERIFY(QFile::link(dir.filePath("DCIM"), dir.filePath("link")));
        test::CoreFixture fixture(dir.path());
        fixture.core.startUp();
        fixture.core.setSubfolders(true, 1);
        QCOMPARE(fixture.core.table().fileCount(), 1);
        fixture.core.setSubfolders(true);
        QStringList listed;
        for (qsizetype row = 0; row < fixture.core.table().fileCount(); ++row)
            listed << fixture.core.table().folderPrefix(row) + fixture.core.table().text(row, 0);
        QCOMPARE(listed, QStringList({"a.txt", "DCIM/100CANON/IMG_1.JPG", "DCIM/100CANON/IMG_2.JPG",
                                      "DCIM/101CANON/IMG_1.JPG", "DCIM/101CANON/img_2.jpg"}));
        fixture.core.preview().ToggleOption(Toggle::LowerCase);
        // In 101CANON the two files swap their names.
        fixture.core.preview().setHandName(3, "img_2.jpg");
        fixture.core.preview().setHandName(4, "img_1.jpg");
        for (qsizetype row = 0; row < fixture.core.table().fileCount(); ++row)
            QCOMPARE(fixture.core.table().mark(row), NameMark::None);
        fixture.messages.show(fixture.core.applyNewNames());
        QCOMPARE(fixture.messages.summary, "Переименовано 4 из 4");
        QCOMPARE(dir.files("DCIM/100CANON"), QStringList({"img_1.jpg", "img_2.jpg"}));
        QCOMPARE(dir.files("DCIM/101CANON"), QStringList({"img_1.jpg", "img_2.jpg"}));
        QCOMPARE(dir.files(".thumbs"), QStringList({"IMG_9.JPG"}));
        QCOMPARE(fixture.state.journals().size(), 1);
        fixture.messages.answers = {true};
        fixture.messages.show(fixture.core.undoLastApply());
        QCOMPARE(dir.files("DCIM/100CANON"), QStringList({"IMG_1.JPG", "IMG_2.JPG"}));
        QCOMPARE(dir.files("DCIM/101CANON"), QStringList({"IMG_1.JPG", "img_2.jpg"}));
        QCOMPARE(dir.files(), QStringList({"a.txt"}));
        QVERIFY(!fixture.core.canUndo());
    }

    // Folders renamed too: each folder a row after its folder's files, named whole (no
    // extension), the entries below it moving first; a folder whose new name is taken
    // stays, marked. One journaled batch, and one undo puts every folder and file back.
    void foldersRenameWithTheirFiles_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("subfolders");
        QTest::addColumn<QStringList>("hand"); // pairs: a row's path as listed, its new name
        QTest::addColumn<QStringList>("rows"); // as listed, a folder's with a "/"
        QTest::addColumn<QStringList>("marked");
        QTest::addColumn<QStringList>("after");
        const QStringList dcim{"a.txt", "DCIM/100CANON/IMG_1.JPG", "DCIM/101CANON/IMG_2.JPG", ".thumbs/t.jpg"};
        QTest::newRow("the chosen folder's subfolders") << dcim << false << QStringList{"DCIM/", "Trip.2024"}
            << QStringList{"a.txt", "DCIM/"} << QStringList{}
            << QStringList{".thumbs/t.jpg", "Trip.2024/100CANON/IMG_1.JPG", "Trip.2024/101CANON/IMG_2.JPG", "a.txt"};
        QTest::newRow("children before parents") << dcim << true
            << QStringList{"DCIM/", "Фото", "DCIM/100CANON/", "Canon", "DCIM/100CANON/IMG_1.JPG", "1.jpg"}
            << QStringList{"a.txt", "DCIM/", "DCIM/100CANON/", "DCIM/101CANON/", "DCIM/100CANON/IMG_1.JPG",
                           "DCIM/101CANON/IMG_2.JPG"}
            << QStringList{}
            << QStringList{".thumbs/t.jpg", "a.txt", "Фото/101CANON/IMG_2.JPG", "Фото/Canon/1.jpg"};
        QTest::newRow("two folders swap their names") << QStringList{"A/x.txt", "B/y.txt"} << true
            << QStringList{"A/", "B", "B/", "A", "A/x.txt", "z.txt"} << QStringList{"A/", "B/", "A/x.txt", "B/y.txt"}
            << QStringList{} << QStringList{"A/y.txt", "B/z.txt"};
        QTest::newRow("a file takes its folder's old name") << QStringList{"A/x.txt", "B.txt"} << false
            << QStringList{"A/", "C", "B.txt", "A"} << QStringList{"B.txt", "A/"} << QStringList{}
            << QStringList{"A", "C/x.txt", "link"}; // the link, never renamed, now leads to the file
        QTest::newRow("a folder's new name taken") << QStringList{"A/x.txt", "B/y.txt", "c.txt", "d.md", "f.txt"} << false
            << QStringList{"A/", "c.txt", "B/", "d.md", "f.txt", "g.txt"} << QStringList{"c.txt", "f.txt", "A/", "B/"}
            << QStringList{"A/", "B/"} << QStringList{"A/x.txt", "B/y.txt", "c.txt", "d.md", "g.txt"};
    }
    void foldersRenameWithTheirFiles()
    {
        QFETCH(QStringList, files);
        QFETCH(bool, subfolders);
        QFETCH(QStringList, hand);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, marked);
        QFETCH(QStringList, after);
        test::TempFolder dir;
        dir.createFiles(files);
        // A link to a folder is never a row.
        const QString linked = *std::find_if(files.begin(), files.end(), [](const QString &f) { return f.contains(u'/'); });
        QVERIFY(QFile::link(dir.filePath(linked.section(u'/', 0, 0)), dir.filePath("link")));
        const auto tree = [&] {
            QStringList found;
            QDirIterator it(dir.path(), QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
            while (it.hasNext())
                found << it.next().mid(dir.path().size() + 1);
            found.sort();
            return found;
        };
        const QStringList before = tree();
        test::CoreFixture fixture(dir.path());
        fixture.core.startUp();
        fixture.core.setSubfolders(subfolders);
        fixture.core.setRenameFolders(true);
        if (!subfolders)
            fixture.core.setTypedMask("*.txt");
        const FileNameTable &table = fixture.core.table();
        const auto pathOf = [&](qsizetype row) {
            return table.folderPrefix(row) + table.text(row, 0) + (table.isFolderRow(row) ? "/" : "");
        };
        QStringList listed;
        for (qsizetype row = 0; row < table.fileCount(); ++row)
            listed << pathOf(row);
        QCOMPARE(listed, rows);
        std::vector<std::pair<qsizetype, QString>> names;
        for (qsizetype i = 0; i + 1 < hand.size(); i += 2)
            names.emplace_back(listed.indexOf(hand[i]), hand[i + 1]);
        fixture.core.preview().setHandNames(names);
        QStringList refused;
        for (qsizetype row = 0; row < table.fileCount(); ++row)
            if (table.mark(row) == NameMark::Refused)
                refused << pathOf(row);
        QCOMPARE(refused, marked);
        fixture.messages.show(fixture.core.applyNewNames());
        QCOMPARE(tree(), QStringList(after) << QStringList());
        QCOMPARE(fixture.state.journals().size(), 1);
        fixture.messages.answers = {true};
        fixture.messages.show(fixture.core.undoLastApply());
        QCOMPARE(tree(), before);
        QVERIFY(!fixture.core.canUndo());
    }

    // A journal whose names lead out of its folder is damaged, never followed: a repair or
    // an undo must not move a file elsewhere. Paths below the folder read back.
    void journalNamesStayInTheFolder_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("read");
        QTest::newRow("below") << QByteArray("DCIM/100CANON/IMG_1.JPG") << true;
        QTest::newRow("below, blanks and a line end") << QByteArray("DCIM/100 CANON/IMG 1\\n\n.JPG") << true;
        QTest::newRow("up") << QByteArray("../outside.txt") << false;
        QTest::newRow("up inside") << QByteArray("DCIM/../../outside.txt") << false;
        QTest::newRow("absolute") << QByteArray("/etc/passwd") << false;
        QTest::newRow("empty part") << QByteArray("DCIM//x") << false;
    }
    void journalNamesStayInTheFolder()
    {
        QFETCH(QByteArray, name);
        QFETCH(bool, read);
        JournalPlan plan;
        plan.folder = "/f";
        plan.rows.push_back({"a.txt", name, {}, true});
        const QByteArray head = JournalFormat::header(plan, 1) + JournalFormat::wholeBatch(plan.rows)
                                + JournalFormat::identityPart({{0, {1, 2, 3, 4}}}, 1);
        QCOMPARE(JournalFormat::parse(head + JournalFormat::done()).state,
                 read ? JournalContent::State::Finished : JournalContent::State::Damaged);
        // The same name beside the file's in its folder: the folder written once, apart.
        plan.rows[0].from = name.first(name.lastIndexOf('/') + 1) + "a.txt";
        const QByteArray inFolder = JournalFormat::wholeBatch(plan.rows);
        QVERIFY(inFolder.startsWith("d "));
        QCOMPARE(JournalFormat::parse(JournalFormat::header(plan, 1) + inFolder + JournalFormat::identityPart({{0, {1, 2, 3, 4}}}, 1)
                                      + JournalFormat::done()).state,
                 read ? JournalContent::State::Finished : JournalContent::State::Damaged);
        plan.rows[0].from = "a.txt";
        // The same name met only in a move's record.
        plan.rows[0].to = "b.txt";
        QByteArray moved = JournalFormat::header(plan, 1) + JournalFormat::wholeBatch(plan.rows)
                           + JournalFormat::identityPart({{0, {1, 2, 3, 4}}}, 1);
        const QByteArray beforeMove = moved;
        JournalFormat::appendMoved(moved, "a.txt", name);
        const JournalContent content = JournalFormat::parse(moved);
        QCOMPARE(content.state, read ? JournalContent::State::Unfinished : JournalContent::State::Damaged);
        if (read)
            QCOMPARE(content.namesNow, std::vector<QByteArray>{name});
        // As journals before version 5 wrote it, the names in hex: read the same.
        const JournalContent older = JournalFormat::parse(beforeMove + JournalFormat::record("M " + QByteArray("a.txt").toHex() + ' ' + name.toHex()));
        QCOMPARE(older.state, content.state);
        QCOMPARE(older.namesNow, content.namesNow);
    }

    // A start reads only the ends of the journals of the history; an undo reads the one
    // journal it takes back.
    void startReadsOnlyTheEndsOfJournals()
    {
        struct CountingStateFolder : PosixStateFolder
        {
            using PosixStateFolder::PosixStateFolder;
            int read(const QString &name, QByteArray &content) override
            {
                ++wholeReads;
                return PosixStateFolder::read(name, content);
            }
            int wholeReads = 0;
        };
        test::TempFolder dir;
        dir.createFiles({"a.txt"});
        test::CoreFixture fixture(dir.path());
        fixture.core.startUp();
        for (const Toggle toggle : {Toggle::UpperCase, Toggle::LowerCase}) {
            fixture.core.preview().ToggleOption(toggle);
            fixture.messages.show(fixture.core.applyNewNames());
        }
        CountingStateFolder state(fixture.state.path());
        RenamerCore restarted({fixture.busy, fixture.messages, fixture.drives, fixture.mover, fixture.work, &state,
                               &fixture.identities}, dir.path());
        restarted.startUp();
        QVERIFY(restarted.canUndo());
        QCOMPARE(state.wholeReads, 0);
        fixture.messages.answers = {true};
        fixture.messages.show(restarted.undoLastApply());
        QCOMPARE(dir.files(), QStringList({"A.TXT"}));
        QCOMPARE(state.wholeReads, 1);
    }

    // Two applies in a folder with a change between them: Ctrl+Z takes the second back,
    // then the first. A restart reads both back from their journals; an apply in another
    // folder is that folder's.
    void undoTakesEachApplyBackInTurn_data()
    {
        QTest::addColumn<QString>("change");
        for (const char *change : {"mask", "reset button", "folder", "drive", "apply with nothing renamed", "restart"})
            QTest::newRow(change) << QString::fromLatin1(change);
    }
    void undoTakesEachApplyBackInTurn()
    {
        QFETCH(QString, change);
        test::TempFolder dir, other;
        dir.createFiles({"a.txt", "sub/b.txt"});
        other.createFiles({"c.txt"});
        test::CoreFixture fixture(dir.path(), {"/", dir.path(), other.path()});
        RenamerCore *core = &fixture.core;
        core->startUp();
        core->preview().ToggleOption(Toggle::UpperCase);
        fixture.messages.show(core->applyNewNames());
        if (change == "mask") {
            core->selectMask(1);
            core->selectMask(0);
        } else if (change == "reset button") {
            core->resetAndRelist();
        } else if (change == "folder") {
            core->setFolder(dir.filePath("sub"));
            core->preview().ToggleOption(Toggle::UpperCase);
            fixture.messages.show(core->applyNewNames());
            core->setFolder(dir.path());
        } else if (change == "drive") {
            core->selectDrive(2);
            core->selectDrive(1);
        } else if (change == "apply with nothing renamed") {
            core->preview().ToggleOption(Toggle::UpperCase);
            fixture.messages.show(core->applyNewNames());
        }
        core->preview().setBaseName("x");
        core->preview().baseNameKeyReleased();
        fixture.messages.show(core->applyNewNames());
        QCOMPARE(dir.files(), QStringList({"x1.TXT"}));
        std::optional<RenamerCore> restarted;
        if (change == "restart") {
            restarted.emplace(fixture.services(fixture.mover), other.path());
            restarted->startUp();
            fixture.messages.show(restarted->repairUnfinishedBatches());
            QVERIFY(!restarted->canUndo()); // the other folder's own: none
            restarted->setFolder(dir.path());
            core = &*restarted;
        }
        QVERIFY(core->canUndo());
        fixture.messages.answers = {true, true};
        fixture.messages.show(core->undoLastApply());
        QCOMPARE(dir.files(), QStringList({"A.TXT"}));
        fixture.messages.show(core->undoLastApply());
        QCOMPARE(dir.files(), QStringList({"a.txt"}));
        QVERIFY(!core->canUndo());
        QCOMPARE(fixture.messages.shown, (QList<std::pair<QString, QString>>()));
        // The other folder's apply and its journal stay; nothing else is left.
        QCOMPARE(dir.files("sub"), QStringList{change == "folder" ? "B.TXT" : "b.txt"});
        QCOMPARE(QDir(fixture.state.path()).entryList(QDir::Files).size(), change == "folder" ? 1 : 0);
    }

    // Every file moved has what it was before its move, in every part the look-ups ran
    // ahead in, not only the first (the rows are sized once that one is out), and moved
    // only once its part was synced, on its own thread; and the journal's records, kept by
    // address or copied, read back to where each file went.
    void journaledApplyOfEveryPart()
    {
        test::TempFolder dir;
        QStringList names;
        NameColumn from, to;
        for (int i = 0; i < 1500; ++i) { // parts of 256, 512 and the rest
            names << QStringLiteral("f%1.txt").arg(i);
            from.append(names.last());
            // The first two swap: a cycle's moves are recorded by copy, the others by address.
            to.append(i < 2 ? QStringLiteral("f%1.txt").arg(1 - i) : u'g' + names.last());
        }
        dir.createFiles(names);
        PosixFileMover files;
        int error = 0;
        const std::unique_ptr<FolderMover> mover = files.openFolder(QFile::encodeName(dir.path()), error);
        QVERIFY(mover);
        QTemporaryDir state;
        SlowSyncingStateFolder stateFolder(state.path(), dir.path());
        PosixFileIdentities identities;
        RenameJournal journal(stateFolder);
        const JournaledBatch batch{BatchKind::Apply, QFile::encodeName(dir.path()), from, to, readFolderRules(*mover, {})};
        const JournaledOutcome moved = renameJournaled(*mover, batch, &identities, &journal);
        QVERIFY(!stateFolder.movedEarly);
        QCOMPARE(moved.outcome.renamed, 1500);
        QCOMPARE(moved.identities.size(), size_t(1500));
        for (size_t row = 0; row < moved.identities.size(); ++row)
            QVERIFY2(moved.identities[row].has_value(), qPrintable(names[qsizetype(row)]));
        // The journal's records lead every file to where the outcome says it is.
        QFile written(state.filePath(moved.journal));
        QVERIFY(written.open(QIODevice::ReadOnly));
        std::vector<QByteArray> recorded = JournalFormat::parse(written.readAll()).namesNow;
        std::vector<QByteArray> outcome = moved.outcome.finalNames;
        std::sort(recorded.begin(), recorded.end());
        std::sort(outcome.begin(), outcome.end());
        QCOMPARE(recorded, outcome);
    }

    // The batch's names are written as they are but for a few escaped bytes: every name
    // reads back as it was, in its place (a batch this large is written in two parts on
    // two cores), whether its row is written by whole paths or, within one folder, by its
    // last parts, and a row whose identity part was closed reads as looked at. Its moves,
    // recorded in groups from another thread, read back each to its row, those under their
    // rows' planned names as runs of rows; a run beyond the rows is damage.
    void journalNamesReadBack()
    {
        const std::vector<QByteArray> odd = {"a b.txt", "line\nend", "back\\slash", "-", "\\2d", "\\", "x\r y", "\xff\x01"};
        std::vector<QByteArray> names;
        for (qsizetype row = 0; row <= PartedRows; ++row) {
            // A folder every few rows, some in none; the same odd bytes in its name.
            const QByteArray folder = row % 5 == 0 ? QByteArray() : odd[size_t(row / 3) % odd.size()] + '/' + QByteArray::number(row / 3) + '/';
            names.push_back(folder + (row < qsizetype(odd.size()) ? odd[size_t(row)] : odd[size_t(row) % odd.size()] + QByteArray::number(row)));
        }
        JournalPlan plan;
        plan.folder = "/f";
        for (const QByteArray &name : names)
            plan.rows.push_back({name, name + ' ', {}, true});
        plan.rows[1].to = "elsewhere/" + plan.rows[1].to; // out of its folder: by whole paths
        QByteArray bytes = JournalFormat::header(plan, qsizetype(plan.rows.size())) + JournalFormat::wholeBatch(plan.rows)
                           + JournalFormat::identityPart({{0, {1, 2, 3, 4}}}, 1);
        const QByteArray planOnly = bytes;
        {
            // Every kind of record, in turns: every third file steps aside first (copied),
            // then takes its name (kept, from a name outside the plan), so a group written
            // out of order reads back wrong; the last third moves in runs of rows that
            // cross the groups.
            std::vector<QByteArray> aside, from, to;
            std::vector<quint32> journalRows;
            for (size_t row = 0; row < plan.rows.size(); ++row) {
                aside.push_back("~aside" + QByteArray::number(qulonglong(row)));
                from.push_back(plan.rows[row].from);
                to.push_back(plan.rows[row].to);
                journalRows.push_back(quint32(row));
            }
            MoveRecords records([&](const QByteArray &written) { bytes += written; });
            records.numberRows({from.data(), to.data(), journalRows});
            for (size_t row = 0; row < plan.rows.size(); ++row) {
                if (row > plan.rows.size() * 2 / 3 || row % 3 == 1) {
                    records.movedKept(from[row], to[row]);
                } else if (row % 3 == 0) {
                    records.moved(from[row], aside[row]);
                    records.movedKept(aside[row], to[row]);
                } else {
                    records.moved(from[row], to[row]);
                }
            }
        }
        QVERIFY(bytes.contains("\nk "));
        bytes += JournalFormat::done();
        const JournalContent read = JournalFormat::parse(bytes);
        QCOMPARE(read.state, JournalContent::State::Finished);
        QCOMPARE(read.plan.rows.size(), names.size());
        for (size_t row = 0; row < names.size(); ++row) {
            QCOMPARE(read.plan.rows[row].from, names[row]);
            QCOMPARE(read.plan.rows[row].to, plan.rows[row].to);
            QCOMPARE(read.namesNow[row], plan.rows[row].to);
        }
        QCOMPARE(read.plan.rows[0].identity, (FileIdentity{1, 2, 3, 4}));
        QCOMPARE(read.plan.rows[0].seen, JournalRow::Seen::File);
        QCOMPARE(read.plan.rows[1].seen, JournalRow::Seen::NotYet);
        for (const auto &[first, count] : {std::pair{names.size() - 1, size_t(2)}, {names.size(), size_t(1)}, {0, size_t(0)}}) {
            QByteArray beyond = planOnly;
            JournalFormat::appendMovedRows(beyond, first, count);
            QCOMPARE(JournalFormat::parse(beyond + JournalFormat::done()).state, JournalContent::State::Damaged);
        }
    }

    // A journal cut short in its plan, one with a changed byte, one from a later version,
    // and entries so named that are no file (never followed, never waited on): each is told
    // in one line, with its folder where it names one, and set aside, never trusted, and no
    // file moves. A changed byte inside a
    // finished apply's rows shows only when its undo reads them. Names in the form of a
    // kill's temporary names in the journal's folder are listed, and stay.
    void badJournalsAreSetAside_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("told");
        QTest::addColumn<bool>("atStart");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("cut short") << "cut" << " (папка «%1») оборван до первого переименования (файлы не тронуты)" << true
                                   << QStringList();
        QTest::newRow("a changed byte") << "byte" << " (папка «%1») повреждён" << false << QStringList{"b~velmix1.txt", "~velmix7"};
        QTest::newRow("a later version") << "version" << " записан более новой версией Velmix" << true << QStringList();
        for (const char *entry : {"folder", "pipe", "link to itself"})
            QTest::newRow(entry) << entry << " не читается" << true << QStringList();
    }
    void badJournalsAreSetAside()
    {
        QFETCH(QString, damage);
        QFETCH(QString, told);
        QFETCH(bool, atStart);
        QFETCH(QStringList, left);
        test::TempFolder dir;
        dir.createFiles({"a.txt", "b.txt", "c.txt"});
        test::CoreFixture fixture(dir.path());
        const QString name = appliedInUpperCase(fixture);
        QFile journal(fixture.state.path() + u'/' + name);
        QVERIFY(journal.open(QIODevice::ReadWrite));
        QByteArray bytes = journal.readAll();
        if (damage == "cut")
            bytes.truncate(bytes.indexOf("\nP ") / 2);
        else if (damage == "byte")
            bytes[bytes.indexOf("\nR ") + 5] ^= 1;
        else
            bytes = JournalFormat::record("V " + QByteArray::number(JournalFormat::Version + 1)) + bytes.mid(bytes.indexOf('\n') + 1);
        QVERIFY(journal.resize(0) && journal.write(bytes) == bytes.size());
        journal.close();
        const QByteArray path = QFile::encodeName(journal.fileName());
        if (damage == "folder" || damage == "pipe" || damage == "link to itself") {
            QVERIFY(journal.remove());
            QVERIFY(damage == "folder" ? ::mkdir(path.constData(), 0700) == 0
                    : damage == "pipe" ? ::mkfifo(path.constData(), 0600) == 0
                                       : ::symlink(path.constData(), path.constData()) == 0);
        }
        dir.createFiles(left);

        RenamerCore restarted(fixture.services(fixture.mover), dir.path());
        restarted.startUp();
        fixture.messages.show(restarted.repairUnfinishedBatches());
        QCOMPARE(restarted.canUndo(), !atStart);
        fixture.messages.answers = {true};
        fixture.messages.show(restarted.undoLastApply());
        QString line = "Журнал «" + fixture.state.path() + u'/' + name + "»" + told.replace("%1", dir.path()) + ", отложен как «"
                       + name + ".bad».";
        if (!left.isEmpty())
            line += "\nВ папке «" + dir.path() + "» есть временные имена Velmix; их прежние имена неизвестны, файлы оставлены как есть:\n"
                    + left.join(u'\n');
        QCOMPARE(fixture.messages.shown, (QList<std::pair<QString, QString>>{{ProgramTitle, line}}));
        QVERIFY(fixture.messages.asked.isEmpty());
        QCOMPARE(dir.files(), (QStringList{"A.TXT", "B.TXT", "C.TXT"} + left));
        QCOMPARE(QDir(fixture.state.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
                 QStringList{name + ".bad"});
    }

    // One program per folder: a second hold of the folder, by its path or by another one,
    // is refused while the first lasts and granted once it ends; another folder is free
    // meanwhile. A waiting hold gets the folder when the first lets go. The lock is kept
    // in the state folder, never beside the files.
    void folderLocksKeepOneProgramPerFolder_data()
    {
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("firstEnded");
        QTest::addColumn<bool>("held");
        QTest::newRow("the same folder") << "same" << false << false;
        QTest::newRow("the same folder through a link") << "link" << false << false;
        QTest::newRow("the same folder, the first hold over") << "same" << true << true;
        QTest::newRow("another folder") << "other" << false << true;
        QTest::newRow("a folder inside it") << "inside" << false << false;
        QTest::newRow("the folder above it") << "above" << false << false;
        QTest::newRow("a folder beside it") << "beside" << false << true;
    }
    void folderLocksKeepOneProgramPerFolder()
    {
        QFETCH(QString, second);
        QFETCH(bool, firstEnded);
        QFETCH(bool, held);
        test::TempFolder dir, other;
        QTemporaryDir state;
        const QByteArray folder = QFile::encodeName(dir.path());
        const QByteArray link = QFile::encodeName(state.filePath("link"));
        QVERIFY(::symlink(folder.constData(), link.constData()) == 0);
        PosixFolderLocks locks(state.filePath("velmix"), PosixFolderLocks::Busy::Refuse);
        std::unique_ptr<FolderHold> first = locks.hold(folder);
        QVERIFY(first);
        if (firstEnded)
            first.reset();
        QVERIFY(QDir(dir.path()).mkpath("inside") && QDir(state.path()).mkpath("beside"));
        const QByteArray path = second == "same"     ? folder
                                : second == "link"   ? link
                                : second == "inside" ? folder + "/inside"
                                : second == "above"  ? QFile::encodeName(QFileInfo(dir.path()).path())
                                : second == "beside" ? QFile::encodeName(state.filePath("beside"))
                                                     : QFile::encodeName(other.path());
        QCOMPARE(bool(locks.hold(path)), held);
        QCOMPARE(dir.files(), QStringList());
        if (first) { // a second program that waits gets the folder once the first is done
            PosixFolderLocks waiting(state.filePath("velmix"), PosixFolderLocks::Busy::Wait);
            std::atomic<bool> released = false, heldAfter = false;
            std::thread waited([&] { heldAfter = waiting.hold(folder) && released; });
            QTest::qWait(50);
            released = true;
            first.reset();
            waited.join();
            QVERIFY(heldAfter);
        }
    }

    // While another program holds the folder, the window's apply and undo say so and touch
    // nothing (the undo asks nothing); once it lets go, both go.
    void heldFolderIsLeftAlone()
    {
        test::TempFolder dir;
        dir.createFiles({"a.txt"});
        test::CoreFixture fixture(dir.path());
        PosixFolderLocks locks(fixture.state.path(), PosixFolderLocks::Busy::Refuse);
        PosixFolderLocks other(fixture.state.path(), PosixFolderLocks::Busy::Refuse);
        RenamerCore::Services services = fixture.services(fixture.mover);
        services.folderLocks = &locks;
        RenamerCore core(services, dir.path());
        core.startUp();
        const QList<std::pair<QString, QString>> busy{
            {ProgramTitle, "Эту папку сейчас переименовывает другая программа Velmix: «" + dir.path()
                               + "».\nДождитесь, пока она закончит, и повторите."}};
        core.preview().ToggleOption(Toggle::UpperCase);
        std::unique_ptr<FolderHold> held = other.hold(QFile::encodeName(dir.path()));
        fixture.messages.show(core.applyNewNames());
        QCOMPARE(fixture.messages.shown, busy);
        QCOMPARE(dir.files(), QStringList{"a.txt"});
        held.reset();
        fixture.messages.show(core.applyNewNames());
        QCOMPARE(dir.files(), QStringList{"A.TXT"});
        held = other.hold(QFile::encodeName(dir.path()));
        fixture.messages.answers = {true};
        fixture.messages.show(core.undoLastApply());
        QCOMPARE(fixture.messages.shown, busy + busy);
        QVERIFY(fixture.messages.asked.isEmpty());
        QCOMPARE(dir.files(), QStringList{"A.TXT"});
    }

    // A state folder that cannot be made (here a file holds its place) leaves renaming and
    // undo working for this run, with one warning that crash repair is off.
    void applyWithoutStateFolderWarnsOnce()
    {
        test::TempFolder dir;
        dir.createFiles({"a.txt"});
        test::CoreFixture fixture(dir.path());
        QVERIFY(QFile(fixture.state.path()).open(QIODevice::WriteOnly));
        fixture.core.startUp();
        for (const Toggle toggle : {Toggle::UpperCase, Toggle::LowerCase}) {
            fixture.core.preview().ToggleOption(toggle);
            fixture.messages.show(fixture.core.applyNewNames());
        }
        QCOMPARE(dir.files(), QStringList{"a.txt"});
        QCOMPARE(fixture.messages.shown.size(), 1);
        // In the words a rename's own error is told in.
        const QString told = fixture.messages.shown[0].second;
        QVERIFY2(told.endsWith("(" + fileSystemErrorText(EACCES) + "): восстановление после сбоя отключено.")
                     || told.endsWith("(" + fileSystemErrorText(ENOTDIR) + "): восстановление после сбоя отключено."),
                 qPrintable(told));
        fixture.messages.answers = {true};
        fixture.messages.show(fixture.core.undoLastApply());
        QCOMPARE(dir.files(), QStringList{"A.TXT"});
    }

    // The folder goes before the apply, or while it moves files (which it does inside the
    // folder it opened): once the moves are done, the box says only that the folder cannot
    // be read, and the undo stays for when it is back.
    void applyInVanishedFolderReportsThenFallsBack_data()
    {
        QTest::addColumn<bool>("duringMoves");
        QTest::addColumn<RenamerCore::AfterMoves>("after");
        QTest::newRow("gone before") << false << RenamerCore::AfterMoves::Relist;
        QTest::newRow("gone during the moves") << true << RenamerCore::AfterMoves::Relist;
        // The command line reads no listing after the moves, but still finds the folder gone.
        QTest::newRow("gone during the moves, no listing after") << true << RenamerCore::AfterMoves::End;
    }
    void applyInVanishedFolderReportsThenFallsBack()
    {
        QFETCH(bool, duringMoves);
        QFETCH(RenamerCore::AfterMoves, after);
        test::TempFolder dir;
        const QString folder = dir.filePath("work");
        dir.createFiles({"work/a.txt"});
        test::CoreFixture fixture(folder);
        test::SlowFileMover mover(std::chrono::microseconds(0));
        RenamerCore core(fixture.services(mover), folder);
        core.startUp();
        core.preview().ToggleOption(Toggle::UpperCase);
        if (duringMoves)
            mover.beforeMove = [&](const QByteArray &, const QByteArray &) { QDir().rename(folder, dir.filePath("away")); };
        else
            QVERIFY(QDir(folder).removeRecursively());
        fixture.messages.show(core.applyNewNames(after));
        QCOMPARE(fixture.messages.shown.size(), 1);
        QCOMPARE(fixture.messages.shown[0].second, QString(duringMoves ? "" : "Произошла непредвиденная ошибка\n")
                                                       + "Папка недоступна: «" + folder + "»");
        QCOMPARE(core.folder(), dir.path());
        QVERIFY(!core.preview().namesPending());
        QCOMPARE(fixture.busy.depth, 0);
        QCOMPARE(core.canUndo(), duringMoves);
        if (duringMoves) {
            mover.beforeMove = {};
            QCOMPARE(dir.files("away"), QStringList{"A.TXT"});
            fixture.messages.answers = {true, true};
            fixture.messages.show(core.undoLastApply()); // still gone: the undo waits
            QVERIFY(core.canUndo());
            QVERIFY(QDir().rename(dir.filePath("away"), folder));
            fixture.messages.show(core.undoLastApply());
            QCOMPARE(dir.files("work"), QStringList{"a.txt"});
        }
    }

    // An undo cut short by a kill is finished at the next start; a file the repair cannot
    // put back (its old name taken meanwhile) keeps the apply undoable for it, as an undo
    // that ends with refusals does.
    void repairedUndoKeepsWhatItCouldNotPutBack()
    {
        test::TempFolder dir;
        dir.createFiles({"a.txt", "b.txt", "c.txt"});
        test::CoreFixture fixture(dir.path());
        const QString applied = appliedInUpperCase(fixture);
        QString problem;
        RenameJournal journals(fixture.state);
        const std::optional<JournalContent> apply = journals.read(applied, problem);
        QVERIFY(apply);
        // The undo as a kill leaves it: planned whole, its first file moved back before its
        // record was written.
        JournalPlan undo{BatchKind::Undo, applied, apply->plan.folder, apply->plan.rules, {}};
        std::vector<std::pair<size_t, FileIdentity>> seen;
        for (const JournalRow &row : apply->plan.rows) {
            seen.emplace_back(undo.rows.size(), row.identity);
            undo.rows.push_back({row.to, row.from, row.identity});
        }
        int error = 0;
        std::unique_ptr<JournalWriter> killed = journals.begin(undo, qsizetype(undo.rows.size()), error);
        QVERIFY(killed && killed->planned(JournalFormat::wholeBatch(undo.rows) + JournalFormat::identityPart(seen, seen.size())));
        QVERIFY(QDir(dir.path()).rename("A.TXT", "a.txt"));
        killed.reset(); // its program is gone
        QFile taker(dir.filePath("b.txt")); // another file takes B.TXT's old name
        QVERIFY(taker.open(QIODevice::WriteOnly) && taker.write("other") == 5);
        taker.close();

        RenamerCore restarted(fixture.services(fixture.mover), dir.path());
        restarted.startUp();
        fixture.messages.answers = {true}; // finish the undo
        fixture.messages.show(restarted.repairUnfinishedBatches());
        QCOMPARE(dir.files(), (QStringList{"B.TXT", "a.txt", "b.txt", "c.txt"}));
        QVERIFY(restarted.canUndo());
        QVERIFY(QFile::remove(dir.filePath("b.txt")));
        fixture.messages.answers = {true};
        fixture.messages.show(restarted.undoLastApply());
        QCOMPARE(dir.files(), (QStringList{"a.txt", "b.txt", "c.txt"}));
        QVERIFY(!restarted.canUndo());
    }

    // Moves that take a millisecond each, so the work outlasts the delay before its
    // progress shows; the user cancels at about half, or while a file is parked under a
    // temporary name in a swap (a1 <-> a9, a2 <-> a8, ...), which is then finished.
    void cancelledApplyLeavesTheDiskAsReported_data()
    {
        QTest::addColumn<int>("files");
        QTest::addColumn<bool>("inCycle");
        QTest::addColumn<int>("goneFromMove"); // the medium stops answering there instead; 0: never
        QTest::newRow("at half") << 1500 << false << 0;
        QTest::newRow("in a cycle") << 9 << true << 0;
        QTest::newRow("medium pulled") << 20 << false << 8;
    }
    void cancelledApplyLeavesTheDiskAsReported()
    {
        QFETCH(int, files);
        QFETCH(bool, inCycle);
        QFETCH(int, goneFromMove);
        test::TempFolder dir;
        for (int i = 1; i <= files; ++i) {
            const QByteArray name = inCycle ? "a" + QByteArray::number(i) + ".txt"
                                            : "f" + QByteArray::number(i).rightJustified(4, '0') + ".txt";
            test::createFile(QFile::encodeName(dir.path()), name, name);
        }
        test::CoreFixture fixture(dir.path());
        test::SlowFileMover slowMover(std::chrono::milliseconds(1));
        slowMover.goneFromMove = goneFromMove;
        RenamerCore core(fixture.services(slowMover), dir.path());
        core.startUp();
        PreviewSession &preview = core.preview();
        if (inCycle) {
            preview.setBaseName("a");
            preview.setStartText("9");
            preview.setStepText("-1");
            preview.baseNameKeyReleased();
            slowMover.beforeMove = [&](const QByteArray &, const QByteArray &to) {
                if (to.contains("~velmix")) // a temporary name
                    fixture.work.progress()->cancel();
            };
        } else {
            preview.ToggleOption(Toggle::UpperCase);
            fixture.work.onProgress = [=](WorkProgress &progress) {
                if (goneFromMove == 0 && progress.done() * 2 >= progress.total())
                    progress.cancel();
            };
        }
        const QStringList oldNames = test::names(core.table().currentNames());
        const QStringList newNames = test::names(core.table().newNames());
        fixture.messages.show(core.applyNewNames());

        const DiskState disk = diskState(dir.path(), oldNames, newNames);
        QCOMPARE(disk.strays, QList<QByteArray>());
        QCOMPARE(disk.renamed + disk.unchanged, qsizetype(inCycle ? 8 : files)); // none lost
        QVERIFY(disk.renamed > 0 && disk.unchanged > 0);
        QCOMPARE(fixture.messages.shown.size(), 1);
        if (goneFromMove > 0) { // one line, nothing called lost
            QCOMPARE(disk.renamed, goneFromMove - 1);
            QCOMPARE(fixture.messages.shown[0].second,
                     QStringLiteral("Диск отключён или не отвечает: переименовано файлов: %1, остальные файлы не тронуты.")
                         .arg(disk.renamed));
            return;
        }
        QCOMPARE(fixture.messages.shown[0].first, "Velmix V2.0.1");
        QCOMPARE(fixture.messages.shown[0].second, QStringLiteral("Переименование прервано. Переименовано файлов: %1, "
                                                                  "осталось без изменений: %2.")
                                                       .arg(disk.renamed)
                                                       .arg(disk.unchanged));
        if (inCycle) {
            QCOMPARE(disk.renamed, 2); // the swap begun, and nothing after it
        } else {
            QVERIFY(!fixture.work.shownDone.isEmpty()); // the work outlasted the delay
            QCOMPARE(fixture.work.shownTotal, files);
            QVERIFY(std::is_sorted(fixture.work.shownDone.cbegin(), fixture.work.shownDone.cend()));
            QVERIFY(fixture.work.shownDone.first() < fixture.work.shownDone.last());
        }
        // The folder is read again, as after any apply, and that read ignores a cancel.
        QCOMPARE(fixture.work.kinds.last(), WorkKind::ReadingFolder);
        QCOMPARE(test::names(core.table().currentNames()), dir.files());
        QVERIFY(!preview.namesPending());
        QCOMPARE(fixture.busy.depth, 0);

        // The part done is taken back like any apply, on the runner as an undo; at full speed,
        // as nothing here stops it.
        fixture.work.onProgress = nullptr;
        slowMover.beforeMove = nullptr;
        slowMover.delay = {};
        fixture.messages.answers = {true};
        fixture.messages.show(core.undoLastApply());
        QVERIFY(fixture.work.kinds.contains(WorkKind::Undoing));
        QCOMPARE(dir.files(), oldNames);
    }

    // The user cancels the folder's read at once: the window stays on what it showed
    // before, silently; at start-up the table stays empty.
    void cancelledListingChangesNothing_data()
    {
        QTest::addColumn<QString>("change");
        for (const char *change : {"start-up", "mask", "folder", "drive", "reset button", "typed mask", "opened folder"})
            QTest::newRow(change) << QString::fromLatin1(change);
    }
    void cancelledListingChangesNothing()
    {
        QFETCH(QString, change);
        test::TempFolder first, second;
        first.createFiles({"a.mp3", "b.txt", "sub/c.txt"});
        second.createFiles({"d.txt"});
        test::CoreFixture fixture(first.path(), {"/", first.path(), second.path()});
        const auto cancelReads = [&] {
            fixture.work.onStart = [](WorkProgress &progress) { progress.cancel(); };
        };
        if (change == "start-up") {
            cancelReads();
            fixture.core.startUp();
            QVERIFY(!fixture.core.table().holdsFiles());
            QCOMPARE(fixture.core.folder(), first.path());
            QVERIFY(fixture.messages.shown.isEmpty());
            return;
        }
        fixture.core.startUp();
        fixture.core.preview().ToggleOption(Toggle::UpperCase);
        const QStringList shown = test::names(fixture.core.table().newNames());
        cancelReads();
        if (change == "mask")
            fixture.core.selectMask(1);
        else if (change == "folder")
            fixture.core.setFolder(first.filePath("sub"));
        else if (change == "drive")
            fixture.core.selectDrive(2);
        else if (change == "typed mask")
            fixture.core.setTypedMask("*.txt");
        else if (change == "opened folder")
            fixture.core.openFolder(second.path());
        else
            fixture.core.resetAndRelist();
        QCOMPARE(fixture.work.kinds.last(), WorkKind::ReadingFolder);
        QCOMPARE(fixture.core.masks(), RenamerCore::Masks);
        QCOMPARE(fixture.core.folder(), first.path());
        QCOMPARE(fixture.core.driveIndex(), 1);
        QCOMPARE(fixture.core.maskIndex(), 0);
        QCOMPARE(fixture.core.listing().path(), first.path());
        QCOMPARE(fixture.core.listing().mask(), "*.*");
        QCOMPARE(test::names(fixture.core.table().newNames()), shown);
        QVERIFY(fixture.core.preview().namesPending());
        QVERIFY(fixture.messages.shown.isEmpty());
        QCOMPARE(fixture.busy.depth, 0);
    }

    // The entries stay first; a typed mask that listed files joins them once; a mask
    // that is empty or holds "/" changes nothing.
    void typedMasks()
    {
        test::TempFolder dir;
        dir.createFiles({"a.heic", "B.HEIC", "c.jpg", "IMG_1.png"});
        test::CoreFixture fixture(dir.path());
        fixture.core.startUp();
        const auto listed = [&] { return test::names(fixture.core.table().currentNames()); };
        QVERIFY(fixture.core.setTypedMask(" *.heic"));
        QCOMPARE(listed(), QStringList({"a.heic", "B.HEIC"}));
        QVERIFY(fixture.core.setTypedMask("*.gif;img_*.*"));
        QCOMPARE(listed(), QStringList({"IMG_1.png"}));
        for (const char *refused : {"", " ; ", "../*.*"}) {
            QVERIFY(!fixture.core.setTypedMask(refused));
            QCOMPARE(fixture.core.maskText(), "*.gif;img_*.*");
        }
        QVERIFY(fixture.core.setTypedMask("*.png"));
        QVERIFY(fixture.core.setTypedMask("*.mp4")); // applied, but it lists nothing: no entry
        QVERIFY(!fixture.core.table().holdsFiles());
        QCOMPARE(fixture.core.maskIndex(), -1);
        QVERIFY(fixture.core.setTypedMask("*.heic")); // already an entry
        QVERIFY(fixture.core.setTypedMask("*.jpg")); // one of the list's own
        QCOMPARE(fixture.core.maskIndex(), 4);
        QCOMPARE(fixture.core.masks(), RenamerCore::Masks + QStringList({"*.heic", "*.gif;img_*.*", "*.png"}));
        fixture.core.selectMask(11);
        QCOMPARE(listed(), QStringList({"a.heic", "B.HEIC"}));
    }

    // `velmix [FOLDER]` started in a folder holding sub/file.txt and a folder whose name
    // is not valid UTF-8.
    void startFolderFromCommandLine_data()
    {
        QTest::addColumn<QByteArrayList>("arguments");
        QTest::addColumn<QByteArray>("opened"); // below the working folder
        QTest::addColumn<QString>("problem");
        QTest::newRow("none") << QByteArrayList{} << QByteArray() << "";
        QTest::newRow("folder") << QByteArrayList{"sub"} << QByteArray("sub") << "";
        QTest::newRow("file") << QByteArrayList{"sub/file.txt"} << QByteArray("sub") << "";
        QTest::newRow("after --") << QByteArrayList{"--", "./sub/"} << QByteArray("sub") << "";
        QTest::newRow("not UTF-8") << QByteArrayList{"caf\xe9"} << QByteArray("caf\xe9") << "";
        QTest::newRow("missing") << QByteArrayList{"gone"} << QByteArray() << "«gone» не открыть: нет такого файла или папки";
        QTest::newRow("through a file") << QByteArrayList{"sub/file.txt/x"} << QByteArray()
                                        << "«sub/file.txt/x» не открыть: часть пути — не папка";
        QTest::newRow("two") << QByteArrayList{"sub", "x y"} << QByteArray("sub")
                             << "открыта только первая папка, не учтено: x y";
        QTest::newRow("files of one folder") << QByteArrayList{"sub/file.txt", "sub", "./sub/file.txt", "x y"}
                                             << QByteArray("sub") << "открыта только первая папка, не учтено: x y";
    }
    void startFolderFromCommandLine()
    {
        QFETCH(QByteArrayList, arguments);
        QFETCH(QByteArray, opened);
        QFETCH(QString, problem);
        test::TempFolder dir;
        dir.createFiles({"sub/file.txt"});
        const QByteArray odd = QFile::encodeName(dir.path()) + "/caf\xe9";
        QVERIFY(::mkdir(odd.constData(), 0755) == 0);
        const auto removeOdd = qScopeGuard([&] { ::rmdir(odd.constData()); }); // QTemporaryDir cannot see it
        std::vector<const char *> argv{"velmix"};
        for (const QByteArray &argument : std::as_const(arguments))
            argv.push_back(argument.constData());
        QCommandLineParser parser;
        CommandLine::describe(parser);
        QVERIFY(parser.parse(CommandLine::arguments(int(argv.size()), argv.data())));
        const CommandLine::Start start = CommandLine::startFolder(parser.positionalArguments(), dir.path());
        QCOMPARE(start.problem, problem);
        const QString expected = opened.isEmpty() ? dir.path() : dir.path() + u'/' + FileNameCodec::decode(opened);
        QCOMPARE(start.folder, expected);
        QVERIFY(canReadFolder(start.folder));
    }

    // Work that throws ends like any other, the window told so, and the exception reaches
    // the caller; the runner takes the next work.
    void failedWorkThrowsToTheCaller()
    {
        test::RecordingWorkDisplay display;
        WorkRunner runner(display, std::chrono::milliseconds(0));
        WorkProgress progress;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, runner.run(WorkKind::Renaming, progress, []() -> int {
            throw std::runtime_error("failed");
        }));
        QCOMPARE(display.progress(), nullptr);
        QCOMPARE(runner.run(WorkKind::Undoing, progress, [] { return 7; }), 7);
        QCOMPARE(display.kinds, QList<WorkKind>({WorkKind::Renaming, WorkKind::Undoing}));
    }

    // A task's work runs on a thread of its own or, where none is wanted, in take(); either
    // way its result or its exception comes out of take().
    void asyncTaskGivesWhatItsWorkGave_data()
    {
        QTest::addColumn<bool>("wantsThread");
        QTest::addColumn<bool>("throws");
        QTest::newRow("thread") << true << false;
        QTest::newRow("thread, throws") << true << true;
        QTest::newRow("here") << false << false;
        QTest::newRow("here, throws") << false << true;
    }
    void asyncTaskGivesWhatItsWorkGave()
    {
        QFETCH(bool, wantsThread);
        QFETCH(bool, throws);
        AsyncTask task(
            [throws] {
                if (throws)
                    throw std::runtime_error("failed");
                return std::this_thread::get_id();
            },
            wantsThread);
        QCOMPARE(task.hasThread(), wantsThread);
        if (throws)
            QVERIFY_THROWS_EXCEPTION(std::runtime_error, task.take());
        else
            QCOMPARE(task.take() != std::this_thread::get_id(), wantsThread);
    }

    // A task dropped untaken asks its work to stop and waits for it; work that was to run
    // in take() never runs.
    void droppedAsyncTaskWaitsForItsWork_data()
    {
        QTest::addColumn<bool>("wantsThread");
        QTest::newRow("thread") << true;
        QTest::newRow("here") << false;
    }
    void droppedAsyncTaskWaitsForItsWork()
    {
        QFETCH(bool, wantsThread);
        std::atomic<bool> stopped = false;
        {
            const AsyncTask task(
                [&stopped](const std::stop_token &stop) {
                    while (!stop.stop_requested())
                        std::this_thread::yield();
                    stopped = true;
                },
                wantsThread);
        }
        QCOMPARE(stopped.load(), wantsThread);
    }

#if defined(__x86_64__)
    // The upper halves of the AVX registers, left in use by whatever ran before, are free
    // again after the clear that starts a pass over the rows.
    void upperVectorHalvesCleared()
    {
        unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
        if (!__builtin_cpu_supports("avx") || !__get_cpuid_count(0xd, 1, &eax, &ebx, &ecx, &edx) || !(eax & 4))
            QSKIP("the processor does not tell which of its registers are in use");
        const auto upperInUse = [] {
            unsigned low = 0, high = 0;
            asm volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(1));
            return (low & 4) != 0;
        };
        asm volatile("vpcmpeqd %%ymm1, %%ymm1, %%ymm1" ::: "xmm1");
        const bool dirtied = upperInUse();
        asm volatile("vpcmpeqd %%ymm1, %%ymm1, %%ymm1" ::: "xmm1");
        clearUpperVectorHalves();
        const bool afterClear = upperInUse();
        QVERIFY(dirtied);
        QVERIFY(!afterClear);
    }
#endif

    void mountTableGivesUserVolumes()
    {
        test::TempFolder dir;
        const QString root = dir.path();
        for (const char *folder : {"/media/usb stick", "/mnt/share", "/home/u/remote", "/scratch/work"})
            QDir().mkpath(root + folder);
        dir.createFiles({"hosts"}); // a file bind mount, as in a container
        const QString mountInfo = dir.filePath("mountinfo");
        dir.createFiles({"mountinfo"},
                        QStringLiteral("21 26 0:20 / /proc rw - proc proc rw\n"
                                       "26 1 254:0 / / rw - overlay overlay rw\n"
                                       "30 26 8:1 / R/media/usb\\040stick rw - vfat /dev/sdb1 rw\n"
                                       "31 26 0:40 / R/mnt/share rw - nfs4 server:/export rw\n"
                                       "32 26 0:41 / R/home/u/remote rw - fuse.sshfs u@host: rw\n"
                                       "33 26 0:42 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"
                                       "34 26 0:43 / /run/user rw - tmpfs tmpfs rw\n"
                                       "35 26 0:44 / R/scratch rw - tmpfs tmpfs rw\n"
                                       "36 26 8:1 /etc/hosts R/hosts rw - ext4 /dev/sda1 rw\n")
                            .replace(u'R', root)
                            .toUtf8());
        const MountDriveList drives(root + "/scratch/work", mountInfo);
        QList<QString> points;
        for (const Drive &drive : drives.drives())
            points.append(drive.mountPoint);
        QCOMPARE(points, QList<QString>({"/", root + "/home/u/remote", root + "/media/usb stick", root + "/mnt/share",
                                         root + "/scratch"}));
    }
};

QTEST_GUILESS_MAIN(TestFlows)
#include "tst_flows.moc"
