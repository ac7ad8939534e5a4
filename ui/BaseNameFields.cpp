#include "BaseNameFields.h"

#include "CharacterLimitValidator.h"
#include "preview/NameFields.h"
#include "preview/NamingOptions.h"
#include "preview/Numbering.h"

#include <QEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>

namespace velmix::BaseNameFields {

// Set on a box whose keeping text a field inserted from the menu replaces.
constexpr const char *ReplacesKeepingText = "replacesKeepingText";

void offer(QLineEdit *box, const std::function<void()> &inserted)
{
    box->setValidator(new CharacterLimitValidator(&NameFields::limitOf, box));
    QStringList fields;
    for (const QString &name : NameFields::names())
        fields.append(u'{' + name + u'}');
    box->setToolTip(QStringLiteral("Поля: %1, {дата:yyyy.MM.dd}.\n"
                                   "{n} — номер по порядку, цифр столько, сколько выбрано в нумерации;\n"
                                   "{n:3} — из трёх цифр (от 1 до 9); где стоит {n}, в конце номера нет.\n"
                                   "{камера} — модель из EXIF (Canon EOS 80D), {папка} — имя папки файла.\n"
                                   "Например: {дата} Отпуск — 2026-07-14 Отпуск 1.JPG,\n"
                                   "Отпуск {n:3} {дата} — Отпуск 001 2026-07-14.JPG.\n"
                                   "С полем до %2 знаков, без поля до %3.")
                        .arg(fields.join(QStringLiteral(", ")))
                        .arg(NamingOptions::FieldBaseNameLimit)
                        .arg(NamingOptions::BaseNameLimit));
    box->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(box, &QWidget::customContextMenuRequested, box, [box, inserted, fields](const QPoint &at) {
        QMenu *menu = box->createStandardContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        QMenu *submenu = menu->addMenu(MenuTitle);
        for (const QString &field : fields) {
            QObject::connect(submenu->addAction(field), &QAction::triggered, box, [box, inserted, field] {
                if (box->property(ReplacesKeepingText).toBool() && keepsOwnNames(box->text()))
                    box->selectAll();
                box->insert(field);
                inserted();
            });
        }
        menu->popup(box->mapToGlobal(at));
    });
}

namespace {

class KeepingTextSelector : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *box = static_cast<QLineEdit *>(watched);
        // After the click that gave the focus has put the caret where it fell.
        if (event->type() == QEvent::FocusIn && keepsOwnNames(box->text()))
            QTimer::singleShot(0, box, [box] {
                if (keepsOwnNames(box->text()) && box->hasFocus())
                    box->selectAll();
            });
        return false;
    }
};

} // namespace

void selectKeepingTextOnFocus(QLineEdit *box)
{
    box->setProperty(ReplacesKeepingText, true);
    box->installEventFilter(new KeepingTextSelector(box));
}

} // namespace velmix::BaseNameFields
