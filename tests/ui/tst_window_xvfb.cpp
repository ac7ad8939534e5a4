#include "XvfbSession.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

// Starts the real program on its own X server and uses it as a user would: the mask
// must let the desktop show through, and a typed base name must reach the disk through
// a click on the apply picture.
namespace {

struct Geometry
{
    int x = 0;
    int y = 0;
};

} // namespace

class TestWindowXvfb : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (const QString tool = velmix::test::XvfbSession::missingTool(); !tool.isEmpty())
            QSKIP(qPrintable(QString("%1 is not installed").arg(tool)));
        QVERIFY(m_x.start("800x700"));
        QVERIFY(m_x.run("setxkbmap", {"-layout", "us,ru", "-option", "numpad:mac"}));
    }

    void typeBaseNameAndApply()
    {
        QTemporaryDir folder;
        for (const char *name : {"b file.txt", "a file.txt"}) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(m_x.launch(VELMIX_PROGRAM, folder.path(), {}));

        const QString window = m_x.run("xdotool", {"search", "--sync", "--onlyvisible", "--name", "Velmix V2.0"})
                                   .value_or(QString())
                                   .split('\n', Qt::SkipEmptyParts)
                                   .value(0);
        QVERIFY(!window.isEmpty());
        Geometry at;
        for (const QString &line : m_x.run("xdotool", {"getwindowgeometry", "--shell", window}).value_or(QString()).split('\n')) {
            if (line.startsWith("X="))
                at.x = line.mid(2).toInt();
            else if (line.startsWith("Y="))
                at.y = line.mid(2).toInt();
        }

        // The window draws itself; wait until the skin shows inside the outline.
        const QColor cream(255, 243, 195);
        const auto near = [](QColor a, QColor b) {
            return qAbs(a.red() - b.red()) < 12 && qAbs(a.green() - b.green()) < 12 && qAbs(a.blue() - b.blue()) < 12;
        };
        QTRY_VERIFY_WITH_TIMEOUT(near(m_x.screen().pixelColor(at.x + 300, at.y + 40), cream), 10000);
        const QImage shot = m_x.screen();
        QCOMPARE(shot.pixelColor(at.x + 2, at.y + 2), QColor(Qt::white)); // outside the rounded corner
        QCOMPARE(shot.pixelColor(at.x + 300, at.y + 585), QColor(Qt::white)); // below the panel
        QCOMPARE(shot.pixelColor(at.x + 515, at.y + 12), QColor(Qt::white)); // between the round buttons

        // A click gives the window the focus (there is no window manager).
        const auto click = [&](int x, int y) {
            return m_x.run("xdotool", {"mousemove", QString::number(at.x + x), QString::number(at.y + y), "click", "1"}).has_value();
        };
        QVERIFY(click(100, 410)); // TxtName
        QVERIFY(m_x.run("xdotool", {"key", "--delay", "50", "End", "BackSpace"}));
        QVERIFY(m_x.run("xdotool", {"type", "--delay", "50", "photo"}));
        // The click queues behind the keys on the X connection, so it comes after them.
        QVERIFY(click(460 + 42, 532 + 19)); // ImgApply

        QTRY_COMPARE_WITH_TIMEOUT(QDir(folder.path()).entryList(QDir::Files, QDir::Name),
                                  QStringList({"photo1.txt", "photo2.txt"}), 10000);
    }

private:
    velmix::test::XvfbSession m_x;
};

QTEST_MAIN(TestWindowXvfb)
#include "tst_window_xvfb.moc"
