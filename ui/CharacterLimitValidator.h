#pragma once

#include <QValidator>

#include <functional>

namespace velmix {

// Holds a text box to a number of characters, a surrogate pair counting as one, where
// QLineEdit::setMaxLength counts UTF-16 units and may keep half a pair. Typed, inserted
// and pasted text is cut at the end of what came in, never inside a pair.
class CharacterLimitValidator : public QValidator
{
    Q_OBJECT

public:
    CharacterLimitValidator(int limit, QObject *parent);
    // A limit that depends on the text itself (a base name with fields holds more).
    CharacterLimitValidator(std::function<int(QStringView)> limitOf, QObject *parent);

    State validate(QString &text, int &cursor) const override;

private:
    std::function<int(QStringView)> m_limitOf;
};

} // namespace velmix
