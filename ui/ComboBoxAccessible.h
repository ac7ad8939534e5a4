#pragma once

#include <QAccessibleWidget>

class QComboBox;

namespace velmix {

// What screen readers are told about a combo box: its accessible name (or its label's
// text) as the name, and the current entry as the value and as its read-only text. Qt's
// own interface on Unix reports the current entry as the name too, so a list could not
// be told apart from its entry.
class ComboBoxAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit ComboBoxAccessible(QComboBox *comboBox);

    [[nodiscard]] QString text(QAccessible::Text kind) const override;
    [[nodiscard]] int childCount() const override;
    [[nodiscard]] QAccessibleInterface *child(int index) const override;
    [[nodiscard]] int indexOfChild(const QAccessibleInterface *child) const override;
    [[nodiscard]] QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    // The text: the current entry, never selected, with the caret at its start.
    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    [[nodiscard]] int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    [[nodiscard]] int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    [[nodiscard]] QString text(int startOffset, int endOffset) const override;
    [[nodiscard]] int characterCount() const override;
    [[nodiscard]] QRect characterRect(int) const override { return {}; }
    [[nodiscard]] int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    [[nodiscard]] QString attributes(int offset, int *startOffset, int *endOffset) const override;

    // Selects the current entry in the list's pop-up, where screen readers look for it,
    // also while the pop-up is closed.
    static void selectCurrentEntry(QComboBox *comboBox);

private:
    [[nodiscard]] QComboBox *comboBox() const;
};

} // namespace velmix
