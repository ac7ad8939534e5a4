#pragma once

#include <QAbstractButton>
#include <QPixmap>

namespace velmix {

// A push button that is a picture. While mouse buttons are held on it, it shrinks by
// 3 pixels per held button towards its top-left corner, the picture stretched; a release
// brings back the picture's natural size. The action runs on the click, which comes
// after the release, so it always starts with the button drawn released.
class PictureButton : public QAbstractButton
{
    Q_OBJECT

public:
    explicit PictureButton(QWidget *parent = nullptr);

    void setPicture(const QPixmap &picture);
    [[nodiscard]] QSize naturalSize() const;
    [[nodiscard]] QSize sizeHint() const override { return naturalSize(); }

    static constexpr int PressedShrink = 3;
    static constexpr qreal DisabledOpacity = 0.35;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPixmap m_picture;
};

} // namespace velmix
