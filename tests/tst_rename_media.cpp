#include "NameTransforms.h"
#include "RenameExecutor.h"
#include "RenameFolder.h"
#include "TestMedia.h"
#include "TestSupport.h"

using namespace velmix;
using test::Reasons;

namespace {

using Names = QList<QByteArray>;
using Contents = QMap<QByteArray, QByteArray>;

constexpr int Invalid = int(RenameReason::InvalidName);
// Stands in a table row for the name that the medium's file system refuses.
const QString Refused = QStringLiteral("<refused>");
constexpr int CameraFiles = 20; // fusefat grows slow as a folder fills

Names cameraNames()
{
    Names names;
    for (int i = 1; i <= CameraFiles; ++i)
        names.append(QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QChar(u'0')).toLatin1());
    return names;
}

// What the lower-case option makes of the names.
QStringList lowerCased(const Names &sources)
{
    FileNameTable table = test::table(test::names(test::decodedColumn(sources)));
    ToLowerCase(table);
    return test::names(table.newNames());
}

Contents renamedContents(const Names &sources, const QStringList &targets)
{
    Contents contents;
    for (qsizetype row = 0; row < sources.size(); ++row)
        contents.insert(targets[row].toUtf8(), sources[row]);
    return contents;
}

} // namespace

// The rename step on every file system it must work on: each row runs in a fresh folder
// whose files hold their own first names.
class TestRenameMedia : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void onEveryMedium_data()
    {
        QTest::addColumn<QString>("medium");
        QTest::addColumn<Names>("sources");
        QTest::addColumn<QStringList>("targets");
        QTest::addColumn<Contents>("expected");
        QTest::addColumn<Reasons>("reasons");
        const Names chain{"a.txt", "b.txt", "IMG_0001.JPG", "IMG_0002.JPG"};
        const QStringList chainTargets{"b.txt", "c.txt", "img_0002.jpg", "img_0003.jpg"};
        const Names swap{"a.txt", "b.txt"};
        const Names caseSwap{"IMG_0001.JPG", "IMG_0002.JPG"};
        const QStringList caseSwapTargets{"img_0002.jpg", "img_0001.jpg"};
        const Names refused{"a.jpg", "b.jpg", "c.jpg"};
        for (const QString &medium : test::TestMedia::Names) {
            auto row = [&](const char *scenario) -> QTestData & {
                return QTest::addRow("%s: %s", qPrintable(medium), scenario) << medium;
            };
            row("chain") << chain << chainTargets << renamedContents(chain, chainTargets) << Reasons{};
            row("swap") << swap << QStringList{"b.txt", "a.txt"} << renamedContents(swap, {"b.txt", "a.txt"}) << Reasons{};
            row("case-variant swap") << caseSwap << caseSwapTargets << renamedContents(caseSwap, caseSwapTargets)
                                      << Reasons{};
            row("case only") << cameraNames() << lowerCased(cameraNames())
                              << renamedContents(cameraNames(), lowerCased(cameraNames())) << Reasons{};
            row("refused name") << refused << QStringList{"x.jpg", Refused, "z.jpg"}
                                 << Contents{{"x.jpg", "a.jpg"}, {"b.jpg", "b.jpg"}, {"z.jpg", "c.jpg"}}
                                 << Reasons{10 + Invalid};
        }
    }
    void onEveryMedium()
    {
        QFETCH(QString, medium);
        QFETCH(Names, sources);
        QFETCH(QStringList, targets);
        QFETCH(Contents, expected);
        QFETCH(Reasons, reasons);
        test::Medium &on = m_media.medium(medium);
        if (!on.skipReason.isEmpty())
            QSKIP(qPrintable(on.skipReason));
        QVERIFY2(on.failure.isEmpty(), qPrintable(on.failure));
        const qsizetype refusedRow = targets.indexOf(Refused);
        if (refusedRow >= 0) {
            if (on.refusedName.isEmpty())
                QSKIP("this file system takes every name the planner lets by");
            targets[refusedRow] = on.refusedName;
        }

        const auto folder = on.newFolder();
        for (const QByteArray &name : sources)
            folder->create(name, name);
        const auto mover = folder->mover();
        QVERIFY(mover);
        const FolderRules rules = folder->rules(test::decodedColumn(sources));
        if (medium.startsWith(u"kernel "))
            QVERIFY2(rules.driver != FolderRules::Driver::Other, "the kernel's FAT driver is not told by its mount");
        const auto failures = renameFiles(*mover, test::decodedColumn(sources), test::column(targets)).failures;
        QCOMPARE(test::reasonsOf(failures), reasons);
        QCOMPARE(folder->contents(), test::TestMedia::asListed(on, expected));
        // Marks foretell the apply where the folder's rules know its driver's refusals.
        if (rules.driver != FolderRules::Driver::Other)
            QCOMPARE(test::markedReasons(sources, test::column(targets), {}, rules), reasons);
    }

private:
    test::TestMedia m_media;
};

QTEST_GUILESS_MAIN(TestRenameMedia)
#include "tst_rename_media.moc"
