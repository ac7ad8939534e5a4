#include "LineNumberedEdit.h"

#include <QFontDatabase>
#include <QPainter>
#include <QTextBlock>

namespace velmix {

class LineNumberedEdit::Gutter : public QWidget
{
public:
    explicit Gutter(LineNumberedEdit *edit)
        : QWidget(edit), m_edit(edit)
    {
    }
    [[nodiscard]] QSize sizeHint() const override { return {m_edit->gutterWidth(), 0}; }

protected:
    void paintEvent(QPaintEvent *event) override { m_edit->paintGutter(event); }

private:
    LineNumberedEdit *m_edit;
};

LineNumberedEdit::LineNumberedEdit(QWidget *parent)
    : QPlainTextEdit(parent), m_gutter(new Gutter(this))
{
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    const auto follow = [this] { setViewportMargins(gutterWidth(), 0, 0, 0); };
    connect(this, &QPlainTextEdit::blockCountChanged, this, follow);
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect &rect, int dy) {
        if (dy != 0)
            m_gutter->scroll(0, dy);
        else
            m_gutter->update(0, rect.y(), m_gutter->width(), rect.height());
    });
    follow();
}

int LineNumberedEdit::gutterWidth() const
{
    const int digits = int(QString::number(std::max(1, blockCount())).size());
    return 8 + fontMetrics().horizontalAdvance(u'9') * std::max(digits, 2);
}

void LineNumberedEdit::goToLine(qsizetype line)
{
    const QTextBlock block = document()->findBlockByNumber(int(line - 1));
    if (!block.isValid())
        return;
    QTextCursor cursor(block);
    setTextCursor(cursor);
    centerCursor();
    setFocus();
}

void LineNumberedEdit::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    const QRect area = contentsRect();
    m_gutter->setGeometry(area.left(), area.top(), gutterWidth(), area.height());
}

void LineNumberedEdit::paintGutter(QPaintEvent *event)
{
    QPainter painter(m_gutter);
    painter.fillRect(event->rect(), palette().color(QPalette::Button));
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.setFont(font());
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    while (block.isValid() && top <= event->rect().bottom()) {
        const int height = qRound(blockBoundingRect(block).height());
        if (block.isVisible() && top + height >= event->rect().top())
            painter.drawText(0, top, m_gutter->width() - 4, fontMetrics().height(), Qt::AlignRight,
                             QString::number(block.blockNumber() + 1));
        block = block.next();
        top += height;
    }
}

} // namespace velmix
