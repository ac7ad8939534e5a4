#pragma once

#include <QComboBox>

namespace velmix {

// The digit-width list, which also answers a double click (CboRazr_DblClick).
class DigitWidthBox : public QComboBox
{
    Q_OBJECT

public:
    explicit DigitWidthBox(QWidget *parent = nullptr);

Q_SIGNALS:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};

} // namespace velmix
