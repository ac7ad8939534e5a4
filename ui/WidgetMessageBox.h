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

private:
    QWidget *m_owner;
};

} // namespace velmix
