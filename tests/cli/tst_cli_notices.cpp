#include "TempFolder.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

// The desktop's notification server, as far as the program uses it: it keeps what it is
// asked to show and answers each notice that offers actions as told.
class FakeNotificationServer : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Notice
    {
        QString summary;
        QString body;
        QStringList actions;
    };
    QList<Notice> shown;
    QString answer; // "undo": the action is clicked; else the notice is closed

public Q_SLOTS:
    QStringList GetCapabilities() { return {u"actions"_s, u"body"_s}; }
    uint Notify(const QString &, uint, const QString &, const QString &summary, const QString &body,
                const QStringList &actions, const QVariantMap &, int)
    {
        shown.append({summary, body, actions});
        const uint id = uint(shown.size());
        if (!actions.isEmpty())
            QTimer::singleShot(0, this, [this, id] {
                if (answer == u"undo")
                    Q_EMIT ActionInvoked(id, answer);
                Q_EMIT NotificationClosed(id, 2);
            });
        return id;
    }
    void CloseNotification(uint) {}

Q_SIGNALS:
    void ActionInvoked(uint id, const QString &action);
    void NotificationClosed(uint id, uint reason);
};

// The command line started with no terminal on standard output, as a file manager starts
// it, on a session bus of the test's own (dbus-run-session) where this test plays the
// desktop's notification server.
class TestCliNotices : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected())
            QSKIP("no session bus: run under dbus-run-session");
        QVERIFY(bus.registerObject(u"/org/freedesktop/Notifications"_s, &m_server,
                                   QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
        QVERIFY(bus.registerService(u"org.freedesktop.Notifications"_s));
    }

    // The summary, the refusals and how to undo go to the notice; "Отменить" there brings the
    // names back; a notice closed leaves them; without a session bus, or in a terminal,
    // nothing is shown.
    void applyTellsTheDesktop_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("session");
        QTest::addColumn<bool>("terminal");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("summaries");
        QTest::newRow("undone") << "undo" << true << false << QStringList{"B.TXT", "a.txt", "b.txt"}
                                << QStringList{"Переименовано 1 из 2", "Возвращено 1"};
        QTest::newRow("closed") << "close" << true << false << QStringList{"A.TXT", "B.TXT", "b.txt"}
                                << QStringList{"Переименовано 1 из 2"};
        QTest::newRow("no session") << "undo" << false << false << QStringList{"A.TXT", "B.TXT", "b.txt"}
                                    << QStringList{};
        QTest::newRow("in a terminal") << "undo" << true << true << QStringList{"A.TXT", "B.TXT", "b.txt"}
                                       << QStringList{};
    }
    void applyTellsTheDesktop()
    {
        QFETCH(QString, answer);
        QFETCH(bool, session);
        QFETCH(bool, terminal);
        QFETCH(QStringList, files);
        QFETCH(QStringList, summaries);
        m_server.shown.clear();
        m_server.answer = answer;
        velmix::test::TempFolder folder;
        folder.createFiles({"a.txt", "b.txt", "B.TXT"}); // b.txt cannot take B.TXT
        QTemporaryDir home;
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_STATE_HOME"_s, home.filePath(u"state"_s));
        environment.insert(u"XDG_CONFIG_HOME"_s, home.filePath(u"config"_s));
        environment.insert(u"XDG_RUNTIME_DIR"_s, home.path()); // no bus at its usual place
        if (!session)
            environment.remove(u"DBUS_SESSION_BUS_ADDRESS"_s);
        program.setProcessEnvironment(environment);
        const QStringList arguments{u"--rename"_s, u"--upper"_s, u"--apply"_s, folder.path()};
        if (terminal) // script(1) gives it a terminal of its own
            program.start(u"script"_s, {u"-qec"_s, QString(VELMIX_PROGRAM " ") + arguments.join(u' '), u"/dev/null"_s});
        else
            program.start(VELMIX_PROGRAM, arguments);
        QVERIFY(program.waitForStarted());
        // This loop answers the program's calls while it runs.
        QTRY_VERIFY_WITH_TIMEOUT(program.state() == QProcess::NotRunning, 30000);
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QVERIFY(program.readAllStandardOutput().contains("Переименовано 1 из 2")); // after the boxes, in a terminal
        QCOMPARE(folder.files(), files);
        QStringList shown;
        for (const FakeNotificationServer::Notice &notice : std::as_const(m_server.shown))
            shown.append(notice.summary);
        QCOMPARE(shown, summaries);
        if (shown.isEmpty())
            return;
        const FakeNotificationServer::Notice &applied = m_server.shown.first();
        QCOMPARE(applied.actions, QStringList({u"undo"_s, u"Отменить"_s}));
        QVERIFY2(applied.body.contains(u"b.txt"_s), qPrintable(applied.body)); // the refusal
        QVERIFY2(applied.body.contains(u"velmix --undo '"_s + folder.path() + u'\''), qPrintable(applied.body));
        if (shown.size() > 1)
            QCOMPARE(m_server.shown[1].actions, QStringList()); // the undo's own offers nothing
    }

private:
    FakeNotificationServer m_server;
};

QTEST_GUILESS_MAIN(TestCliNotices)
#include "tst_cli_notices.moc"
