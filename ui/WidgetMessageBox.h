#pragma once

#include "MessageBox.h"

class QWidget;

namespace velmix {

// A modal box with the core's title and text, one OK button and no icon.
class WidgetMessageBox : public MessageBox
{
public:
    explicit WidgetMessageBox(QWidget *owner = nullptr)
        : m_owner(owner)
    {
    }

    void showMessage(const QString &title, const QString &text) override;

private:
    QWidget *m_owner;
};

} // namespace velmix
