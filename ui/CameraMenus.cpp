#include "CameraMenus.h"

#include "MessageBox.h"

#include <QInputDialog>
#include <QMenu>

namespace velmix::CameraMenus {

void addNumberingRestarts(QMenu &menu, const NamingOptions &options,
                          const std::function<void(bool perFolder, bool perDay)> &changed)
{
    const bool perFolder = options.RestartPerFolder, perDay = options.RestartPerDay;
    QAction *folder = menu.addAction(RestartPerFolder);
    folder->setCheckable(true);
    folder->setChecked(perFolder);
    QObject::connect(folder, &QAction::triggered, &menu, [=] { changed(!perFolder, perDay); });
    QAction *day = menu.addAction(RestartPerDay);
    day->setCheckable(true);
    day->setChecked(perDay);
    QObject::connect(day, &QAction::triggered, &menu, [=] { changed(perFolder, !perDay); });
}

void addDateShifts(QMenu &menu, const QString &camera, const DateShifts &shifts,
                   const std::function<void(const QString &camera)> &picked)
{
    const auto add = [&](const QString &text, const QString &of) {
        const int minutes = shifts.ownMinutesOf(of);
        const QString shown = minutes == 0 ? text : text + QStringLiteral(" (%1)").arg(DateShifts::offsetText(minutes));
        QObject::connect(menu.addAction(shown + QStringLiteral("…")), &QAction::triggered, &menu,
                         [picked, of] { picked(of); });
    };
    if (!camera.isEmpty()) // an "&" in a menu's text would mark a shortcut key
        add(QStringLiteral("Сдвиг времени камеры «%1»").arg(QString(camera).replace(u'&', QStringLiteral("&&"))), camera);
    add(QStringLiteral("Сдвиг времени всех файлов"), QString());
}

std::optional<int> askShift(QWidget *parent, MessageBox &messages, const QString &camera, const DateShifts &shifts)
{
    QInputDialog box(parent);
    box.setWindowTitle(ShiftTitle);
    box.setLabelText(camera.isEmpty()
                         ? QStringLiteral("На сколько сдвинуть время всех файлов (±чч:мм, 0 — не сдвигать):")
                         : QStringLiteral("На сколько сдвинуть время снимков камеры «%1» (±чч:мм, 0 — не сдвигать):")
                               .arg(camera));
    box.setTextValue(DateShifts::offsetText(shifts.ownMinutesOf(camera)));
    box.setOkButtonText(QStringLiteral("Сдвинуть"));
    box.setCancelButtonText(QStringLiteral("Отмена"));
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    const std::optional<int> minutes = DateShifts::parseOffset(box.textValue());
    if (!minutes)
        messages.showMessage(ShiftTitle, QStringLiteral("«%1» — не сдвиг вида +01:00 или -00:30 (часов не больше %2)")
                                             .arg(box.textValue())
                                             .arg(DateShifts::HourLimit));
    return minutes;
}

} // namespace velmix::CameraMenus
