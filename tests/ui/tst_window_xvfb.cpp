#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// Starts the real program on its own X server and uses it as a user would: the mask
// must let the desktop show through, and a typed base name must reach the disk through
// a click on the apply picture.
namespace {

struct Geometry
{
    int x = 0;
    int y = 0;
};

QString run(const QString &program, const QStringList &arguments, const QString &display)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", display);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(20000) || process.exitCode() != 0)
        return {};
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

bool xdo(const QStringList &arguments, const QString &display)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", display);
    process.setProcessEnvironment(environment);
    process.start("xdotool", arguments);
    return process.waitForFinished(20000) && process.exitCode() == 0;
}

int freeDisplayNumber()
{
    for (int number = 91; number < 200; ++number) {
        if (!QFile::exists(QString("/tmp/.X%1-lock").arg(number))
            && !QFile::exists(QString("/tmp/.X11-unix/X%1").arg(number)))
            return number;
    }
    return -1;
}

QImage screen(const QString &display)
{
    QProcess process;
    process.start("import", {"-display", display, "-window", "root", "png:-"});
    if (!process.waitForFinished(20000))
        return {};
    return QImage::fromData(process.readAllStandardOutput(), "PNG");
}

} // namespace

class TestWindowXvfb : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        for (const char *tool : {"Xvfb", "xdotool", "setxkbmap", "import"})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                QSKIP(qPrintable(QString("%1 is not installed").arg(tool)));
        const int number = freeDisplayNumber();
        QVERIFY(number > 0);
        m_display = QString(":%1").arg(number);
        // A white root window, so the desktop below the window is told apart from the skin.
        m_server.start("Xvfb", {m_display, "-screen", "0", "800x700x24", "-nolisten", "tcp", "-wr"});
        QVERIFY(m_server.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(QString("/tmp/.X11-unix/X%1").arg(number)), 10000);
        QProcess keyboard;
        keyboard.start("setxkbmap", {"-display", m_display, "-layout", "us,ru", "-option", "numpad:mac"});
        QVERIFY(keyboard.waitForFinished(20000));
        QCOMPARE(keyboard.exitCode(), 0);
    }

    void cleanupTestCase()
    {
        for (QProcess *process : {&m_program, &m_server}) {
            if (process->state() != QProcess::NotRunning) {
                process->terminate();
                if (!process->waitForFinished(5000))
                    process->kill();
                process->waitForFinished(5000);
            }
        }
    }

    void typeBaseNameAndApply()
    {
        QTemporaryDir folder;
        for (const char *name : {"b file.txt", "a file.txt"}) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", m_display);
        environment.insert("QT_QPA_PLATFORM", "xcb");
        m_program.setProcessEnvironment(environment);
        m_program.setWorkingDirectory(folder.path());
        m_program.start(VELMIX_PROGRAM, {});
        QVERIFY(m_program.waitForStarted());

        const QString window = run("xdotool", {"search", "--sync", "--onlyvisible", "--name", "Velmix V2.0"}, m_display)
                                   .split('\n', Qt::SkipEmptyParts)
                                   .value(0);
        QVERIFY(!window.isEmpty());
        Geometry at;
        for (const QString &line : run("xdotool", {"getwindowgeometry", "--shell", window}, m_display).split('\n')) {
            if (line.startsWith("X="))
                at.x = line.mid(2).toInt();
            else if (line.startsWith("Y="))
                at.y = line.mid(2).toInt();
        }

        // The window draws itself; wait until the skin shows inside the outline.
        const QColor cream(255, 243, 195);
        const auto near = [](QColor a, QColor b) {
            return qAbs(a.red() - b.red()) < 12 && qAbs(a.green() - b.green()) < 12 && qAbs(a.blue() - b.blue()) < 12;
        };
        QTRY_VERIFY_WITH_TIMEOUT(near(screen(m_display).pixelColor(at.x + 300, at.y + 40), cream), 10000);
        const QImage shot = screen(m_display);
        QCOMPARE(shot.pixelColor(at.x + 2, at.y + 2), QColor(Qt::white)); // outside the rounded corner
        QCOMPARE(shot.pixelColor(at.x + 300, at.y + 585), QColor(Qt::white)); // below the panel
        QCOMPARE(shot.pixelColor(at.x + 515, at.y + 12), QColor(Qt::white)); // between the round buttons

        // A click gives the window the focus (there is no window manager).
        const auto click = [&](int x, int y) {
            return xdo({"mousemove", QString::number(at.x + x), QString::number(at.y + y), "click", "1"}, m_display);
        };
        QVERIFY(click(100, 410)); // TxtName
        QVERIFY(xdo({"key", "--delay", "50", "End", "BackSpace"}, m_display));
        QVERIFY(xdo({"type", "--delay", "50", "photo"}, m_display));
        // The click queues behind the keys on the X connection, so it comes after them.
        QVERIFY(click(460 + 42, 532 + 19)); // ImgApply

        QTRY_COMPARE_WITH_TIMEOUT(QDir(folder.path()).entryList(QDir::Files, QDir::Name),
                                  QStringList({"photo1.txt", "photo2.txt"}), 10000);
    }

private:
    QString m_display;
    QProcess m_server;
    QProcess m_program;
};

QTEST_MAIN(TestWindowXvfb)
#include "tst_window_xvfb.moc"
