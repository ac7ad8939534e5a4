#pragma once

#include <QAccessibleWidget>

class QAbstractButton;

namespace velmix {

// What screen readers are told about a picture check box or picture button: its checked
// state as the box shows it (which the core decides), and an action (toggle or press)
// that runs the control's click rule, as Space does. The tooltip is the description only
// where it says more than the name.
class PictureButtonAccessible : public QAccessibleWidget
{
public:
    explicit PictureButtonAccessible(QAbstractButton *button);

    [[nodiscard]] QAccessible::State state() const override;
    [[nodiscard]] QString text(QAccessible::Text kind) const override;
    [[nodiscard]] QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

private:
    [[nodiscard]] QAbstractButton *button() const;
    [[nodiscard]] QString clickAction() const;
};

} // namespace velmix
