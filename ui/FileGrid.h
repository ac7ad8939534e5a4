#pragma once

#include <QTableView>

namespace velmix {

// The grid of current and new names. A click shows the clicked cell's full text as the
// grid's tooltip (and the reason of its mark below), which stays until the pointer has moved more than 10 pixels sideways
// from where it first moved after the click.
class FileGrid : public QTableView
{
    Q_OBJECT

public:
    explicit FileGrid(QWidget *parent = nullptr);

    void splitColumnsEvenly();
    // Tells screen readers how many rows are marked, which they cannot find among
    // thousands of rows themselves.
    void showMarkedRows(int count);

    static constexpr int TipTolerance = 10;

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    bool viewportEvent(QEvent *event) override;

private:
    void FlexGrid1_Click(const QModelIndex &index);
    void FlexGrid1_MouseMove(double pointerX);

    bool m_tipPending = false;
    int m_tipAnchorX = 0;
};

} // namespace velmix
