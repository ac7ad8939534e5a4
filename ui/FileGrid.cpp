#include "FileGrid.h"

#include "ControlPictureDelegate.h"
#include "FileGridModel.h"
#include "Skin.h"
#include "text/FileExtension.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace velmix {

FileGrid::FileGrid(QWidget *parent)
    : QTableView(parent)
{
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &FileGrid::header_Click);
    connect(horizontalHeader(), &QHeaderView::sectionCountChanged, this, &FileGrid::fitDateColumn);
    // Rows move within the grid alone; a folder dropped from outside goes on to the window.
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::InternalMove);
    setDropIndicatorShown(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideMiddle);
    setItemDelegate(new ControlPictureDelegate(this));
    setTabKeyNavigation(false); // Tab moves on to the next control
    // A single click keeps showing the tooltip; the keys and a double-click open an editor
    // (only the new-name column takes one).
    setEditTriggers(QAbstractItemView::EditKeyPressed);
    setMouseTracking(true);

    QPalette colours = palette();
    colours.setColor(QPalette::Base, Skin::cream);
    colours.setColor(QPalette::Text, Qt::black);
    setPalette(colours);
    setStyleSheet(QStringLiteral("QTableView { gridline-color: rgb(192,192,192); }"
                                 "QHeaderView::section { color: rgb(255,0,0); background-color: palette(button);"
                                 " border: none; border-right: 1px solid rgb(192,192,192);"
                                 " border-bottom: 1px solid rgb(192,192,192); padding-left: 2px; }"));
    connect(this, &QTableView::clicked, this, &FileGrid::FlexGrid1_Click);
}

void FileGrid::splitColumnsEvenly()
{
    // Halves of the visible width, so neither the frame nor a vertical scroll bar pushes
    // the second column out of sight.
    QHeaderView *header = horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(true);
    m_evenSplit = true;
    connect(header, &QHeaderView::sectionResized, this, [this](int section) {
        if (section != 0 || m_splitting)
            return;
        m_evenSplit = false; // the user's width stays, a drag's or a fit's, within the rule
        keepBothColumns(columnWidth(0));
    });
    followWidth();
}

int FileGrid::firstColumnWidthKept() const
{
    return m_evenSplit ? 0 : columnWidth(0);
}

void FileGrid::keepFirstColumnWidth(int width)
{
    if (width <= 0)
        return;
    m_evenSplit = false;
    m_keptWidth = width;
    if (isVisible())
        followWidth();
}

int FileGrid::namesWidth() const
{
    const QHeaderView *header = horizontalHeader();
    return viewport()->width() - (header->count() > DateColumn ? header->sectionSize(DateColumn) : 0);
}

void FileGrid::fitDateColumn()
{
    // The dates take the width of their text at the end; the names share the rest, the
    // new names stretching to it.
    QHeaderView *header = horizontalHeader();
    const bool dates = header->count() > DateColumn;
    if (header->count() > 1)
        header->setSectionResizeMode(1, dates ? QHeaderView::Stretch : QHeaderView::Interactive);
    header->setStretchLastSection(!dates);
    if (dates) {
        header->setSectionResizeMode(DateColumn, QHeaderView::Fixed);
        header->resizeSection(DateColumn, fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00 00:00:00")) + 12);
    }
    followWidth();
}

int FileGrid::firstColumnWithin(int width) const
{
    const int visible = namesWidth();
    const int third = (visible + 2) / 3;
    return std::clamp(width, third, std::max(third, visible - third));
}

void FileGrid::keepBothColumns(int firstWidth)
{
    const int within = firstColumnWithin(firstWidth);
    if (within == columnWidth(0))
        return;
    m_splitting = true;
    setColumnWidth(0, within);
    m_splitting = false;
}

void FileGrid::followWidth()
{
    if (m_keptWidth > 0) {
        keepBothColumns(m_keptWidth);
        m_keptWidth = 0;
    }
    // A narrower grid never hides the new names behind a wide first column.
    keepBothColumns(m_evenSplit ? (namesWidth() + 1) / 2 : columnWidth(0));
}

int FileGrid::sizeHintForColumn(int column) const
{
    // The visible rows and the row with the most characters, which holds the longest name
    // in all but the rarest fonts: no row beyond them is measured, however many there are.
    int widest = QTableView::sizeHintForColumn(column);
    const QAbstractItemModel *names = model();
    int longestRow = -1;
    qsizetype longest = -1;
    for (int row = 0; row < names->rowCount(); ++row) {
        const qsizetype length = names->index(row, column).data().toString().size();
        if (length > longest) {
            longest = length;
            longestRow = row;
        }
    }
    if (longestRow >= 0) {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        const QModelIndex index = names->index(longestRow, column);
        widest = std::max(widest, itemDelegateForIndex(index)->sizeHint(option, index).width() + (showGrid() ? 1 : 0));
    }
    return widest;
}

void FileGrid::showMarkedRows(int count)
{
    setAccessibleDescription(count > 0 ? QStringLiteral("Отмечено строк: %1").arg(count) : QString());
}

void FileGrid::showNoFiles(bool noFiles)
{
    if (noFiles != m_noFiles) {
        m_noFiles = noFiles;
        setAccessibleDescription(noFiles ? NoFilesText : QString());
        viewport()->update();
    }
}

QString FileGrid::tipOf(const QModelIndex &index) const
{
    // A marked new name tells on a second line why the apply will refuse it; while dates
    // are used, the last line says where the row's came from.
    QStringList lines{model()->data(index, Qt::DisplayRole).toString()};
    for (const int role : {int(FileGridModel::NoteRole), int(Qt::ToolTipRole)}) {
        const QString line = model()->data(index, role).toString();
        if (!line.isEmpty() && !lines.contains(line))
            lines.append(line);
    }
    return lines.join(u'\n');
}

void FileGrid::FlexGrid1_Click(const QModelIndex &index)
{
    setToolTip(tipOf(index));
    m_tipPending = true;
}

void FileGrid::FlexGrid1_MouseMove(double pointerX)
{
    if (m_tipPending) {
        m_tipAnchorX = int(std::nearbyint(pointerX));
        m_tipPending = false;
    }
    if (std::abs(m_tipAnchorX - pointerX) > TipTolerance && !toolTip().isEmpty()) {
        setToolTip(QString());
        QToolTip::hideText();
    }
}

bool FileGrid::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    if (!QTableView::edit(index, trigger, event))
        return false;
    if (auto *editor = qobject_cast<QLineEdit *>(indexWidget(index))) {
        // A folder's row (shown with its "/") has no extension: all of its name is taken.
        const bool folder = index.data().toString().endsWith(u'/');
        editor->setSelection(0, int(folder ? editor->text().size() : lengthBeforeExtension(editor->text())));
        // A screen reader in the editor hears whose name it edits, not a nameless field.
        editor->setAccessibleName(EditorName.arg(index.siblingAtColumn(0).data().toString()));
    }
    return true;
}

