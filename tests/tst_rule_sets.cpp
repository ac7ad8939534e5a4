// The rule sets' store: every setting survives a save and a load, and a set that cannot be
// trusted is skipped whole, named in one line.
#include "sets/RuleSetStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace velmix;
using namespace Qt::StringLiterals;

class TestRuleSets : public QObject
{
    Q_OBJECT

    static RuleSet randomSet(QRandomGenerator &random)
    {
        const auto text = [&] {
            const QStringList pieces{u"a"_s, u"Ж"_s, u" "_s, u"="_s, u";"_s, u"\\1"_s, u"\""_s, u"["_s, u"#"_s, u"%"_s};
            QString result;
            for (int i = 0, length = random.bounded(5); i < length; ++i)
                result += pieces[random.bounded(pieces.size())];
            return result;
        };
        RuleSet set;
        NamingOptions &o = set.options;
        o.BaseName = text();
        o.Numbering = random.bounded(2);
        o.StartText = QString::number(random.bounded(100000));
        o.StepText = QString::number(random.bounded(1, 1000));
        o.DigitWidthIndex = random.bounded(NamingOptions::DigitWidthCount);
        o.Order = NumberingOrder(random.bounded(7));
        const int letterCase = random.bounded(4);
        o.UpperCase = letterCase == 1;
        o.LowerCase = letterCase == 2;
        o.FirstLetterCapital = letterCase == 3;
        o.SpacesToUnderscores = random.bounded(2);
        o.RestartPerFolder = random.bounded(2);
        o.RestartPerDay = random.bounded(2);
        // Names with the signs INI and the shift's own text use.
        for (const QString &camera : {QString(), u"Canon EOS 80D"_s, u"RICOH, PENTAX K-1"_s, u"A=B \"C\""_s})
            if (random.bounded(2))
                o.Shifts.set(camera, random.bounded(1, 2 * DateShifts::HourLimit * 60) - DateShifts::HourLimit * 60);
        NameRules &r = set.rules;
        r.findText = text();
        r.replaceText = text();
        r.regularExpression = random.bounded(2);
        r.ignoreCase = random.bounded(2);
        r.replaceScope = ReplaceScope(random.bounded(2));
        r.position = random.bounded(1000);
        r.cutCount = random.bounded(1000);
        r.insertText = text();
        r.extensionCase = ExtensionCase(random.bounded(3));
        r.positionFromEnd = random.bounded(2);
        r.titleCase = TitleCase(random.bounded(3));
        r.transliteration = Transliteration(random.bounded(4));
        r.conflicts.rule = ConflictRule(random.bounded(4));
        r.conflicts.pattern = r.conflicts.rule == ConflictRule::Pattern ? u"_{n:%1}"_s.arg(random.bounded(1, 10)) : QString();
        return set;
    }

private Q_SLOTS:
    void everySettingSurvives()
    {
        QTemporaryDir home;
        RuleSetStore store(home.path());
        QRandomGenerator random(38);
        for (int round = 0; round < 50; ++round) {
            const RuleSet set = randomSet(random);
            QCOMPARE(store.save(u"Отпуск %1"_s.arg(round % 7), set), QString());
            QString problem;
            const std::optional<RuleSet> loaded = RuleSetStore(home.path()).load(u"Отпуск %1"_s.arg(round % 7), problem);
            QVERIFY2(loaded && *loaded == set, qPrintable(problem));
        }
        QCOMPARE(store.keepLastApplied(RuleSet()), QString());
        QCOMPARE(store.list().names.first(), RuleSetStore::LastApplied);
        // A set kept before the restarts were has none.
        QFile kept(home.filePath(RuleSetStore::LastApplied + u".ini"_s));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        const QByteArray without = kept.readAll().replace("restart_per_folder=false\n", "").replace("restart_per_day=false\n", "");
        kept.close();
        QVERIFY(kept.open(QIODevice::WriteOnly | QIODevice::Truncate) && kept.write(without) == without.size());
        kept.close();
        QString problem;
        QVERIFY(!without.contains("restart") && RuleSetStore(home.path()).load(RuleSetStore::LastApplied, problem) == RuleSet());
        QCOMPARE(store.list().names.size(), 8);
        QCOMPARE(store.remove(u"Отпуск 3"_s), QString());
        QCOMPARE(store.list().names.size(), 7);
    }

