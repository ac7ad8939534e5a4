// Draws the window's skin pictures, so they can be changed here and redrawn instead of
// being edited by hand. Usage: velmix_drawskin <output folder>

#include "SkinDrawing.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QTextStream>

#include <cmath>
#include <numbers>

namespace {

using velmix::SkinDrawing::cream;
using velmix::SkinDrawing::drawBackground;
using velmix::SkinDrawing::drawRoundButtonFace;
using velmix::SkinDrawing::faceGradient;
using velmix::SkinDrawing::red;
using velmix::SkinDrawing::ringRed;
const QColor white(255, 255, 255);

constexpr int jpegQuality = 92;

QPen symbolPen(const QColor &colour, qreal width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

constexpr qreal panelCornerRadius = velmix::SkinDrawing::PanelCornerRadius;

constexpr QRectF titleButtonCircle(2, 1, 35, 35);

// Leaves the painter set up for the white symbol.
void drawTitleButton(QPainter &painter)
{
    // The button is masked to its circle; ring colour outside keeps the cut edge red.
    painter.fillRect(QRectF(0, 0, 40, 40), ringRed);
    drawRoundButtonFace(painter, titleButtonCircle);
    painter.setPen(symbolPen(white, 3.5));
}

void drawClose(QPainter &painter)
{
    drawTitleButton(painter);
    const QPointF centre = titleButtonCircle.center();
    constexpr qreal arm = 6.5;
    painter.drawLine(centre + QPointF(-arm, -arm), centre + QPointF(arm, arm));
    painter.drawLine(centre + QPointF(-arm, arm), centre + QPointF(arm, -arm));
}

void drawMinimise(QPainter &painter)
{
    drawTitleButton(painter);
    const QPointF centre = titleButtonCircle.center();
    constexpr qreal halfLength = 7.5;
    painter.drawLine(centre + QPointF(-halfLength, 0), centre + QPointF(halfLength, 0));
}

constexpr QRectF pill(1, 1.5, 82, 36);
constexpr QRectF narrowPill(1, 1.5, 50, 36);

// Leaves the painter set up for the white symbol.
void drawPillIn(QPainter &painter, const QRectF &shape)
{
    painter.fillRect(QRectF(0, 0, shape.width() + 2, 39), cream);
    const qreal radius = shape.height() / 2;
    painter.setPen(QPen(ringRed, 1.5));
    painter.setBrush(faceGradient(shape));
    painter.drawRoundedRect(shape.adjusted(0.75, 0.75, -0.75, -0.75), radius - 0.75, radius - 0.75);
    painter.setPen(symbolPen(white, 3.5));
    painter.setBrush(Qt::NoBrush);
}

void drawPill(QPainter &painter)
{
    drawPillIn(painter, pill);
}

// Two chevrons pointing the way the rules panel moves: out (direction 1) or back (-1).
void drawChevrons(QPainter &painter, qreal direction)
{
    drawPillIn(painter, narrowPill);
    const QPointF centre = narrowPill.center();
    for (const qreal offset : {-4.5, 4.5}) {
        const QPointF tip = centre + QPointF(offset + direction * 3, 0);
        const QPointF arms[] = {tip + QPointF(-direction * 5.5, -7), tip, tip + QPointF(-direction * 5.5, 7)};
        painter.drawPolyline(arms, 3);
    }
}

void drawMoreRules(QPainter &painter)
{
    drawChevrons(painter, 1);
}

void drawFewerRules(QPainter &painter)
{
    drawChevrons(painter, -1);
}

// The rules panel beside the window: the same rim and corners as the window's panel.
constexpr QRectF rulesPanel(0, 0, 300, 555);

void drawRulesPanel(QPainter &painter)
{
    constexpr qreal rimWidth = 3;
    // Red up to the picture's edge, so the hard-edged mask never cuts into cream.
    painter.fillRect(rulesPanel, red);
    const qreal innerRadius = panelCornerRadius - rimWidth;
    painter.setPen(Qt::NoPen);
    painter.setBrush(cream);
    painter.drawRoundedRect(rulesPanel.adjusted(rimWidth, rimWidth, -rimWidth, -rimWidth), innerRadius, innerRadius);
}

// The rule sets' two buttons beside their list: a red disc with a plus (save) or a bin
// (delete, unlike the window's close cross a few pixels away), on the panel's cream.
void drawSetButton(QPainter &painter)
{
    painter.fillRect(QRectF(0, 0, 31, 31), cream);
    drawRoundButtonFace(painter, QRectF(2, 2, 27, 27));
    painter.setPen(symbolPen(white, 3));
}

void drawSaveSet(QPainter &painter)
{
    drawSetButton(painter);
    constexpr qreal arm = 6.5;
    painter.drawLine(QPointF(15.5 - arm, 15.5), QPointF(15.5 + arm, 15.5));
    painter.drawLine(QPointF(15.5, 15.5 - arm), QPointF(15.5, 15.5 + arm));
}

void drawDeleteSet(QPainter &painter)
{
    drawSetButton(painter);
    painter.setPen(symbolPen(white, 1.8));
    painter.drawLine(QPointF(9.5, 10.5), QPointF(21.5, 10.5)); // the lid
    painter.drawLine(QPointF(13.5, 8.5), QPointF(17.5, 8.5)); // its handle
    const QPointF body[] = {QPointF(11, 12.5), QPointF(12, 22.5), QPointF(19, 22.5), QPointF(20, 12.5)};
    painter.drawPolyline(body, 4);
    painter.setPen(symbolPen(white, 1.2));
    for (const qreal x : {13.8, 15.5, 17.2})
        painter.drawLine(QPointF(x, 14.5), QPointF(x, 20.5));
}

void drawHelp(QPainter &painter)
{
    drawPill(painter);
    const QPointF centre = pill.center();
    const QRectF hook(centre.x() - 5.5, centre.y() - 10.5, 11, 11);
    QPainterPath mark;
    mark.arcMoveTo(hook, 160);
    mark.arcTo(hook, 160, -220);
    mark.quadTo(centre + QPointF(0, -1), centre + QPointF(0, 3));
    painter.drawPath(mark);
    painter.setPen(Qt::NoPen);
    painter.setBrush(white);
    painter.drawEllipse(centre + QPointF(0, 8.5), 2.2, 2.2);
}

void drawReset(QPainter &painter)
{
    drawPill(painter);
    const QPointF centre = pill.center();
    constexpr qreal radius = 8;
    constexpr qreal startAngle = 70;
    constexpr qreal sweep = 290;
    const QRectF circle(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    QPainterPath arc;
    arc.arcMoveTo(circle, startAngle);
    arc.arcTo(circle, startAngle, -sweep);
    painter.drawPath(arc);

    // Arrow head at the arc's open end, pointing along the turn (clockwise on screen).
    const qreal angle = (startAngle - sweep) * std::numbers::pi / 180;
    const QPointF radial(std::cos(angle), -std::sin(angle));
    const QPointF along(-radial.y(), radial.x());
    const QPointF end = centre + radius * radial;
    constexpr qreal head = 5;
    QPainterPath arrow;
    arrow.moveTo(end + head * along);
    arrow.lineTo(end + head * radial - 0.6 * head * along);
    arrow.lineTo(end - head * radial - 0.6 * head * along);
    arrow.closeSubpath();
    painter.setPen(symbolPen(white, 1.5));
    painter.setBrush(white);
    painter.drawPath(arrow);
}

void drawApply(QPainter &painter)
{
    drawPill(painter);
    const QPointF centre = pill.center();
    const QPointF tick[] = {centre + QPointF(-8.5, 0.5), centre + QPointF(-3, 6),
                            centre + QPointF(8.5, -6.5)};
    painter.drawPolyline(tick, 3);
}

constexpr QRectF checkBox(4.5, 4.5, 22, 22);

void drawUnchecked(QPainter &painter)
{
    painter.fillRect(QRectF(0, 0, 31, 31), cream);
    painter.setPen(QPen(red, 2));
    painter.setBrush(white);
    painter.drawRoundedRect(checkBox.adjusted(1, 1, -1, -1), 2.5, 2.5);
}

void drawChecked(QPainter &painter)
{
    drawUnchecked(painter);
    painter.setPen(symbolPen(red, 3.5));
    const QPointF tick[] = {QPointF(9.5, 15.5), QPointF(13.5, 19.5), QPointF(21.5, 10.5)};
    painter.drawPolyline(tick, 3);
}

struct Picture {
    const char *name;
    QSize size;
    void (*draw)(QPainter &);
};

const Picture pictures[] = {
    {"background", velmix::SkinDrawing::BackgroundSize, [](QPainter &painter) { drawBackground(painter); }},
    {"close", {40, 40}, drawClose},
    {"minimise", {40, 40}, drawMinimise},
    {"help", {84, 39}, drawHelp},
    {"reset", {84, 39}, drawReset},
    {"apply", {84, 39}, drawApply},
    {"checked", {31, 31}, drawChecked},
    {"unchecked", {31, 31}, drawUnchecked},
    {"morerules", {52, 39}, drawMoreRules},
    {"fewerrules", {52, 39}, drawFewerRules},
    {"rulespanel", {300, 555}, drawRulesPanel},
    {"saveset", {31, 31}, drawSaveSet},
    {"deleteset", {31, 31}, drawDeleteSet},
};

// Drawn on a 256 × 256 square and scaled to each size.
void drawIcon(QPainter &painter)
{
    const QRectF square(8, 8, 240, 240);
    painter.setPen(Qt::NoPen);
    painter.setBrush(faceGradient(square));
    painter.drawRoundedRect(square, 52, 52);

    QPainterPath letter;
    letter.moveTo(52, 62);
    letter.lineTo(104, 62);
    letter.lineTo(134, 158);
    letter.lineTo(166, 62);
    letter.lineTo(204, 62);
    letter.lineTo(152, 198);
    letter.lineTo(110, 198);
    letter.closeSubpath();
    painter.setPen(symbolPen(white, 8));
    painter.setBrush(white);
    painter.drawPath(letter);
}

constexpr int iconSizes[] = {16, 32, 48, 256};

bool save(const QImage &image, const QString &path, const char *format, int quality)
{
    if (image.save(path, format, quality))
        return true;
    QTextStream(stderr) << "Cannot write " << path << '\n';
    return false;
}

QImage render(QSize size, qreal scale, QImage::Format format, void (*draw)(QPainter &))
{
    QImage image(size * scale, format);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    draw(painter);
    return image;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "Usage: " << argv[0] << " <output folder>\n";
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(".")) {
        QTextStream(stderr) << "Cannot create " << folder.path() << '\n';
        return 1;
    }

    bool ok = true;
    for (const Picture &picture : pictures) {
        for (const int scale : {1, 2}) {
            const QString name =
                QString::fromLatin1(picture.name) + (scale == 2 ? "@2x.jpg" : ".jpg");
            const QImage image = render(picture.size, scale, QImage::Format_RGB32, picture.draw);
            ok = save(image, folder.filePath(name), "JPG", jpegQuality) && ok;
        }
    }
    for (const int size : iconSizes) {
        const QImage image =
            render({256, 256}, size / 256.0, QImage::Format_ARGB32_Premultiplied, drawIcon);
        ok = save(image, folder.filePath(QString("icon-%1.png").arg(size)), "PNG", -1) && ok;
    }
    return ok ? 0 : 1;
}