void FileGrid::header_Click(int column)
{
    if (model() == nullptr || model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString().isEmpty())
        return; // an empty listing: nothing to sort
    m_descending = column == m_sortColumn && !m_descending;
    m_sortColumn = column;
    Q_EMIT sortRequested(column, m_descending);
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(column, m_descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void FileGrid::clearSortIndicator()
{
    m_sortColumn = -1;
    horizontalHeader()->setSortIndicatorShown(false);
}

QList<int> FileGrid::selectedRowNumbers() const
{
    QList<int> rows;
    if (selectionModel()) {
        for (const QModelIndex &index : selectionModel()->selectedIndexes())
            rows.append(index.row());
    }
    if (rows.isEmpty() && currentIndex().isValid())
        rows.append(currentIndex().row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void FileGrid::selectMovedRows(int first, int count)
{
    if (first < 0 || count <= 0 || !model())
        return;
    const QModelIndex top = model()->index(first, 0);
    setCurrentIndex(top);
    selectionModel()->select(QItemSelection(top, model()->index(first + count - 1, model()->columnCount() - 1)),
                             QItemSelectionModel::ClearAndSelect);
    scrollTo(top);
}

void FileGrid::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->source() == this)
        event->acceptProposedAction();
    else
        event->ignore();
}

void FileGrid::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->source() != this) {
        event->ignore();
        return;
    }
    QTableView::dragMoveEvent(event); // draws where the rows would go
    event->acceptProposedAction();
}

void FileGrid::dropEvent(QDropEvent *event)
{
    if (event->source() != this) {
        event->ignore();
        return;
    }
    const QModelIndex at = indexAt(event->position().toPoint());
    int before = at.isValid() ? at.row() : model()->rowCount();
    // Below the middle of a row: after it.
    if (at.isValid() && event->position().y() > visualRect(at).center().y())
        ++before;
    const QList<int> rows = selectedRowNumbers();
    event->setDropAction(Qt::IgnoreAction); // the core arranges the rows; the view removes none
    event->accept();
    stopAutoScroll();
    setState(NoState);
    viewport()->update();
    if (!rows.isEmpty())
        Q_EMIT moveRequested(rows, before);
}

void FileGrid::keyPressEvent(QKeyEvent *event)
{
    // Alt+Up, Alt+Down: the selected rows, as one block, one place up or down.
    if (event->modifiers() == Qt::AltModifier && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        const QList<int> rows = selectedRowNumbers();
        if (!rows.isEmpty()) {
            const int before = event->key() == Qt::Key_Up ? rows.first() - 1 : rows.last() + 2;
            if (before >= 0 && before <= model()->rowCount())
                Q_EMIT moveRequested(rows, before);
        }
        event->accept();
        return;
    }
    // From either column, the keys open the current row's new name.
    const bool editKey = event->key() == Qt::Key_F2 || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (editKey && event->modifiers() == Qt::NoModifier && state() != EditingState && currentIndex().isValid()) {
        const QModelIndex newName = currentIndex().siblingAtColumn(1);
        setCurrentIndex(newName);
        edit(newName);
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Paste) && state() != EditingState && currentIndex().column() == 1) {
        Q_EMIT namesPasted(currentIndex().row(), QGuiApplication::clipboard()->text());
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void FileGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid() && (index.flags() & Qt::ItemIsEditable)) {
        setCurrentIndex(index);
        edit(index);
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}

void FileGrid::mouseMoveEvent(QMouseEvent *event)
{
    FlexGrid1_MouseMove(event->position().x());
    QTableView::mouseMoveEvent(event);
}

bool FileGrid::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::Resize)
        followWidth();
    // The tooltip belongs to the grid as a whole, not to a cell.
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QString tip = toolTip().isEmpty() ? tipOf(indexAt(help->pos())) : toolTip();
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, viewport());
        return true;
    }
    return QTableView::viewportEvent(event);
}

void FileGrid::paintEvent(QPaintEvent *event)
{
    QTableView::paintEvent(event);
    if (!m_noFiles)
        return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::PlaceholderText));
    const int below = rowHeight(0);
    painter.drawText(viewport()->rect().adjusted(0, below, 0, 0), Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
                     NoFilesText);
}

} // namespace velmix
