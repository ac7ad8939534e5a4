#pragma once

#include <QCheckBox>
#include <QPixmap>

namespace velmix {

// A check box drawn as one of two pictures. A click only asks for a change (clicked());
// the state shown is set from the core's rules with setChecked(). A double click counts
// as one click: its second press is swallowed.
class PictureCheckBox : public QCheckBox
{
    Q_OBJECT

public:
    explicit PictureCheckBox(QWidget *parent = nullptr);

    void setPictures(const QPixmap &checked, const QPixmap &unchecked);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;
    void nextCheckState() override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QPixmap m_checked;
    QPixmap m_unchecked;
};

} // namespace velmix
