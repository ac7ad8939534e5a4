#include "Skin.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QTest>

// Every skin picture is taken at the screen's density: on a screen of ratio 2 the drawing
// made at twice the size, never the small one scaled up. Run once per ratio (QT_SCALE_FACTOR).
class TestSkinDensity : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_ratio = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble();
        QVERIFY2(m_ratio == 1 || m_ratio == 2, "run with QT_SCALE_FACTOR=1 or 2");
        QCOMPARE(qApp->devicePixelRatio(), m_ratio);
    }

    void pictures_data()
    {
        QTest::addColumn<QString>("name");
        const QStringList files = QDir(":/skin").entryList({"*.jpg"}, QDir::Files, QDir::Name);
        QVERIFY(files.size() >= 8);
        for (const QString &file : files)
            if (!file.contains('@'))
                QTest::newRow(qPrintable(file)) << QFileInfo(file).completeBaseName();
    }
    void pictures()
    {
        QFETCH(QString, name);
        const QImage small(":/skin/" + name + ".jpg");
        const QImage large(":/skin/" + name + "@2x.jpg");
        QVERIFY(!small.isNull());
        QCOMPARE(large.size(), small.size() * 2);

        const QPixmap picture = velmix::Skin::picture(name, small.size());
        QCOMPARE(picture.devicePixelRatio(), m_ratio);
        QCOMPARE(picture.deviceIndependentSize().toSize(), small.size());
        const QImage &expected = m_ratio == 2 ? large : small;
        QCOMPARE(picture.toImage().convertToFormat(QImage::Format_RGB32), expected.convertToFormat(QImage::Format_RGB32));
    }

private:
    qreal m_ratio = 0;
};

QTEST_MAIN(TestSkinDensity)
#include "tst_skin_density.moc"
