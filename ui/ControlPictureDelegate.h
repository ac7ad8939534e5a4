#pragma once

#include <QStyledItemDelegate>

namespace velmix {

// Draws the grid's cells; where a name shows pictures of control characters (␊, ␉, ␁),
// those are drawn larger than the text around them: the fonts that have them draw two
// tiny letters inside the glyph, which a screen of scale 1 makes unreadable. A cell too
// narrow loses its middle, as every cell of the grid does. The characters a new name
// changes (FileGridModel::ChangedRunsRole) are drawn in the skin's accent colour, and
// underlined in a selected row, whose own colours the accent would not stand out on.
class ControlPictureDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // How much larger than the text the pictures are drawn.
    static constexpr double PictureScale = 1.6;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

} // namespace velmix
