#pragma once

#include <QAccessibleWidget>

class QComboBox;

namespace velmix {

// What screen readers are told about a combo box: its accessible name (or its label's
// text) as the name, and the current entry as the value. Qt's own interface on Unix
// reports the current entry as the name too, so a list could not be told apart from
// its entry.
class ComboBoxAccessible : public QAccessibleWidget
{
public:
    explicit ComboBoxAccessible(QComboBox *comboBox);

    // Puts this interface in place of Qt's for every combo box; a second call changes nothing.
    static void install();

    [[nodiscard]] QString text(QAccessible::Text kind) const override;
    [[nodiscard]] int childCount() const override;
    [[nodiscard]] QAccessibleInterface *child(int index) const override;
    [[nodiscard]] int indexOfChild(const QAccessibleInterface *child) const override;
    [[nodiscard]] QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

private:
    [[nodiscard]] QComboBox *comboBox() const;
};

} // namespace velmix
