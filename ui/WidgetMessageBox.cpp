#include "WidgetMessageBox.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>

namespace velmix {
namespace {

// Room a window manager's title bar and frame may take from the screen's height.
constexpr int FrameAllowance = 48;

// Every line of the text on one line of the box: a long one loses its middle to "…".
QString oneLineEach(const QString &text, const QFontMetrics &metrics, int width)
{
    QStringList lines = text.split(u'\n');
    for (QString &line : lines)
        line = metrics.elidedText(line, Qt::ElideMiddle, width);
    return lines.join(u'\n');
}

} // namespace

void WidgetMessageBox::showMessage(const QString &title, const QString &text)
{
    if (m_closing) {
        std::fprintf(stderr, "velmix: %s\n%s\n", qUtf8Printable(title), qUtf8Printable(text));
        return;
    }
    // Never taller than the screen, however many rows a report lists: past that the text
    // scrolls and the button stays in sight. The text can be selected and copied.
    QDialog box(m_owner);
    box.setWindowTitle(title);
    const QScreen *screen = m_owner ? m_owner->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen->availableGeometry();
    auto *label = new QLabel;
    label->setObjectName(QStringLiteral("LblMessage"));
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label->setText(oneLineEach(text, label->fontMetrics(), std::min(available.width() * 3 / 4, 640)));
    auto *scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(label);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    auto *layout = new QVBoxLayout(&box);
    layout->addWidget(scroll);
    layout->addWidget(buttons);
    const QMargins margins = layout->contentsMargins();
    const int room = available.height() - FrameAllowance - margins.top() - margins.bottom() - layout->spacing()
                     - buttons->sizeHint().height();
    const QSize wanted = label->sizeHint();
    const bool scrolls = wanted.height() > room;
    scroll->setFixedSize(wanted.width() + (scrolls ? scroll->verticalScrollBar()->sizeHint().width() : 0),
                         std::min(wanted.height(), room));
    box.exec();
}

bool WidgetMessageBox::ask(const QString &title, const QString &text)
{
    return question(title, text, true);
}

bool WidgetMessageBox::askBeforeLoss(const QString &title, const QString &text)
{
    return question(title, text, false);
}

bool WidgetMessageBox::question(const QString &title, const QString &text, bool yesByDefault)
{
    if (m_closing)
        return false;
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::NoButton, m_owner);
    QPushButton *yes = box.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
    box.setDefaultButton(yesByDefault ? yes : no);
    box.exec();
    return box.clickedButton() == yes;
}

} // namespace velmix