    void namesRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow("slash") << u"a/b"_s << u"«/»"_s;
        QTest::newRow("newline") << u"a\nb"_s << u"управляющих"_s;
        QTest::newRow("tab") << u"\ta"_s << u"управляющих"_s;
        QTest::newRow("blank") << u"  "_s << u"должно быть имя"_s;
        QTest::newRow("dot") << u".."_s << u"точки"_s;
        QTest::newRow("last applied") << RuleSetStore::LastApplied << u"занято"_s;
    }
    void namesRefused()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        QTemporaryDir home;
        RuleSetStore store(home.path());
        const QString problem = store.save(name, RuleSet());
        QVERIFY2(problem.contains(reason), qPrintable(problem));
        QVERIFY(store.list().names.isEmpty());
    }

    void untrustedSetsSkipped_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QString>("told");
        QTest::newRow("later version") << QByteArray("version=1") << QByteArray("version=2") << u"более новой версией"_s;
        QTest::newRow("a key gone") << QByteArray("latin=") << QByteArray("lat=") << u"повреждён"_s;
        QTest::newRow("width out of range") << QByteArray("width=") << QByteArray("width=9") << u"повреждён"_s;
        QTest::newRow("a flag not a flag") << QByteArray("regex=") << QByteArray("regex=maybe") << u"повреждён"_s;
        QTest::newRow("a restart not a flag") << QByteArray("restart_per_day=") << QByteArray("restart_per_day=1") << u"повреждён"_s;
        QTest::newRow("a shift not a shift") << QByteArray("version=1") << QByteArray("version=1\ndate_shifts=Canon=soon")
                                             << u"повреждён"_s;
        QTest::newRow("no version") << QByteArray("version=1") << QByteArray() << u"повреждён"_s;
        QTest::newRow("cut short") << QByteArray("find=") << QByteArray() << u"повреждён"_s;
        QTest::newRow("pattern without {n}") << QByteArray("conflicts=") << QByteArray("conflicts=pattern") << u"повреждён"_s;
    }
    void untrustedSetsSkipped()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QString, told);
        QTemporaryDir home;
        RuleSetStore store(home.path());
        QCOMPARE(store.save(u"good"_s, RuleSet()), QString());
        QCOMPARE(store.save(u"bad"_s, RuleSet()), QString());
        QFile file(home.filePath(u"bad.ini"_s));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray bytes = file.readAll();
        file.close();
        const qsizetype at = bytes.indexOf(from);
        QVERIFY(at >= 0);
        if (QTest::currentDataTag() == QByteArrayView("cut short"))
            bytes.truncate(at);
        else
            bytes.replace(at, bytes.indexOf('\n', at) - at, to);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size());
        // QSettings trusts a file of the same size and time it read before: a hand edit
        // comes later than the program's own write.
        QVERIFY(file.flush() && file.setFileTime(QDateTime::currentDateTime().addSecs(2), QFileDevice::FileModificationTime));
        file.close();
        const RuleSetStore::Listing listing = RuleSetStore(home.path()).list();
        QCOMPARE(listing.names, QStringList{u"good"_s});
        QCOMPARE(listing.skipped.size(), 1);
        QVERIFY2(listing.skipped.first().contains(u"«bad»"_s) && listing.skipped.first().contains(told),
                 qPrintable(listing.skipped.first()));
        QString problem;
        QVERIFY(!RuleSetStore(home.path()).load(u"bad"_s, problem));
        QCOMPARE(problem, listing.skipped.first());
    }

    // A set's name holding a symbolic link or a FIFO: told in the list, refused by a load
    // that never waits on it, and a save leaves it and what it points at as they are.
    void otherEntriesLeftAlone_data()
    {
        QTest::addColumn<bool>("link");
        QTest::newRow("symbolic link") << true;
        QTest::newRow("FIFO") << false;
    }
    void otherEntriesLeftAlone()
    {
        QFETCH(bool, link);
        QTemporaryDir home;
        QTemporaryDir elsewhere;
        const QString victim = elsewhere.filePath(u"victim"_s);
        QFile file(victim);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("kept\n") == 5);
        file.close();
        RuleSetStore store(home.filePath(u"sets"_s));
        QCOMPARE(store.save(u"good"_s, RuleSet()), QString());
        const QByteArray entry = QFile::encodeName(store.folder() + u'/' + RuleSetStore::LastApplied + u".ini"_s);
        QVERIFY(link ? ::symlink(QFile::encodeName(victim).constData(), entry.constData()) == 0
                     : ::mkfifo(entry.constData(), 0600) == 0);
        const RuleSetStore::Listing listing = store.list();
        QCOMPARE(listing.names, QStringList{u"good"_s});
        QCOMPARE(listing.skipped.size(), 1);
        QVERIFY2(listing.skipped.first().contains(u"не обычный файл"_s), qPrintable(listing.skipped.first()));
        QString problem;
        QVERIFY(!store.load(RuleSetStore::LastApplied, problem));
        QCOMPARE(problem, listing.skipped.first());
        QVERIFY(store.keepLastApplied(RuleSet()).contains(u"не обычный файл"_s));
        struct stat status{};
        QVERIFY(::lstat(entry.constData(), &status) == 0 && (link ? S_ISLNK(status.st_mode) : S_ISFIFO(status.st_mode)));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("kept\n"));
        QCOMPARE(QDir(store.folder()).entryList(QDir::Files | QDir::System).size(), 2); // no file written beside
    }
};

QTEST_GUILESS_MAIN(TestRuleSets)
#include "tst_rule_sets.moc"
