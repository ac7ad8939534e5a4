#pragma once

#include <QImage>
#include <QProcess>
#include <QRect>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace velmix::test {

// An X server of the test's own, with a white root window so the desktop is told apart
// from the skin; stopped with the program started on it.
class XvfbSession
{
public:
    ~XvfbSession()
    {
        for (QProcess *process : {&m_program, &m_windowManager, &m_server}) {
            if (process->state() != QProcess::NotRunning) {
                process->terminate();
                if (!process->waitForFinished(5000))
                    process->kill();
                process->waitForFinished(5000);
            }
        }
    }

    static QString missingTool()
    {
        for (const char *tool : {"Xvfb", "xdotool"})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                return tool;
        return {};
    }

    // The server picks a free display itself and names it once it takes connections.
    bool start(const QString &screenSize)
    {
        m_server.start("Xvfb", {"-displayfd", "1", "-screen", "0", screenSize + "x24", "-nolisten", "tcp", "-noreset", "-wr"});
        if (!m_server.waitForStarted()
            || !QTest::qWaitFor([&] { return m_server.canReadLine() || m_server.state() == QProcess::NotRunning; }, 10000))
            return false;
        bool isNumber = false;
        const int number = m_server.readLine().trimmed().toInt(&isNumber);
        m_display = QString(":%1").arg(number);
        return isNumber;
    }

    // Puts openbox on the display, as a desktop has a window manager; false where it is
    // missing or does not take the display.
    bool startWindowManager()
    {
        if (QStandardPaths::findExecutable("openbox").isEmpty())
            return false;
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        variables.insert("DISPLAY", m_display);
        m_windowManager.setProcessEnvironment(variables);
        m_windowManager.start("openbox", {"--sm-disable"});
        // Up once it owns the screen's window-manager selection.
        return m_windowManager.waitForStarted()
               && QTest::qWaitFor([&] { return hasWindowManager(); }, 10000);
    }
    // Whether a window manager has announced itself on the root window.
    bool hasWindowManager() const;

    // Starts `program` in `folder` with the extra environment and its arguments. Its
    // state (the journals) and its settings (the rule sets) go to the session's own
    // folders, the same for every start.
    bool launch(const QString &program, const QString &folder, const QStringList &environment,
                const QStringList &arguments = {})
    {
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        variables.insert("DISPLAY", m_display);
        variables.insert("QT_QPA_PLATFORM", "xcb");
        variables.insert("XDG_STATE_HOME", m_state.path());
        variables.insert("XDG_CONFIG_HOME", m_config.path());
        for (const QString &variable : environment)
            variables.insert(variable.section('=', 0, 0), variable.section('=', 1));
        m_program.setProcessEnvironment(variables);
        m_program.setWorkingDirectory(folder);
        m_program.start(program, arguments);
        return m_program.waitForStarted();
    }

    // Ends the program at once, as a crash or a power cut would.
    bool killProgram()
    {
        m_program.kill();
        return m_program.waitForFinished(10000);
    }

    // Where the program keeps its journals.
    [[nodiscard]] QString stateFolder() const { return m_state.filePath("velmix"); }
    // Where the program keeps its rule sets.
    [[nodiscard]] QString ruleSetFolder() const { return m_config.filePath("velmix/sets"); }

    // What a tool prints on this display; nothing when it fails.
    std::optional<QString> run(const QString &tool, const QStringList &arguments) const
    {
        QProcess process;
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        variables.insert("DISPLAY", m_display);
        process.setProcessEnvironment(variables);
        process.start(tool, arguments);
        if (!process.waitForFinished(20000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            return std::nullopt;
        return QString::fromLocal8Bit(process.readAllStandardOutput());
    }

    // A click of the first button at a point of the screen.
    bool click(QPoint at) const
    {
        return run("xdotool", {"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"}).has_value();
    }

    // Where a window lies on the screen; empty when it cannot be told.
    QRect geometry(const QString &window) const
    {
        QRect rect;
        const auto shell = run("xdotool", {"getwindowgeometry", "--shell", window});
        for (const QString &line : shell ? shell->split('\n') : QStringList()) {
            const int value = line.section('=', 1).toInt();
            if (line.startsWith("X="))
                rect.moveLeft(value);
            else if (line.startsWith("Y="))
                rect.moveTop(value);
            else if (line.startsWith("WIDTH="))
                rect.setWidth(value);
            else if (line.startsWith("HEIGHT="))
                rect.setHeight(value);
        }
        return rect;
    }

    // The visible windows of a name matching `name`.
    QStringList visibleWindowIds(const QString &name = ".") const
    {
        const auto ids = run("xdotool", {"search", "--onlyvisible", "--name", name});
        return ids ? ids->split('\n', Qt::SkipEmptyParts) : QStringList();
    }

    // The first visible window of a name matching `name`, once one shows (xdotool's own
    // --sync looks only every half second); empty when none shows within `timeoutMs`.
    QString waitForWindow(const QString &name, int timeoutMs = 60000) const
    {
        QString id;
        (void)QTest::qWaitFor([&] { return !(id = visibleWindowIds(name).value(0)).isEmpty(); }, timeoutMs);
        return id;
    }

    // Where each visible window of a name matching `name` lies.
    QList<QRect> visibleWindows(const QString &name = ".") const
    {
        QList<QRect> found;
        for (const QString &id : visibleWindowIds(name))
            found.append(geometry(id));
        return found;
    }

    // Asks a window to close as a window manager does (Alt+F4, its close button): with a
    // WM_DELETE_WINDOW message; or asks the window manager to close it, as `wmctrl -c` does.
    enum class CloseBy { Message, WindowManager };
    bool requestClose(const QString &window, CloseBy by = CloseBy::Message) const;

    // Whether the program has ended, and what it wrote to standard error.
    bool programEnded() const { return m_program.state() == QProcess::NotRunning; }
    QString programErrors() { return QString::fromUtf8(m_program.readAllStandardError()); }

    // The whole screen; a null picture when it cannot be read.
    QImage screen() const;

private:
    QString m_display;
    QProcess m_server;
    QProcess m_program;
    QProcess m_windowManager;
    QTemporaryDir m_state;
    QTemporaryDir m_config;
};

} // namespace velmix::test
