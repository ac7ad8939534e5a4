#pragma once

#include <QString>

#include <functional>

class QLineEdit;

namespace velmix {

// Makes a box that takes fields (the base name, the inserted text) tell of them: its tooltip
// lists them with examples, its context menu inserts one at the cursor (then `inserted`
// runs, as after a typed key), and it holds more characters while a field is in it.
namespace BaseNameFields {

void offer(QLineEdit *box, const std::function<void()> &inserted);

// While the box holds only the text that keeps the files' names ("-" or "*"), taking the
// focus selects it, however the focus comes, so a key typed or a field inserted replaces it.
void selectKeepingTextOnFocus(QLineEdit *box);

// The context menu's submenu.
inline const QString MenuTitle = QStringLiteral("Вставить поле");

} // namespace BaseNameFields

} // namespace velmix
