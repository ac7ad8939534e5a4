#include "ControlPictureDelegate.h"

#include "FileGridModel.h"
#include "Skin.h"

#include "text/Surrogates.h"

#include <QApplication>
#include <QPainter>

#include <algorithm>
#include <vector>

namespace velmix {
namespace {

bool isControlPicture(QChar c)
{
    return c.unicode() >= 0x2400 && c.unicode() <= 0x2421;
}

} // namespace

void ControlPictureDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QList<int> changedRuns = index.data(FileGridModel::ChangedRunsRole).value<QList<int>>();
    if (changedRuns.isEmpty() && std::none_of(cell.text.cbegin(), cell.text.cend(), isControlPicture)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    std::vector<bool> changed(size_t(cell.text.size()), false);
    for (qsizetype i = 0; i + 1 < changedRuns.size(); i += 2) {
        for (qsizetype unit = changedRuns[i]; unit < changedRuns[i] + changedRuns[i + 1] && unit < cell.text.size(); ++unit)
            changed[size_t(unit)] = true;
    }
    const QString text = cell.text;
    cell.text.clear(); // the style draws the background, the mark's sign and the focus
    const QStyle *style = cell.widget ? cell.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, cell.widget);

    QFont pictureFont = cell.font;
    if (cell.font.pointSizeF() > 0)
        pictureFont.setPointSizeF(cell.font.pointSizeF() * PictureScale);
    else
        pictureFont.setPixelSize(qRound(cell.font.pixelSize() * PictureScale));
    const QFontMetricsF textMetrics(cell.font), pictureMetrics(pictureFont);
    const auto widthOf = [&](QStringView part) {
        return isControlPicture(part.front()) ? pictureMetrics.horizontalAdvance(part.toString())
                                              : textMetrics.horizontalAdvance(part.toString());
    };
    // The text in characters, a surrogate pair counting as one, each with whether it is
    // changed.
    std::vector<QStringView> characters;
    std::vector<bool> characterChanged;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = characterUnitsAt(text, i);
        characters.push_back(QStringView(text).mid(i, length));
        characterChanged.push_back(changed[size_t(i)]);
        i += length;
    }
    const QRectF room = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, cell.widget).adjusted(2, 0, -2, 0);
    double used = 0;
    for (QStringView character : characters)
        used += widthOf(character);
    // Too wide: characters from both ends while they fit, the middle given up to "…".
    size_t front = characters.size(), back = characters.size();
    if (used > room.width()) {
        const double budget = room.width() - textMetrics.horizontalAdvance(u'…');
        used = 0;
        front = 0;
        for (bool fromFront = true; front < back; fromFront = !fromFront) {
            const double next = widthOf(fromFront ? characters[front] : characters[back - 1]);
            if (used + next > budget)
                break;
            used += next;
            fromFront ? ++front : --back;
        }
    }
    painter->save();
    const bool selected = cell.state & QStyle::State_Selected;
    const QColor textColour = cell.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    const double baseline = room.bottom() - textMetrics.descent();
    // Drawn in runs of one font and one colour, so the text between them keeps its shaping.
    QString shown;
    std::vector<bool> shownChanged;
    for (size_t i = 0; i < characters.size(); ++i) {
        if (i == front && back > front) {
            shown += u'…';
            shownChanged.push_back(false);
        }
        if (i < front || i >= back) {
            shown += characters[i];
            shownChanged.resize(size_t(shown.size()), characterChanged[i]);
        }
    }
    double x = room.left();
    for (qsizetype start = 0; start < shown.size();) {
        const bool picture = isControlPicture(shown[start]);
        const bool isChanged = shownChanged[size_t(start)];
        qsizetype end = start + 1;
        while (end < shown.size() && isControlPicture(shown[end]) == picture && shownChanged[size_t(end)] == isChanged)
            ++end;
        const QString run = shown.mid(start, end - start);
        QFont font = picture ? pictureFont : cell.font;
        font.setUnderline(isChanged && selected);
        painter->setFont(font);
        painter->setPen(isChanged && !selected ? Skin::accent : textColour);
        painter->drawText(QPointF(x, baseline), run);
        x += (picture ? pictureMetrics : textMetrics).horizontalAdvance(run);
        start = end;
    }
    painter->restore();
}

} // namespace velmix
