#pragma once

#include <QPlainTextEdit>

namespace velmix {

// Plain text in a monospaced font with each line's number in a gutter on its left, so a
// message naming a line can be followed. Lines do not wrap: one line is one name.
class LineNumberedEdit : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit LineNumberedEdit(QWidget *parent = nullptr);

    // Puts the cursor at the start of a line (from 1) and shows it.
    void goToLine(qsizetype line);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    class Gutter;
    [[nodiscard]] int gutterWidth() const;
    void paintGutter(QPaintEvent *event);

    Gutter *m_gutter;
};

} // namespace velmix
