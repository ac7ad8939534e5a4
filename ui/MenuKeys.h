#pragma once

namespace velmix::MenuKeys {

// Shift+F10 opens the menu the Menu key opens, wherever the focus is: the grid's, a text
// box's, any box's. Keyboards without a Menu key have only this one. A second call
// changes nothing.
void install();

} // namespace velmix::MenuKeys
