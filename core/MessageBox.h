#pragma once

#include <QString>

namespace velmix {

// Modal boxes with a title and a text of several lines; the core never opens a window
// itself.
class MessageBox
{
public:
    virtual ~MessageBox() = default;
    // One OK button.
    virtual void showMessage(const QString &title, const QString &text) = 0;
    // The buttons "Да" and "Нет", "Да" the default; true for "Да".
    [[nodiscard]] virtual bool ask(const QString &title, const QString &text) = 0;
    // The same where "Да" cannot be taken back (a deletion, a replacement): "Нет" the default,
    // so an Enter pressed out of habit loses nothing.
    [[nodiscard]] virtual bool askBeforeLoss(const QString &title, const QString &text) { return ask(title, text); }
};

} // namespace velmix
