#include "FakeServices.h"
#include "RenameExecutor.h"
#include "RenameFolder.h"
#include "RenamePlanner.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>

using namespace velmix;

namespace {

using Names = QList<QByteArray>;
using Contents = QMap<QByteArray, QByteArray>;
using Reasons = QList<int>; // per failed row: row * 10 + reason

struct Outcome
{
    Contents contents;
    Reasons reasons;
};

Reasons reasonsOf(const std::vector<RenameFailure> &failures)
{
    Reasons reasons;
    for (const RenameFailure &failure : failures)
        reasons.append(int(failure.row) * 10 + int(failure.reason));
    return reasons;
}

// Lists `sources` (each holding its own name), adds `unlisted` files, renames with the
// mover given, and returns what the folder then holds.
Outcome rename(const Names &sources, const QStringList &targets, const Names &unlisted = {},
               PosixFileMover::Method method = PosixFileMover::Method::RenameNoReplace)
{
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path());
    for (const QByteArray &name : sources + unlisted)
        test::createFile(folder, name, name);
    int error = 0;
    auto mover = PosixFileMover(method).openFolder(folder, error);
    if (!mover)
        return {};
    const auto failures = renameFiles(*mover, test::decodedColumn(sources), test::column(targets));
    return {test::folderContents(folder), reasonsOf(failures)};
}

constexpr int Exists = int(RenameReason::TargetExists);
constexpr int Taken = int(RenameReason::TakenByOtherRow);
constexpr int Invalid = int(RenameReason::InvalidName);

// A file system that ignores letter case, in memory: enough to show a case-only change
// going through a temporary name.
class CaseBlindFolder : public FolderMover
{
public:
    QMap<QByteArray, QByteArray> files; // key: the name as stored
    int move(const QByteArray &from, const QByteArray &to) override
    {
        const auto source = find(from);
        if (source == files.end())
            return ENOENT;
        if (find(to) != files.end())
            return EEXIST;
        const QByteArray content = source.value();
        files.erase(source);
        files.insert(to, content);
        return 0;
    }
    bool sameFile(const QByteArray &a, const QByteArray &b) override
    {
        return find(a) != files.end() && find(a) == find(b);
    }
    qsizetype nameMax() override { return 255; }

private:
    QMap<QByteArray, QByteArray>::iterator find(const QByteArray &name)
    {
        for (auto it = files.begin(); it != files.end(); ++it) {
            if (it.key().toLower() == name.toLower())
                return it;
        }
        return files.end();
    }
};

} // namespace

