#include "RulesPanel.h"
#include "SampleMedia.h"
#include "TempFolder.h"
#include "WindowLayout.h"
#include "WindowOutline.h"
#include "XvfbSession.h"
#include "sets/RuleSetStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>
#include <vector>
#include <utility>

// The real program on its own X server, run once at scale factor 1 and once at 2
// (QT_SCALE_FACTOR, which the program inherits): the window scales as a whole, the outline
// cuts along the skin's red rim, the pictures are the ones drawn for the screen's density;
// started elsewhere with a folder named, it lists that folder, and a mask and a base name
// typed at their boxes' places (the name with a date field) reach the disk through a click
// on apply.
namespace {

bool isRimRed(QColor colour)
{
    return colour.red() >= 140 && colour.green() <= 90 && colour.blue() <= 90;
}

// The largest difference of a colour channel between the picture and what `shown` holds
// with the picture's corner at `at`, over the picture's pixels in `where`.
int largestDifference(const QImage &shown, QPoint at, const QImage &picture, const QRegion &where)
{
    int largest = 0;
    for (const QRect &rect : where)
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x) {
                const QColor a = picture.pixelColor(x, y);
                const QColor b = shown.pixelColor(at.x() + x, at.y() + y);
                largest = std::max({largest, qAbs(a.red() - b.red()), qAbs(a.green() - b.green()),
                                    qAbs(a.blue() - b.blue())});
            }
    return largest;
}

// A region's points as a table, read a million times where QRegion::contains would search.
class Inside
{
public:
    explicit Inside(const QRegion &region) : m_bounds(region.boundingRect()), m_points(size_t(m_bounds.width()) * size_t(m_bounds.height()))
    {
        for (const QRect &rect : region)
            for (int y = rect.top(); y <= rect.bottom(); ++y)
                std::fill_n(m_points.begin() + index(QPoint(rect.left(), y)), rect.width(), true);
    }
    bool contains(QPoint point) const { return m_bounds.contains(point) && m_points[index(point)]; }

private:
    size_t index(QPoint point) const
    {
        return size_t(point.y() - m_bounds.top()) * size_t(m_bounds.width()) + size_t(point.x() - m_bounds.left());
    }
    QRect m_bounds;
    std::vector<bool> m_points;
};

// Every device pixel of a window grown by `growth` in `shot`: outside the outline the
// white desktop shows, each pixel on the outline's edge the skin's red rim.
struct OutlineCheck
{
    int desktop = 0; // pixels checked
    int rim = 0;
    QString fault; // the first pixel that shows otherwise
};
OutlineCheck checkOutline(const QImage &shot, const QRect &window, QSize growth, int ratio)
{
    const Inside outline(velmix::WindowOutline::mainWindow(growth));
    OutlineCheck checked;
    for (int y = 0; y < window.height(); ++y) {
        for (int x = 0; x < window.width(); ++x) {
            const QPoint logical(x / ratio, y / ratio);
            const QColor shown = QColor::fromRgb(shot.pixel(window.topLeft() + QPoint(x, y)));
            const bool inside = outline.contains(logical);
            const bool onEdge = inside
                                && (!outline.contains(logical + QPoint(1, 0)) || !outline.contains(logical - QPoint(1, 0))
                                    || !outline.contains(logical + QPoint(0, 1)) || !outline.contains(logical - QPoint(0, 1)));
            if (inside && !onEdge)
                continue;
            (inside ? checked.rim : checked.desktop) += 1;
            if (inside ? !isRimRed(shown) : shown != QColor(Qt::white))
                return {checked.desktop, checked.rim, QString("device pixel %1,%2 shows %3").arg(x).arg(y).arg(shown.name())};
        }
    }
    return checked;
}

