#pragma once

#include "DesktopNotices.h"

#include <QObject>

#include <chrono>
#include <memory>

namespace velmix::cli {

// The desktop's notices through its notification server (org.freedesktop.Notifications) on
// the session bus.
class DBusNotices : public QObject, public DesktopNotices
{
    Q_OBJECT

public:
    // How long an offered undo is waited for; then the notice is taken away, so that no
    // stale "Отменить" is left behind.
    static constexpr std::chrono::seconds UndoWait{60};

    // None where no session bus is there to reach (none named, none at its usual place)
    // or no notification server answers on it.
    [[nodiscard]] static std::unique_ptr<DBusNotices> ofSession();

    Answer show(const QString &summary, const QString &body, bool offerUndo) override;

private Q_SLOTS:
    // The server's signals; QtDBus connects them by name.
    void actionInvoked(uint id, const QString &action);
    void closed(uint id, uint reason);

Q_SIGNALS:
    void answered();

private:
    explicit DBusNotices(QStringList capabilities);

    QStringList m_capabilities;
    uint m_waitingFor = 0;
    bool m_undo = false;
};

} // namespace velmix::cli
