#pragma once

#include <QTableView>

namespace velmix {

// The grid of current and new names. A name too long for its column loses its middle, so
// its number and extension stay in sight. A click shows the clicked cell's full text as
// the grid's tooltip (and the reason of its mark below), which stays until the pointer has
// moved more than 10 pixels sideways from where it first moved after the click; resting
// the pointer on a cell shows the same. F2, Enter or a double-click opens the row's new
// name for editing in its cell, the name before its extension selected, so what is typed
// keeps the extension; Enter keeps the typed name, Esc leaves it. A double-click
// on the border between the headers fits the first column to its longest name. Whatever
// sets the first column's width (a drag, a fit, a kept width, a narrower window), each
// column keeps at least a third of the grid, so the new names never leave it.
// Ctrl+V in the new-name column hands the clipboard's text on, for its lines to fill the
// rows down. A click on a header asks for the rows sorted by that column, a second click on it the other
// way; Alt+Up and Alt+Down, or a drag of the selected rows, ask for them moved. The grid
// only asks: the core arranges the rows, and the grid shows them reloaded. While the
// model shows a date column, it stands last at the width of a date, and the thirds are
// of the width the names have.
class FileGrid : public QTableView
{
    Q_OBJECT

public:
    explicit FileGrid(QWidget *parent = nullptr);

    // The two columns share the width evenly (the first takes an odd pixel) until the user
    // drags the border between their headers; the second then takes what the first leaves.
    void splitColumnsEvenly();
    // The first column's width the user gave it, to keep between runs; 0 while the columns
    // share the width evenly.
    [[nodiscard]] int firstColumnWidthKept() const;
    // Gives the first column a width kept from an earlier run (0: none), once the grid
    // has its width, within the thirds.
    void keepFirstColumnWidth(int width);
    // Tells screen readers how many rows are marked, which they cannot find among
    // thousands of rows themselves.
    void showMarkedRows(int count);
    // An empty listing keeps its blank row under a blank header, with "Нет файлов" below.
    void showNoFiles(bool noFiles);

    // The rows `rows` arranged: the first of them is now at `first`; they stay selected.
    void selectMovedRows(int first, int count);
    // No column shows a sort arrow: the rows are in an order no header gives.
    void clearSortIndicator();

    static constexpr int TipTolerance = 10;
    static constexpr int DateColumn = 2;
    static inline const QString NoFilesText = QStringLiteral("Нет файлов");
    // What a screen reader calls a row's open editor; %1: the file's current name.
    static inline const QString EditorName = QStringLiteral("Новое имя для «%1»");

    using QTableView::edit;

Q_SIGNALS:
    void namesPasted(int row, const QString &text);
    void sortRequested(int column, bool descending);
    // The selected rows, to stand before the row `before` (the row count: at the end).
    void moveRequested(const QList<int> &rows, int before);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    [[nodiscard]] int sizeHintForColumn(int column) const override;

private:
    void FlexGrid1_Click(const QModelIndex &index);
    void FlexGrid1_MouseMove(double pointerX);

    [[nodiscard]] QString tipOf(const QModelIndex &index) const;
    [[nodiscard]] QList<int> selectedRowNumbers() const;
    void header_Click(int column);

    // On a resize: the kept width is given once; an even split stays even. Nothing is
    // measured row by row, so a resize costs the same for any number of rows.
    void followWidth();
    // The width the two name columns share: the grid's, less the date column's.
    [[nodiscard]] int namesWidth() const;
    void fitDateColumn();
    // The first column's width nearest to `width` that leaves each column a third.
    [[nodiscard]] int firstColumnWithin(int width) const;
    void keepBothColumns(int firstWidth);

    int m_sortColumn = -1;
    bool m_descending = false;
    bool m_evenSplit = false;
    int m_keptWidth = 0; // to give the first column at the next resize
    bool m_splitting = false; // the grid itself sets the width, not the user
    bool m_noFiles = false;
    bool m_tipPending = false;
    int m_tipAnchorX = 0;
};

} // namespace velmix