QImage skinPicture(const QString &name, int scale)
{
    return QImage(QString(":/skin/%1%2.jpg").arg(name, scale == 2 ? "@2x" : ""))
        .convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestProgramXvfb : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (const QString tool = velmix::test::XvfbSession::missingTool(); !tool.isEmpty())
            QSKIP(qPrintable(tool + " is not installed"));
        m_ratio = qEnvironmentVariableIntValue("QT_SCALE_FACTOR");
        QVERIFY2(m_ratio == 1 || m_ratio == 2, "run with QT_SCALE_FACTOR=1 or 2");
        m_folder.createFiles({"b file.txt", "a file.txt", "IMG_2.HEIC", "img_1.heic", "песня про зайцев.txt"});
        for (const char *photo : {"IMG_2.HEIC", "img_1.heic"}) { // no tags: dated by the file's time
            QFile file(m_folder.filePath(photo));
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime(QDate(2025, 3, 4), QTime(9, 0)), QFileDevice::FileModificationTime));
        }
        QVERIFY(m_x.start("1800x1400")); // room for the rules panel, and a grown window, at ratio 2
        // Started elsewhere with the folder named, as "Open with" does.
        QVERIFY(m_x.launch(VELMIX_PROGRAM, m_elsewhere.path(), {}, {m_folder.path()}));

        m_windowId = m_x.waitForWindow("Velmix V2.0.1");
        QVERIFY(!m_windowId.isEmpty());
        m_window = m_x.geometry(m_windowId);
        QVERIFY(m_window.isValid());

        // The window draws itself; wait until the skin shows on the bare panel.
        const QColor cream(255, 243, 195);
        const QPoint panel = m_window.topLeft() + QPoint(300, 40) * m_ratio;
        QTRY_VERIFY_WITH_TIMEOUT(m_x.screen().pixelColor(panel) == cream, 10000);
        m_shot = m_x.screen();
    }

    void windowIsItsLogicalSizeTimesTheRatio()
    {
        QCOMPARE(m_window.size(), velmix::WindowLayout::WindowSize * m_ratio);
    }

    // Every device pixel of the window: outside the outline the white desktop shows; each
    // pixel on the outline's edge shows the skin's red rim. Grown, the skin drawn for the
    // size fits the outline of that size as the picture fits the designed one.
    void outlineFitsTheSkin_data()
    {
        QTest::addColumn<QSize>("growth");
        QTest::newRow("designed") << QSize(0, 0);
        QTest::newRow("grown") << QSize(130, 40);
    }
    void outlineFitsTheSkin()
    {
        QFETCH(QSize, growth);
        QImage shot = m_shot;
        QRect window = m_window;
        if (!growth.isNull()) {
            const QSize size = (velmix::WindowLayout::WindowSize + growth) * m_ratio;
            QVERIFY(m_x.run("xdotool", {"windowsize", m_windowId, QString::number(size.width()),
                                        QString::number(size.height())}));
            QTRY_COMPARE_WITH_TIMEOUT(m_x.geometry(m_windowId).size(), size, 10000);
            window = m_x.geometry(m_windowId);
            const QPoint bottom = window.topLeft() + QPoint(300, 578 + growth.height()) * m_ratio;
            QTRY_VERIFY_WITH_TIMEOUT(isRimRed((shot = m_x.screen()).pixelColor(bottom)), 10000);
        }
        const OutlineCheck checked = checkOutline(shot, window, growth, m_ratio);
        QVERIFY2(checked.fault.isEmpty(), qPrintable(checked.fault));
        QVERIFY(checked.desktop > 10000);
        QVERIFY(checked.rim > 2000 * m_ratio);
        if (!growth.isNull()) { // the tests below work at the designed size
            const QSize size = velmix::WindowLayout::WindowSize * m_ratio;
            QVERIFY(m_x.run("xdotool", {"windowsize", m_windowId, QString::number(size.width()),
                                        QString::number(size.height())}));
            QTRY_COMPARE_WITH_TIMEOUT(m_x.geometry(m_windowId).size(), size, 10000);
            QTRY_COMPARE_WITH_TIMEOUT(m_x.screen().pixelColor(m_window.topLeft() + QPoint(300, 578) * m_ratio),
                                      m_shot.pixelColor(m_window.topLeft() + QPoint(300, 578) * m_ratio), 10000);
        }
    }

    // Pixel for pixel the drawings made for the density; at ratio 2 the @2x ones, where the
    // small ones scaled up would differ.
    void picturesAreDrawnAtFullDensity_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QPoint>("origin"); // where the picture's corner lies in the window
        QTest::addColumn<QRect>("part"); // what of it is compared, in the window
        // The rounded top left corner of the panel, clear of any control.
        QTest::newRow("background") << "background" << QPoint(0, 0) << QRect(5, 24, 15, 17);
        for (const auto &[control, picture] : {std::pair{"ImgHelp", "help"}, {"ImgChancel", "reset"}, {"ImgApply", "apply"}}) {
            const QRect place = velmix::WindowLayout::placeOf(control);
            QTest::newRow(control) << QString(picture) << place.topLeft() << place;
        }
    }
    void picturesAreDrawnAtFullDensity()
    {
        QFETCH(QString, picture);
        QFETCH(QPoint, origin);
        QFETCH(QRect, part);
        QVERIFY(part.isValid());
        QRegion where; // device pixels of the picture
        for (const QRect &rect : velmix::WindowOutline::mainWindow() & part)
            where += QRect(rect.translated(-origin).topLeft() * m_ratio, rect.size() * m_ratio);

        const QImage drawn = skinPicture(picture, m_ratio);
        if (m_ratio == 2) {
            const QImage smallScaledUp =
                skinPicture(picture, 1).scaled(drawn.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            QVERIFY2(largestDifference(smallScaledUp, QPoint(0, 0), drawn, where) > 40,
                     "this part cannot tell the two sizes apart");
        }
        QVERIFY(largestDifference(m_shot, m_window.topLeft() + origin * m_ratio, drawn, where) <= 2);
    }

    // A typed mask narrows the listing, so the apply renames the HEIC files only.
    void controlsTakeInputAtTheirScaledPlaces()
    {
        const auto click = [&](QPoint logical) { return m_x.click(m_window.topLeft() + logical * m_ratio); };
        // A click gives the window the focus (there is no window manager).
        QVERIFY(click(velmix::WindowLayout::placeOf("cboMask").center()));
        QVERIFY(m_x.run("xdotool", {"key", "--delay", "15", "ctrl+a"}));
        QVERIFY(m_x.run("xdotool", {"type", "--delay", "15", "*.heic"}));
        QVERIFY(m_x.run("xdotool", {"key", "--delay", "15", "Return"}));
        QVERIFY(click(velmix::WindowLayout::placeOf("TxtName").center()));
        QVERIFY(m_x.run("xdotool", {"key", "--delay", "15", "End", "BackSpace"}));
        QVERIFY(m_x.run("setxkbmap", {"-layout", "us,ru", "-option", "numpad:mac"})); // Cyrillic for xdotool
        // xdotool maps the Cyrillic letters onto spare keys as it goes; the keys right after
        // such a change of the keyboard map can be lost, so the Latin ones follow on their own,
        // and these keys go slower than the others: at 15 ms apart a loaded machine lost one.
        QVERIFY(m_x.run("xdotool", {"type", "--delay", "50", "{дата}"}));
        QVERIFY(m_x.run("xdotool", {"type", "--delay", "50", " photo"}));
        // The click queues behind the keys on the X connection, so it comes after them.
        QVERIFY(click(velmix::WindowLayout::placeOf("ImgApply").center()));
        QTRY_COMPARE_WITH_TIMEOUT(m_folder.files(),
                                  QStringList({"2025-03-04 photo1.heic", "2025-03-04 photo2.HEIC", "a file.txt",
                                               "b file.txt", "песня про зайцев.txt"}), 10000);
    }

    // The rules panel opens beside the window: a replace and a Latin spelling, applied.
    void rulesPanelReplacesAndSpellsInLatin()
    {
        const auto click = [&](QPoint logical) { return m_x.click(m_window.topLeft() + logical * m_ratio); };
        const auto key = [&](const QStringList &keys) { return m_x.run("xdotool", QStringList{"key", "--delay", "15"} + keys); };
        QVERIFY(click(velmix::WindowLayout::placeOf("cboMask").center()));
        QVERIFY(key({"ctrl+a"}));
        QVERIFY(m_x.run("xdotool", {"type", "--delay", "15", "*.*"}));
        QVERIFY(key({"Return"}));
        QVERIFY(click({254, 551})); // ImgRules; the find box takes the focus
        QVERIFY(m_x.run("xdotool", {"type", "--delay", "15", "photo"}));
        QVERIFY(key({"Tab"}));
        QVERIFY(m_x.run("xdotool", {"type", "--delay", "15", "shot"}));
        // The Latin list, in the panel's frame at the bottom, picked with the keyboard.
        QVERIFY(click(velmix::RulesPanel::Place.topLeft() + QPoint(150, 486)));
        QVERIFY(key({"End", "Return"}));
        QVERIFY(click(velmix::WindowLayout::placeOf("ImgApply").center()));
        QTRY_COMPARE_WITH_TIMEOUT(m_folder.files(),
                                  QStringList({"2025-03-04 shot1.heic", "2025-03-04 shot2.HEIC", "a file.txt", "b file.txt",
                                               "pesnya pro zaytsev.txt"}), 10000);
    }

    // A set saved by an earlier run is listed when the panel opens, a damaged one beside
    // it told in one line and skipped; the set picked with the keyboard renames on apply,
    // which keeps its settings as the last applied.
    void ruleSetsSurviveARestart()
    {
        if (m_ratio != 1)
            QSKIP("the sets do not depend on the scale");
        velmix::test::XvfbSession x;
        velmix::test::TempFolder folder;
        folder.createFiles({"a.txt", "b.txt"});
        velmix::RuleSetStore store(x.ruleSetFolder());
        velmix::RuleSet trip;
        trip.rules.findText = "a";
        trip.rules.replaceText = "Отпуск";
        QCOMPARE(store.save("Отпуск", trip), QString());
        QFile damaged(x.ruleSetFolder() + "/Сломанный.ini");
        QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write("[General]\nversion=1\nbase=\n") > 0);
        damaged.close();
        QVERIFY(x.start("1000x800"));
        QVERIFY(x.launch(VELMIX_PROGRAM, folder.path(), {}));
        const QString found = x.waitForWindow("Velmix V2.0.1");
        QVERIFY(!found.isEmpty());
        const QRect window = x.geometry(found);
        const auto click = [&](QPoint logical) { return x.click(window.topLeft() + logical); };
        QTRY_VERIFY_WITH_TIMEOUT(x.screen().pixelColor(window.topLeft() + QPoint(300, 40)) == QColor(255, 243, 195), 10000);
        QVERIFY(click({254, 551})); // ImgRules
        QVERIFY(!x.waitForWindow("Наборы правил").isEmpty());
        QVERIFY(x.run("xdotool", {"key", "--delay", "30", "Return"}));
        // The list beside the panel's title: a click opens it, Escape closes it, Down picks.
        QVERIFY(click(velmix::RulesPanel::Place.topLeft() + QPoint(176, 20)));
        QVERIFY(x.run("xdotool", {"key", "--delay", "150", "Escape", "Down"}));
        QVERIFY(click(velmix::WindowLayout::placeOf("ImgApply").center()));
        QTRY_COMPARE_WITH_TIMEOUT(folder.files(), QStringList({"b.txt", "Отпуск.txt"}), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(store.list().names.contains(velmix::RuleSetStore::LastApplied), 5000);
        QVERIFY(QFile::exists(x.ruleSetFolder() + "/Сломанный.ini")); // skipped, never rewritten
    }

    // A card of two cameras, each raw beside its JPEG: "С подпапками" and "Связанные файлы
    // вместе" ticked, a rule set that names by the time taken in date order, the Nikon's
    // clock an hour behind. Each raw takes its JPEG's time (it has none of its own), and
    // the shifted Nikon follows the Canon.
    void cardOfPairsThroughTheProgram()
    {
        velmix::test::XvfbSession x;
        velmix::test::TempFolder card;
        QVERIFY(QDir(card.path()).mkpath("DCIM/100CANON") && QDir(card.path()).mkpath("DCIM/101NIKON"));
        card.createFile("DCIM/100CANON/IMG_0001.CR2", "raw");
        card.createFile("DCIM/100CANON/IMG_0001.JPG", velmix::test::jpegWithExif("2026:07:14 10:00:00", {}, "Canon", "Canon EOS 80D"));
        card.createFile("DCIM/101NIKON/DSC_0001.NEF", "raw");
        card.createFile("DCIM/101NIKON/DSC_0001.JPG", velmix::test::jpegWithExif("2026:07:14 09:30:00", {}, "NIKON CORPORATION", "NIKON D750"));
        velmix::RuleSetStore store(x.ruleSetFolder());
        velmix::RuleSet trip;
        trip.options.BaseName = "{время} ";
        trip.options.Numbering = true;
        trip.options.Order = velmix::NumberingOrder::ByDateTaken;
        QVERIFY(trip.options.Shifts.take(u"NIKON D750=+01:00").isEmpty());
        QCOMPARE(store.save("Поездка", trip), QString());
        QVERIFY(x.start("1800x1400"));
        QVERIFY(x.launch(VELMIX_PROGRAM, card.path(), {}));
        const QString found = x.waitForWindow("Velmix V2.0.1");
        QVERIFY(!found.isEmpty());
        const QRect window = x.geometry(found);
        const auto click = [&](QPoint logical) { return x.click(window.topLeft() + logical * m_ratio); };
        const QPoint panel = window.topLeft() + QPoint(300, 40) * m_ratio;
        QTRY_VERIFY_WITH_TIMEOUT(x.screen().pixelColor(panel) == QColor(255, 243, 195), 10000);
        QVERIFY(click(velmix::WindowLayout::placeOf("PicSub").center()));
        QVERIFY(click(velmix::WindowLayout::placeOf("PicPairs").center()));
        QVERIFY(click({254, 551})); // ImgRules
        // The list beside the panel's title: a click opens it, Escape closes it, Down picks.
        QVERIFY(click(velmix::RulesPanel::Place.topLeft() + QPoint(176, 20)));
        QVERIFY(x.run("xdotool", {"key", "--delay", "150", "Escape", "Down"}));
        QVERIFY(click(velmix::WindowLayout::placeOf("ImgApply").center()));
        QTRY_COMPARE_WITH_TIMEOUT(card.files("DCIM/100CANON"), QStringList({"10-00-00 1.CR2", "10-00-00 1.JPG"}), 10000);
        QCOMPARE(card.files("DCIM/101NIKON"), QStringList({"10-30-00 2.JPG", "10-30-00 2.NEF"}));
    }

    // A new name typed by hand in the grid: F2 opens the first row's, Enter keeps it, apply.
    void nameTypedInTheGridIsApplied()
    {
        const auto key = [&](const QStringList &keys) { return m_x.run("xdotool", QStringList{"key", "--delay", "15"} + keys); };
        const QRect grid = velmix::WindowLayout::placeOf("FlexGrid1");
        QVERIFY(m_x.click(m_window.topLeft() + QPoint(grid.left() + grid.width() * 3 / 4, grid.top() + 30) * m_ratio));
        QVERIFY(key({"F2", "ctrl+a"}));
        QVERIFY(m_x.run("xdotool", {"type", "--delay", "15", "first.heic"}));
        QVERIFY(key({"Return"}));
        QVERIFY(m_x.click(m_window.topLeft() + velmix::WindowLayout::placeOf("ImgApply").center() * m_ratio));
        QTRY_COMPARE_WITH_TIMEOUT(m_folder.files(),
                                  QStringList({"2025-03-04 shot2.HEIC", "a file.txt", "b file.txt", "first.heic",
                                               "pesnya pro zaytsev.txt"}), 10000);
    }

    // Under a window manager the window takes the keyboard at start, at the folder list:
    // a first Space leaves it on screen, and Tab leads on through the controls to apply.
    // The window manager grows the window, the grid's frame with it; the next start comes
    // back at that size.
    void keyboardAloneUnderAWindowManager()
    {
        if (m_ratio != 1)
            QSKIP("the keys do not depend on the scale");
        velmix::test::XvfbSession x;
        velmix::test::TempFolder folder;
        folder.createFiles({"b.txt", "a.txt"});
        QVERIFY(x.start("1000x800"));
        if (!x.startWindowManager())
            QSKIP("openbox is not installed");
        QVERIFY(x.launch(VELMIX_PROGRAM, folder.path(), {}));
        const QString window = x.waitForWindow("Velmix V2.0.1");
        QVERIFY(!window.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(x.run("xdotool", {"getwindowfocus", "getwindowname"}).value_or("").startsWith("Velmix"),
                                 10000);
        const QSize grown = velmix::WindowLayout::WindowSize + QSize(200, 100);
        QVERIFY(x.run("xdotool", {"windowsize", window, QString::number(grown.width()), QString::number(grown.height())}));
        QTRY_COMPARE_WITH_TIMEOUT(x.geometry(window).size(), grown, 10000);
        // The grid's frame: its right side, red, 200 pixels further right; the grid where it was.
        const QRect frame = velmix::WindowLayout::placeOf("FraFile");
        const QPoint at = x.geometry(window).topLeft() + QPoint(frame.right(), 200);
        QTRY_VERIFY_WITH_TIMEOUT(isRimRed(x.screen().pixelColor(at + QPoint(200, 0))), 10000);
        QVERIFY(!isRimRed(x.screen().pixelColor(at)));
        // From the folder list: the three boxes under it (subfolders, folders, files that go
        // together), the mask, the grid, the base name; then past the numbering and
        // formatting controls, help and reset, to apply.
        QStringList keys{"space", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "ctrl+a", "x"};
        for (int i = 0; i < 13; ++i)
            keys << "Tab";
        keys << "space";
        QVERIFY(x.run("xdotool", QStringList{"key", "--delay", "30"} + keys));
        QTRY_COMPARE_WITH_TIMEOUT(folder.files(), QStringList({"x1.txt", "x2.txt"}), 10000);

        QVERIFY(x.requestClose(window));
        QTRY_VERIFY_WITH_TIMEOUT(x.programEnded(), 10000);
        QVERIFY(x.launch(VELMIX_PROGRAM, folder.path(), {}));
        const QString restarted = x.waitForWindow("Velmix V2.0.1");
        QVERIFY(!restarted.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(x.geometry(restarted).size(), grown, 10000);

        // At the designed size by the screen's right edge, the panel opens beside the window:
        // the window moves left just as far as it must.
        const QSize designed = velmix::WindowLayout::WindowSize;
        QVERIFY(x.run("xdotool", {"windowsize", restarted, QString::number(designed.width()), QString::number(designed.height())}));
        QVERIFY(x.run("xdotool", {"windowmove", restarted, QString::number(1000 - designed.width()), "50"}));
        QTRY_COMPARE_WITH_TIMEOUT(x.geometry(restarted), QRect(QPoint(1000 - designed.width(), 50), designed), 10000);
        QVERIFY(x.click(x.geometry(restarted).topLeft() + QPoint(254, 551))); // ImgRules
        QTRY_COMPARE_WITH_TIMEOUT(x.geometry(restarted),
                                  QRect(QPoint(1000 - velmix::RulesPanel::OpenWindowSize.width(), 50), velmix::RulesPanel::OpenWindowSize),
                                  10000);
    }

    // Closed maximised, the window opens maximised under a window manager, and fills the
    // screen: the skin drawn for that size along the outline, the folder list's frame down
    // to the bottom, the formatting frame as wide as the grid's. Closed, it keeps both.
    void maximisedFillsTheScreen()
    {
        if (m_ratio != 1)
            QSKIP("the layout does not depend on the scale");
        velmix::test::XvfbSession x;
        velmix::test::TempFolder folder;
        folder.createFiles({"a.txt"});
        QVERIFY(x.start("1280x800"));
        if (!x.startWindowManager())
            QSKIP("openbox is not installed");
        const QString kept = QFileInfo(x.ruleSetFolder()).path() + "/window.ini";
        QVERIFY(QDir().mkpath(QFileInfo(kept).path()));
        {
            QSettings file(kept, QSettings::IniFormat);
            file.setValue("size", "700x640");
            file.setValue("maximised", true);
        }
        QVERIFY(x.launch(VELMIX_PROGRAM, folder.path(), {}));
        const QString window = x.waitForWindow("Velmix V2.0.1");
        QVERIFY(!window.isEmpty());
        const QRect screen(0, 0, 1280, 800);
        QTRY_COMPARE_WITH_TIMEOUT(x.geometry(window), screen, 10000);
        const QSize growth = screen.size() - velmix::WindowLayout::WindowSize;
        const QPoint bottom(300, 578 + growth.height());
        QImage shot;
        QTRY_VERIFY_WITH_TIMEOUT(isRimRed((shot = x.screen()).pixelColor(bottom)), 10000);

        const OutlineCheck checked = checkOutline(shot, screen, growth, 1);
        QVERIFY2(checked.fault.isEmpty(), qPrintable(checked.fault));
        QVERIFY(checked.rim > 3000);
        // Each frame's red border where the layout puts it for the size, bare skin beside.
        const auto placed = [&](const char *name) {
            for (const velmix::ControlSpec &entry : velmix::WindowLayout::controls())
                if (entry.name == QLatin1String(name))
                    return velmix::WindowLayout::placeOf(entry, growth);
            return QRect();
        };
        const QRect folders = placed("FraDir"), format = placed("FraFormat"), files = placed("FraFile");
        QVERIFY(folders.bottom() > screen.height() / 2);
        QCOMPARE(format.right(), files.right() - 4);
        for (const QPoint &border : {QPoint(folders.left(), folders.bottom() - 20), QPoint(format.right(), format.center().y()),
                                     QPoint(files.right(), files.bottom() - 20)}) {
            QVERIFY2(isRimRed(shot.pixelColor(border)), qPrintable(QString("%1,%2").arg(border.x()).arg(border.y())));
            QVERIFY(!isRimRed(shot.pixelColor(border + QPoint(3, 0))));
        }

        QVERIFY(x.requestClose(window));
        QTRY_VERIFY_WITH_TIMEOUT(x.programEnded(), 10000);
        QSettings file(kept, QSettings::IniFormat);
        QCOMPARE(file.value("maximised").toString(), "true");
        QCOMPARE(file.value("size").toString(), "700x640");
    }

private:
    int m_ratio = 0;
    velmix::test::TempFolder m_folder;
    velmix::test::TempFolder m_elsewhere;
    velmix::test::XvfbSession m_x;
    QString m_windowId;
    QRect m_window;
    QImage m_shot;
};

QTEST_MAIN(TestProgramXvfb)
#include "tst_program_xvfb.moc"
