#include "DBusNotices.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

namespace velmix::cli {
namespace {

using namespace Qt::StringLiterals;

const QString Service = u"org.freedesktop.Notifications"_s;
const QString Path = u"/org/freedesktop/Notifications"_s;
const QString Interface = u"org.freedesktop.Notifications"_s;
const QString UndoAction = u"undo"_s;
constexpr int CallTimeout = 5000; // ms; a server started on demand takes a moment

QDBusMessage call(const QString &method, const QVariantList &arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(Service, Path, Interface, method);
    message.setArguments(arguments);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, CallTimeout);
}

// Without either, a connection would try to start a bus of its own.
bool sessionBusNamed()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(QDir(runtime).filePath(u"bus"_s));
}

} // namespace

DBusNotices::DBusNotices(QStringList capabilities)
    : m_capabilities(std::move(capabilities))
{
}

std::unique_ptr<DBusNotices> DBusNotices::ofSession()
{
    if (!sessionBusNamed() || !QDBusConnection::sessionBus().isConnected())
        return nullptr;
    const QDBusReply<QStringList> capabilities = call(u"GetCapabilities"_s);
    if (!capabilities.isValid())
        return nullptr;
    return std::unique_ptr<DBusNotices>(new DBusNotices(capabilities.value()));
}

DesktopNotices::Answer DBusNotices::show(const QString &summary, const QString &body, bool offerUndo)
{
    const bool actions = offerUndo && m_capabilities.contains(u"actions"_s);
    const bool markup = m_capabilities.contains(u"body-markup"_s);
    QDBusConnection bus = QDBusConnection::sessionBus();
    // Listening before the notice shows, so a quick click is not missed. QtDBus connects
    // signals by name only.
    if (actions) {
        bus.connect(Service, Path, Interface, u"ActionInvoked"_s, this, SLOT(actionInvoked(uint, QString)));
        bus.connect(Service, Path, Interface, u"NotificationClosed"_s, this, SLOT(closed(uint, uint)));
    }
    const QDBusReply<uint> id = call(u"Notify"_s, {u"Velmix"_s, 0u, QStringLiteral(VELMIX_APP_ID), summary,
                                                   markup ? body.toHtmlEscaped() : body,
                                                   actions ? QStringList{UndoAction, u"Отменить"_s} : QStringList(),
                                                   QVariantMap{{u"desktop-entry"_s, QStringLiteral(VELMIX_APP_ID)}}, -1});
    if (!actions || !id.isValid())
        return Answer::None;
    m_waitingFor = id.value();
    QEventLoop loop;
    QTimer bound;
    bound.setSingleShot(true);
    connect(&bound, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &DBusNotices::answered, &loop, &QEventLoop::quit);
    bound.start(UndoWait);
    loop.exec();
    if (bound.isActive()) // answered
        return m_undo ? Answer::Undo : Answer::None;
    call(u"CloseNotification"_s, {m_waitingFor});
    return Answer::None;
}

void DBusNotices::actionInvoked(uint id, const QString &action)
{
    if (id != m_waitingFor)
        return;
    m_undo = action == UndoAction;
    Q_EMIT answered();
}

void DBusNotices::closed(uint id, uint)
{
    if (id == m_waitingFor)
        Q_EMIT answered();
}

} // namespace velmix::cli