class TestRename : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void scenarios_data()
    {
        QTest::addColumn<Names>("sources");
        QTest::addColumn<QStringList>("targets");
        QTest::addColumn<Names>("unlisted");
        QTest::addColumn<Contents>("expected");
        QTest::addColumn<Reasons>("reasons");
        QTest::newRow("plain") << Names{"a", "b"} << QStringList{"x", "y"} << Names{}
                               << Contents{{"x", "a"}, {"y", "b"}} << Reasons{};
        QTest::newRow("chain in row order") << Names{"img1", "img2"} << QStringList{"img2", "img3"} << Names{}
                                            << Contents{{"img2", "img1"}, {"img3", "img2"}} << Reasons{};
        QTest::newRow("chain against row order") << Names{"img2", "img1"} << QStringList{"img3", "img2"} << Names{}
                                                 << Contents{{"img3", "img2"}, {"img2", "img1"}} << Reasons{};
        QTest::newRow("swap") << Names{"a", "b"} << QStringList{"b", "a"} << Names{}
                              << Contents{{"b", "a"}, {"a", "b"}} << Reasons{};
        QTest::newRow("three-cycle") << Names{"a.txt", "b.txt", "c.txt"} << QStringList{"b.txt", "c.txt", "a.txt"} << Names{}
                                     << Contents{{"b.txt", "a.txt"}, {"c.txt", "b.txt"}, {"a.txt", "c.txt"}} << Reasons{};
        QTest::newRow("unchanged rows stay") << Names{"a", "b"} << QStringList{"a", "c"} << Names{}
                                             << Contents{{"a", "a"}, {"c", "b"}} << Reasons{};
        QTest::newRow("same new name: first wins") << Names{"a", "b", "c"} << QStringList{"x", "x", "x"} << Names{}
                                                   << Contents{{"x", "a"}, {"b", "b"}, {"c", "c"}} << Reasons{10 + Taken, 20 + Taken};
        QTest::newRow("held by unlisted file") << Names{"a"} << QStringList{"keep"} << Names{"keep"}
                                               << Contents{{"a", "a"}, {"keep", "keep"}} << Reasons{Exists};
        QTest::newRow("held by a staying row") << Names{"a", "b"} << QStringList{"b", "b"} << Names{}
                                               << Contents{{"a", "a"}, {"b", "b"}} << Reasons{Exists};
        QTest::newRow("chain blocked at its end") << Names{"a", "b"} << QStringList{"b", "keep"} << Names{"keep"}
                                                  << Contents{{"a", "a"}, {"b", "b"}, {"keep", "keep"}}
                                                  << Reasons{Exists, 10 + Exists};
        QTest::newRow("invalid names") << Names{"a", "b", "c", "d", "e", "f"}
                                       << QStringList{"", ".", "..", "x/y", QStringLiteral("n") + QChar(0) , QString(256, u'z')}
                                       << Names{} << Contents{{"a", "a"}, {"b", "b"}, {"c", "c"}, {"d", "d"}, {"e", "e"}, {"f", "f"}}
                                       << Reasons{Invalid, 10 + Invalid, 20 + Invalid, 30 + Invalid, 40 + Invalid, 50 + Invalid};
        QTest::newRow("lone surrogate is invalid") << Names{"a"} << QStringList{QString(QChar(0xD800))} << Names{}
                                                   << Contents{{"a", "a"}} << Reasons{Invalid};
        QTest::newRow("non-UTF-8 names") << Names{"caf\xE9.txt"} << QStringList{QStringLiteral("CAF") + QChar(0xDCE9) + QStringLiteral(".TXT")}
                                         << Names{} << Contents{{"CAF\xE9.TXT", "caf\xE9.txt"}} << Reasons{};
        QTest::newRow("case only") << Names{"abc.txt"} << QStringList{"ABC.txt"} << Names{}
                                   << Contents{{"ABC.txt", "abc.txt"}} << Reasons{};
        QTest::newRow("cycle of long names") << Names{QByteArray(250, 'a') + ".txt", QByteArray(250, 'b') + ".txt"}
                                             << QStringList{QString(250, u'b') + ".txt", QString(250, u'a') + ".txt"} << Names{}
                                             << Contents{{QByteArray(250, 'b') + ".txt", QByteArray(250, 'a') + ".txt"},
                                                         {QByteArray(250, 'a') + ".txt", QByteArray(250, 'b') + ".txt"}}
                                             << Reasons{};
    }
    void scenarios()
    {
        QFETCH(Names, sources);
        QFETCH(QStringList, targets);
        QFETCH(Names, unlisted);
        QFETCH(Contents, expected);
        QFETCH(Reasons, reasons);
        for (auto method : {PosixFileMover::Method::RenameNoReplace, PosixFileMover::Method::LinkThenUnlink}) {
            const Outcome outcome = rename(sources, targets, unlisted, method);
            QCOMPARE(outcome.contents, expected);
            QCOMPARE(outcome.reasons, reasons);
        }
    }

    void renamingALinkMovesTheLinkNotItsTarget()
    {
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.path());
        test::createFile(folder, "target.txt", "data");
        QVERIFY(QFile::link("target.txt", dir.filePath("link.txt")));
        int error = 0;
        auto mover = PosixFileMover().openFolder(folder, error);
        QVERIFY(mover);
        QVERIFY(renameFiles(*mover, test::column({"link.txt"}), test::column({"moved.txt"})).empty());
        QCOMPARE(QFile::symLinkTarget(dir.filePath("moved.txt")), dir.filePath("target.txt"));
        QVERIFY(!QFileInfo(dir.filePath("target.txt")).isSymLink());
        QVERIFY(!QFileInfo::exists(dir.filePath("link.txt")));
    }

    void caseOnlyChangeOnCaseBlindFileSystem()
    {
        CaseBlindFolder folder;
        folder.files = {{"abc.txt", "1"}, {"Other.txt", "2"}};
        const auto failures = renameFiles(folder, test::column({"abc.txt", "Other.txt"}), test::column({"ABC.txt", "OTHER.TXT"}));
        QVERIFY(failures.empty());
        QCOMPARE(folder.files, (QMap<QByteArray, QByteArray>{{"ABC.txt", "1"}, {"OTHER.TXT", "2"}}));
    }

    void temporaryNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("nameMax");
        QTest::addColumn<QByteArray>("temporary");
        QTest::newRow("keeps tail, shows name") << "photo.tar.gz" << 255 << QByteArray("photo~velmix1.tar.gz");
        QTest::newRow("dot-less") << "README" << 255 << QByteArray("README~velmix1");
        QTest::newRow("cut to fit") << "abcdef.txt" << 15 << QByteArray("abc~velmix1.txt");
        QTest::newRow("cut keeps pairs whole") << QString::fromUtf8("\xF0\x9F\x98\x80\xF0\x9F\x98\x80.t") << 16
                                               << QByteArray("\xF0\x9F\x98\x80~velmix1.t");
        QTest::newRow("tail too long") << QString("a.") + QString(300, u'x') << 255 << QByteArray();
        QTest::newRow("escaped bytes come back") << QStringLiteral("caf") + QChar(0xDCE9) + QStringLiteral(".txt") << 255
                                                 << QByteArray("caf\xE9~velmix1.txt");
    }
    void temporaryNames()
    {
        QFETCH(QString, name);
        QFETCH(int, nameMax);
        QFETCH(QByteArray, temporary);
        QCOMPARE(temporaryName(name, 1, nameMax), temporary);
    }

    void noTemporaryNameLeavesCycleUnmoved()
    {
        const QByteArray a = "a." + QByteArray(250, 'x');
        const QByteArray b = "b." + QByteArray(250, 'x');
        const Outcome outcome = rename({a, b}, {QString::fromLatin1(b), QString::fromLatin1(a)});
        QCOMPARE(outcome.contents, (Contents{{a, a}, {b, b}}));
        QCOMPARE(outcome.reasons, (Reasons{Exists, 10 + Exists}));
    }
};

QTEST_GUILESS_MAIN(TestRename)
#include "tst_rename.moc"
