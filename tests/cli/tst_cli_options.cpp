// The command line's option table: the parser, and the man page and completions the
// build writes from it.
#include "CliCommand.h"
#include "CliOptions.h"
#include "posix/BatchHeap.h"
#include "sets/RuleSetStore.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <thread>
#include <unistd.h>

using namespace velmix;
using namespace velmix::cli;
using namespace Qt::StringLiterals;

class TestCliOptions : public QObject
{
    Q_OBJECT

    static QString document(const char *name)
    {
        QFile file(QStringLiteral(VELMIX_CLI_DOCUMENTS) + u'/' + QLatin1StringView(name));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("problem");
        QTest::addColumn<int>("action");
        QTest::addColumn<bool>("apply");
        const int rename = int(Action::Rename);
        const auto row = [](const char *name, const QStringList &arguments, const QString &problem, int action = -1,
                            bool apply = false) { QTest::newRow(name) << arguments << problem << action << apply; };
        row("-n is the dry run", {u"--rename"_s, u"-n"_s, u"."_s}, {}, rename, false);
        row("--dry-run with --apply", {u"--rename"_s, u"--apply"_s, u"--dry-run"_s, u"."_s},
            u"можно только одно из --apply, --dry-run"_s);
        row("--apply, a folder after --", {u"--rename"_s, u"--apply"_s, u"--"_s, u"-x"_s}, {}, rename, true);
        row("--replace without --find", {u"--rename"_s, u"--replace"_s, u"x"_s, u"."_s},
            u"--replace без --find: укажите, что заменить"_s);
        row("--replace refining a set's find", {u"--rename"_s, u"--set"_s, u"s"_s, u"--replace=b"_s, u"."_s}, {}, rename);
        row("a typo", {u"--rename"_s, u"--lowr"_s, u"."_s}, u"неизвестный параметр «--lowr»; может быть, --lower?"_s);
        row("the start of one", {u"--rename"_s, u"--exten=upper"_s, u"."_s},
            u"неизвестный параметр «--exten=upper»; может быть, --extension?"_s);
        row("nothing near", {u"--bogus"_s}, u"неизвестный параметр «--bogus»"_s);
        row("an empty set", {u"--rename"_s, u"--set"_s, u""_s, u"."_s}, u"у параметра --set пустое имя набора"_s);
        row("an empty set after =", {u"--rename"_s, u"--set="_s, u"."_s}, u"у параметра --set пустое имя набора"_s);
        row("two cases", {u"--rename"_s, u"--capital"_s, u"--upper"_s, u"."_s},
            u"можно только одно из --upper, --lower, --capital"_s);
        row("two actions", {u"--undo"_s, u"--rename"_s, u"."_s}, u"можно только одно из --rename, --undo, --repair"_s);
        row("both answers", {u"--repair"_s, u"--yes"_s, u"--no"_s}, u"можно только одно из --yes, --no"_s);
        row("both title cases", {u"--rename"_s, u"--title-case"_s, u"--title-case-lower"_s, u"."_s},
            u"можно только одно из --title-case, --title-case-lower"_s);
        row("--fix-conflicts leaves the next word a folder", {u"--rename"_s, u"--fix-conflicts"_s, u"."_s}, {}, rename);
        row("--folders takes no value", {u"--rename"_s, u"--folders"_s, u"."_s}, {}, rename);
        row("new orders", {u"--rename"_s, u"--order=mtime"_s, u"--order"_s, u"reverse-name"_s, u"."_s}, {}, rename);
        row("an empty list file", {u"--rename"_s, u"--names="_s, u"."_s}, u"у параметра --names пустое имя файла"_s);
        row("a list for undo", {u"--undo"_s, u"--edit"_s, u"."_s}, u"--edit — только для --rename"_s);
        row("help wins", {u"--rename"_s, u"--upper"_s, u"-h"_s}, {}, int(Action::Help));
    }
    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, problem);
        QFETCH(int, action);
        QFETCH(bool, apply);
        QTemporaryDir config;
        RuleSetStore sets(config.path());
        RuleSet set;
        set.rules.findText = u"a"_s;
        QCOMPARE(sets.save(u"s"_s, set), QString());
        const ParsedCommand parsed = parseCommand(arguments, sets);
        QCOMPARE(parsed.problem, problem);
        if (problem.isEmpty()) {
            QCOMPARE(int(parsed.command.action), action);
            QCOMPARE(parsed.command.apply, apply);
        }
    }

    // The build wrote them from the same table: each option in each, and its exclusions
    // in the zsh completion.
    void everyOptionInTheDocuments()
    {
        const QString man = document("velmix.1");
        const QString bash = document("velmix.bash");
        const QString zsh = document("_velmix");
        QVERIFY(man.contains(u".SH EXIT STATUS"_s) && !bash.isEmpty() && !zsh.isEmpty());
        for (const Option &option : options()) {
            const QString name = u"--"_s + option.name;
            QVERIFY2(man.contains(u"\\fB"_s + QString(name).replace(u'-', u"\\-"_s) + u"\\fR"_s), qPrintable(name));
            QVERIFY2(bash.contains(name + u' ') || bash.contains(name + u'\''), qPrintable(name));
            QVERIFY2(zsh.contains(name + u'[') || zsh.contains(name + u"=["_s) || zsh.contains(name + u"=-["_s)
                         || zsh.contains(name + u'}'),
                     qPrintable(name));
        }
        QVERIFY(zsh.contains(u"'(--lower --capital)--upper["_s));
    }

    // The bash completion as bash runs it on Tab: the words typed so far, the offers back.
    void bashCompletes_data()
    {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QStringList>("offered");
        QTest::newRow("an option") << QStringList{u"--lowe"_s} << QStringList{u"--lower"_s};
        QTest::newRow("a short one") << QStringList{u"-"_s, u"-n"_s} << QStringList{u"-n"_s};
        QTest::newRow("an order") << QStringList{u"--order"_s, u"n"_s} << QStringList{u"name"_s, u"numbers"_s};
        QTest::newRow("a scheme after =") << QStringList{u"--latin"_s, u"="_s}
                                          << QStringList{u"gost"_s, u"passport"_s, u"bgn"_s};
        QTest::newRow("a set") << QStringList{u"--set"_s, u"П"_s} << QStringList{u"Последний применённый"_s};
        QTest::newRow("a folder") << QStringList{u"--upper"_s, u"d"_s} << QStringList{u"dir one"_s};
        QTest::newRow("a list file") << QStringList{u"--map"_s, u"d"_s} << QStringList{u"dfile"_s, u"dir one"_s};
        QTest::newRow("no offer for a text") << QStringList{u"--base"_s, u"d"_s} << QStringList();
    }
    void bashCompletes()
    {
        QFETCH(QStringList, words);
        QFETCH(QStringList, offered);
        words.removeAll(u"-"_s); // "-" marks a row of its own
        QTemporaryDir home;
        QVERIFY(QDir(home.path()).mkpath(u"velmix/sets"_s) && QDir(home.path()).mkpath(u"dir one"_s));
        for (const QString &set : {u"Последний применённый"_s, u"Отпуск"_s}) {
            QFile file(home.filePath(u"velmix/sets/"_s + set + u".ini"_s));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QFile(home.filePath(u"dfile"_s)).open(QIODevice::WriteOnly);
        QProcess bash;
        bash.setWorkingDirectory(home.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_CONFIG_HOME"_s, home.path());
        bash.setProcessEnvironment(environment);
        const QString script = u"source \"$1\"; shift; COMP_WORDS=(velmix \"$@\"); COMP_CWORD=$#; _velmix; "
                               "printf '%s\\n' \"${COMPREPLY[@]}\""_s;
        bash.start(u"bash"_s, QStringList{u"-c"_s, script, u"bash"_s, QStringLiteral(VELMIX_CLI_DOCUMENTS "/velmix.bash")} + words);
        QVERIFY(bash.waitForFinished());
        QStringList got = QString::fromUtf8(bash.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        got.sort();
        offered.sort();
        QCOMPARE(got, offered);
    }

    // The command's heap serves every thread, and the part a batch uses is asked for in
    // huge pages: a block grown and freed at once may be dropped by the compiler, and with
    // it the growth the advice is given for.
    void batchHeap()
    {
#ifdef __SANITIZE_ADDRESS__
        QSKIP("the sanitizer's allocator takes the place of the heap");
#endif
        if (!QFile::exists(u"/sys/kernel/mm/transparent_hugepage/enabled"_s))
            QSKIP("no huge pages in this kernel");
        prepareHeapForOneBatch();
        void *fromThread = nullptr;
        std::thread([&] { fromThread = std::malloc(1 << 20); }).join();
        const auto block = reinterpret_cast<quintptr>(fromThread), top = reinterpret_cast<quintptr>(sbrk(0));
        std::free(fromThread);
        QFile smaps(u"/proc/self/smaps"_s);
        QVERIFY(smaps.open(QIODevice::ReadOnly));
        quintptr heapStart = 0;
        int advised = 0;
        bool inHeap = false;
        for (const QByteArray &line : smaps.readAll().split('\n')) {
            const QByteArray first = line.left(line.indexOf(' '));
            if (first.contains('-') && !first.endsWith(':')) { // a mapping's first line: "start-end perms …"
                inHeap = line.endsWith("[heap]");
                const quintptr start = first.left(first.indexOf('-')).toULongLong(nullptr, 16);
                if (inHeap && (heapStart == 0 || start < heapStart))
                    heapStart = start;
            } else if (inHeap && line.startsWith("VmFlags:") && line.contains(" hg")) {
                ++advised;
            }
        }
        QVERIFY2(heapStart != 0 && heapStart <= block && block < top, "a thread's block lies outside the one heap");
        QVERIFY2(advised > 0, "no part of the heap is asked for in huge pages");
    }
};

QTEST_GUILESS_MAIN(TestCliOptions)
#include "tst_cli_options.moc"
