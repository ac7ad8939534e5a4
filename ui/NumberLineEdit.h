#pragma once

#include "KeyReleaseLineEdit.h"

namespace velmix {

// A numbering field: it holds digits only, at most `limit` characters (0: no limit). A
// typed non-digit never enters; pasted or dropped text enters with its non-digits dropped,
// and a paste of nothing but non-digits changes nothing. Every editing and moving key
// works as in any text box.
class NumberLineEdit : public KeyReleaseLineEdit
{
    Q_OBJECT

public:
    NumberLineEdit(int limit, QWidget *parent);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace velmix
