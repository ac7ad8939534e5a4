#pragma once

#include "preview/KeyRelease.h"

#include <QLineEdit>

namespace velmix {

// A text box that reports the release of a key pressed in it, once per press: auto-repeat
// releases and releases of keys pressed elsewhere (Tab from the previous box) are not
// reported. It takes Ctrl+Z only while it has edits to undo, so that otherwise the
// window's undo gets it.
class KeyReleaseLineEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit KeyReleaseLineEdit(QWidget *parent = nullptr);

    // Sets the text only when it differs, so a redraw keeps the caret where it is.
    void showText(const QString &text);
    // Ends the box's own undo history: Ctrl+Z then goes to the window until the next edit.
    void forgetEdits();

Q_SIGNALS:
    void keyReleased(int key);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    KeyReleaseGate m_gate;
};

} // namespace velmix
