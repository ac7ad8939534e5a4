#pragma once

#include <QAbstractButton>
#include <QPixmap>

namespace velmix {

// One of the two round buttons at the top right of the window; its circular outline is
// set by the window (ShapeRoundButton).
class RoundTitleButton : public QAbstractButton
{
    Q_OBJECT

public:
    explicit RoundTitleButton(QWidget *parent = nullptr);

    void setPicture(const QPixmap &picture);
    [[nodiscard]] QSize sizeHint() const override { return {40, 40}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_picture;
};

} // namespace velmix
