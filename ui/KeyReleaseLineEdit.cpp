#include "KeyReleaseLineEdit.h"

#include <QKeyEvent>

namespace velmix {

KeyReleaseLineEdit::KeyReleaseLineEdit(QWidget *parent)
    : QLineEdit(parent)
{
}

void KeyReleaseLineEdit::showText(const QString &text)
{
    if (this->text() != text)
        setText(text);
}

bool KeyReleaseLineEdit::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->matches(QKeySequence::Undo) && !isUndoAvailable()) {
            event->ignore(); // QLineEdit would claim it even with nothing to undo
            return true;
        }
    }
    return QLineEdit::event(event);
}

void KeyReleaseLineEdit::keyPressEvent(QKeyEvent *event)
{
    m_gate.pressed(event->key(), event->isAutoRepeat());
    QLineEdit::keyPressEvent(event);
}

void KeyReleaseLineEdit::keyReleaseEvent(QKeyEvent *event)
{
    QLineEdit::keyReleaseEvent(event);
    if (m_gate.releaseCounts(event->key(), event->isAutoRepeat()))
        Q_EMIT keyReleased(event->key());
}

void KeyReleaseLineEdit::forgetEdits()
{
    setText(text()); // a set text starts the box's undo history afresh
}

void KeyReleaseLineEdit::focusOutEvent(QFocusEvent *event)
{
    m_gate.forget();
    QLineEdit::focusOutEvent(event);
}

} // namespace velmix
