#include "ProgressWindow.h"

#include "Skin.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>

namespace velmix {
namespace {

// What runs; also what a screen reader calls the bar.
QString workName(WorkKind kind)
{
    switch (kind) {
    case WorkKind::ReadingFolder:
        return QStringLiteral("Чтение папки");
    case WorkKind::Renaming:
        return QStringLiteral("Переименование");
    case WorkKind::Undoing:
        return QStringLiteral("Возврат прежних имён");
    case WorkKind::ReadingTags:
        return QStringLiteral("Чтение дат и тегов");
    case WorkKind::MatchingExpression:
        return QStringLiteral("Поиск по выражению");
    }
    return {};
}

QString captionOf(WorkKind kind)
{
    return workName(kind) + u'…';
}

// Each change of the count is announced by screen readers, so it changes this often at most.
constexpr qint64 ShowInterval = 250; // ms

} // namespace

ProgressWindow::ProgressWindow(WorkKind kind, WorkProgress &progress, QWidget *over)
    : QWidget(over, Qt::Dialog | Qt::FramelessWindowHint)
    , m_progress(progress)
    , m_count(new QLabel(this))
    , m_bar(new QProgressBar(this))
    , m_cancel(new QPushButton(QStringLiteral("Отмена"), this))
{
    setObjectName(QStringLiteral("ProgressWindow"));
    setWindowTitle(captionOf(kind));
    // Not modal: the Velmix window takes no input meanwhile all the same (the work display
    // drops it), but a modal window would keep its close request from it.
    setFixedSize(Size);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Skin::cream);
    colours.setColor(QPalette::WindowText, Skin::red);
    setPalette(colours);
    setFont(Skin::controlFont());

    auto *caption = new QLabel(captionOf(kind), this);
    caption->setObjectName(QStringLiteral("LblCaption"));
    caption->setFont(Skin::titleFont());
    caption->setGeometry(12, 10, 276, 22);
    m_bar->setObjectName(QStringLiteral("BarProgress"));
    m_bar->setAccessibleName(workName(kind));
    m_bar->setGeometry(12, 38, 276, 18);
    m_bar->setTextVisible(false);
    m_count->setObjectName(QStringLiteral("LblCount"));
    m_count->setGeometry(12, 62, 186, 18);
    m_cancel->setObjectName(QStringLiteral("BtnCancel"));
    m_cancel->setGeometry(CancelPlace);
    m_cancel->setEnabled(progress.cancellable());
    connect(m_cancel, &QPushButton::clicked, this, &ProgressWindow::cancel);
    m_cancel->setFocus();

    if (over)
        move(over->geometry().center() - rect().center());
    showCount();
}

void ProgressWindow::showCount()
{
    if (m_shown.isValid() && !m_shown.hasExpired(ShowInterval))
        return;
    m_shown.start();
    const qsizetype done = m_progress.done();
    const qsizetype total = m_progress.total();
    if (total > 0) {
        // In percent, as screen readers say it; a count past an int's range still fits.
        m_bar->setRange(0, 100);
        m_bar->setValue(int(done * 100 / total));
        m_count->setText(QStringLiteral("%1 из %2").arg(done).arg(total));
    } else {
        m_bar->setRange(0, 0); // a moving bar: there is no total in advance
        m_count->setText(QStringLiteral("Прочитано файлов: %1").arg(done));
    }
}

void ProgressWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Skin::cream);
    painter.setPen(Skin::red);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void ProgressWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        cancel();
    else
        QWidget::keyPressEvent(event);
}

void ProgressWindow::closeEvent(QCloseEvent *event)
{
    event->ignore();
    cancel();
}

void ProgressWindow::cancel()
{
    if (!m_progress.cancellable())
        return;
    m_progress.cancel();
    m_cancel->setEnabled(false);
}

} // namespace velmix
