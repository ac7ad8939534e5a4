#pragma once

#include "MessageBox.h"

class QWidget;

namespace velmix {

// Modal boxes with the core's title and text and no icon.
class WidgetMessageBox : public MessageBox
{
public:
    explicit WidgetMessageBox(QWidget *owner = nullptr)
        : m_owner(owner)
    {
    }

    void showMessage(const QString &title, const QString &text) override;
    bool ask(const QString &title, const QString &text) override;
    bool askBeforeLoss(const QString &title, const QString &text) override;

    // While the program closes, a box would hold it open: messages go to standard error
    // instead, and a question is answered "Нет".
    void closing() { m_closing = true; }

private:
    bool question(const QString &title, const QString &text, bool yesByDefault);

    QWidget *m_owner;
    bool m_closing = false;
};

} // namespace velmix
