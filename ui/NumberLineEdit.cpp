#include "NumberLineEdit.h"

#include "CharacterLimitValidator.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>

#include <limits>

namespace velmix {
namespace {

QString digitsOf(QStringView text)
{
    QString digits;
    for (const QChar c : text)
        if (c >= u'0' && c <= u'9')
            digits += c;
    return digits;
}

// Keeps the text digits, whatever brought the new text in (typing, a paste, a drop, the
// middle button). What came in is the part between the start and the end the text shares
// with the one accepted before: the text before held digits only, so every non-digit is in
// that part.
class DigitsValidator : public CharacterLimitValidator
{
public:
    DigitsValidator(int limit, QObject *parent)
        : CharacterLimitValidator(limit > 0 ? limit : std::numeric_limits<int>::max(), parent)
    {
    }

    State validate(QString &text, int &cursor) const override
    {
        if (digitsOf(text).size() != text.size()) {
            const qsizetype shorter = std::min(text.size(), m_accepted.size());
            qsizetype head = 0;
            while (head < shorter && text[head] == m_accepted[head])
                ++head;
            qsizetype tail = 0;
            while (tail < shorter - head && text[text.size() - 1 - tail] == m_accepted[m_accepted.size() - 1 - tail])
                ++tail;
            if (digitsOf(QStringView(text).sliced(head, text.size() - head - tail)).isEmpty())
                return Invalid; // nothing but non-digits came in: the box keeps its text
            cursor = int(digitsOf(QStringView(text).left(cursor)).size());
            text = digitsOf(text);
        }
        const State state = CharacterLimitValidator::validate(text, cursor);
        m_accepted = text;
        return state;
    }

private:
    mutable QString m_accepted;
};

} // namespace

NumberLineEdit::NumberLineEdit(int limit, QWidget *parent)
    : KeyReleaseLineEdit(parent)
{
    setValidator(new DigitsValidator(limit, this));
}

void NumberLineEdit::keyPressEvent(QKeyEvent *event)
{
    // The digits go in as an edit of their own, so the box's undo takes the paste back
    // alone, as after any paste; a text the validator has to change would end the undo
    // history. A move of the caret is what parts one edit from the next.
    if (event->matches(QKeySequence::Paste) && !isReadOnly()) {
        if (const QString digits = digitsOf(QGuiApplication::clipboard()->text()); !digits.isEmpty()) {
            if (const int at = cursorPosition(); !hasSelectedText() && at > 0) {
                setCursorPosition(at - 1);
                setCursorPosition(at);
            }
            insert(digits);
        }
        return;
    }
    KeyReleaseLineEdit::keyPressEvent(event);
}

} // namespace velmix
