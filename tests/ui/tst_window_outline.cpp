#include "WindowOutline.h"

#include <QTest>

using namespace velmix;

// Expected pixels worked out by hand from the shapes: a pixel is inside when its centre
// lies inside the shape.
class TestWindowOutline : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mainWindowPixels_data()
    {
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<bool>("inside");
        QTest::newRow("panel left edge") << QPoint(5, 300) << true;
        QTest::newRow("left of panel") << QPoint(4, 300) << false;
        QTest::newRow("panel right edge") << QPoint(559, 300) << true;
        QTest::newRow("right edge exclusive") << QPoint(560, 300) << false;
        QTest::newRow("panel top edge") << QPoint(300, 24) << true;
        QTest::newRow("above panel") << QPoint(300, 23) << false;
        QTest::newRow("panel bottom edge") << QPoint(300, 578) << true;
        QTest::newRow("bottom edge exclusive") << QPoint(300, 579) << false;
        QTest::newRow("top-left corner cut") << QPoint(5, 24) << false;
        QTest::newRow("top-left arc, first in row") << QPoint(12, 24) << true;
        QTest::newRow("top-left arc, last out in row") << QPoint(11, 24) << false;
        QTest::newRow("top-left arc, first in column") << QPoint(5, 31) << true;
        QTest::newRow("top-left arc, last out in column") << QPoint(5, 30) << false;
        QTest::newRow("top-right arc") << QPoint(552, 24) << true;
        QTest::newRow("top-right arc, out") << QPoint(553, 24) << false;
        QTest::newRow("bottom-left arc") << QPoint(12, 578) << true;
        QTest::newRow("bottom-left arc, out") << QPoint(11, 578) << false;
        QTest::newRow("bottom-right corner cut") << QPoint(559, 578) << false;
        QTest::newRow("bottom-right arc") << QPoint(552, 578) << true;
        QTest::newRow("minimise circle top") << QPoint(494, 12) << true;
        QTest::newRow("minimise circle top, left out") << QPoint(493, 12) << false;
        QTest::newRow("minimise circle top, right") << QPoint(501, 12) << true;
        QTest::newRow("above minimise circle") << QPoint(498, 11) << false;
        QTest::newRow("minimise circle above the panel") << QPoint(483, 20) << true;
        QTest::newRow("left of minimise circle") << QPoint(482, 20) << false;
        QTest::newRow("close circle top") << QPoint(531, 12) << true;
        QTest::newRow("close circle above the panel") << QPoint(545, 20) << true;
        QTest::newRow("right of close circle") << QPoint(546, 20) << false;
        QTest::newRow("between the circles' tops") << QPoint(515, 12) << false;
        QTest::newRow("left of the circles above the panel") << QPoint(470, 20) << false;
    }
    void mainWindowPixels()
    {
        QFETCH(QPoint, pixel);
        QFETCH(bool, inside);
        QCOMPARE(WindowOutline::mainWindow().contains(pixel), inside);
    }

    void roundButtonPixels_data()
    {
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<bool>("inside");
        QTest::newRow("left edge") << QPoint(2, 18) << true;
        QTest::newRow("left of circle") << QPoint(1, 18) << false;
        QTest::newRow("right edge") << QPoint(36, 18) << true;
        QTest::newRow("right edge exclusive") << QPoint(37, 18) << false;
        QTest::newRow("top edge") << QPoint(19, 1) << true;
        QTest::newRow("above circle") << QPoint(19, 0) << false;
        QTest::newRow("bottom edge") << QPoint(19, 35) << true;
        QTest::newRow("bottom edge exclusive") << QPoint(19, 36) << false;
        QTest::newRow("top row, first in") << QPoint(15, 1) << true;
        QTest::newRow("top row, left out") << QPoint(14, 1) << false;
        QTest::newRow("top row, last in") << QPoint(23, 1) << true;
        QTest::newRow("top row, right out") << QPoint(24, 1) << false;
        QTest::newRow("box corner") << QPoint(2, 1) << false;
        QTest::newRow("diagonal, inside") << QPoint(8, 7) << true;
        QTest::newRow("diagonal, outside") << QPoint(6, 5) << false;
    }
    void roundButtonPixels()
    {
        QFETCH(QPoint, pixel);
        QFETCH(bool, inside);
        QCOMPARE(WindowOutline::roundButton().contains(pixel), inside);
    }

    void shapesStayInTheirBoxes()
    {
        QCOMPARE(WindowOutline::mainWindow().boundingRect(), QRect(QPoint(5, 12), QPoint(559, 578)));
        QCOMPARE(WindowOutline::roundButton().boundingRect(), QRect(QPoint(2, 1), QPoint(36, 35)));
    }

    // Grown, the panel's corners keep their arcs and the title buttons' circles go with
    // the right edge.
    void grownWindowKeepsItsShape()
    {
        const QRegion grown = WindowOutline::mainWindow(QSize(100, 50));
        QCOMPARE(grown.boundingRect(), QRect(QPoint(5, 12), QPoint(659, 628)));
        for (const QPoint corner : {QPoint(5, 24), QPoint(659, 24), QPoint(5, 628), QPoint(659, 628)}) {
            QVERIFY(!grown.contains(corner));
            // On the diagonal the arc (radius 10.5) passes between the second and third pixel.
            const QPoint inward(corner.x() < 300 ? 1 : -1, corner.y() < 300 ? 1 : -1);
            QVERIFY(grown.contains(corner + inward * 3));
            QVERIFY(!grown.contains(corner + inward * 2));
        }
        QCOMPARE(grown.intersected(QRect(400, 0, 400, 24)),
                 WindowOutline::mainWindow().intersected(QRect(300, 0, 400, 24)).translated(100, 0));
    }

    void ellipseIsSymmetric()
    {
        const QRegion circle = WindowOutline::ellipse(QRect(0, 0, 35, 35));
        for (int y = 0; y < 35; ++y)
            for (int x = 0; x < 35; ++x)
                QCOMPARE(circle.contains(QPoint(x, y)), circle.contains(QPoint(34 - x, 34 - y)));
    }
};

QTEST_GUILESS_MAIN(TestWindowOutline)
#include "tst_window_outline.moc"
