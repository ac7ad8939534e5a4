#pragma once

#include <QString>

namespace velmix {

// A modal box with a title, a text of several lines and one OK button; the core never
// opens a window itself.
class MessageBox
{
public:
    virtual ~MessageBox() = default;
    virtual void showMessage(const QString &title, const QString &text) = 0;
};

} // namespace velmix
