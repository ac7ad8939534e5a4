#pragma once

#include <QValidator>

namespace velmix {

// Holds a text box to a number of characters, a surrogate pair counting as one, where
// QLineEdit::setMaxLength counts UTF-16 units and may keep half a pair. Typed, inserted
// and pasted text is cut at the end of what came in, never inside a pair.
class CharacterLimitValidator : public QValidator
{
    Q_OBJECT

public:
    CharacterLimitValidator(int limit, QObject *parent);

    State validate(QString &text, int &cursor) const override;

private:
    int m_limit;
};

} // namespace velmix
