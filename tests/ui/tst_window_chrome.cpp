#include "WindowFixture.h"
#include "FileGridModel.h"

#include "BaseNameFields.h"
#include "HelpPage.h"
#include "RoundTitleButton.h"
#include "SkinDrawing.h"
#include "WindowLayout.h"
#include "WindowOutline.h"
#include "WindowSizeStore.h"

#include <QApplication>
#include <QDesktopServices>
#include <QHeaderView>
#include <QScrollBar>
#include <QScreen>
#include <QSettings>
#include <QIcon>
#include <QMenu>
#include <QTimer>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>
#include <QSignalSpy>
#include <QUrl>
#include <QTemporaryDir>
#include <QFileInfo>

using namespace velmix;

// Takes the URLs the window asks the desktop to open, instead of starting a browser.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    UrlCatcher() { QDesktopServices::setUrlHandler("file", this, "open"); }
    ~UrlCatcher() override { QDesktopServices::unsetUrlHandler("file"); }

Q_SIGNALS:
    void opened(const QUrl &url);

public Q_SLOTS:
    void open(const QUrl &url) { Q_EMIT opened(url); }
};

class TestWindowChrome : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void busyPointerWhileTheNamesAreRebuilt()
    {
        test::WindowFixture f({"a.txt"});
        QList<Qt::CursorShape> shapes;
        connect(f.grid()->model(), &QAbstractItemModel::dataChanged, this, [&] {
            const QCursor *cursor = QGuiApplication::overrideCursor();
            shapes.append(cursor ? cursor->shape() : Qt::ArrowCursor);
        });
        QTest::mouseClick(f.button("PicBig"), Qt::LeftButton);
        QCOMPARE(shapes, QList<Qt::CursorShape>{Qt::WaitCursor});
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void pressedLook()
    {
        test::WindowFixture f;
        QAbstractButton *apply = f.button("ImgApply");
        const QPoint topLeft = apply->pos();
        QTest::mousePress(apply, Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(apply->size(), QSize(81, 36));
        QCOMPARE(apply->pos(), topLeft);
        QTest::mousePress(apply, Qt::RightButton, {}, QPoint(20, 20));
        QCOMPARE(apply->size(), QSize(78, 33));
        QTest::mouseRelease(apply, Qt::RightButton, {}, QPoint(20, 20));
        QCOMPARE(apply->size(), QSize(84, 39));
        QTest::mouseRelease(apply, Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(apply->size(), QSize(84, 39));
    }

    // The delete button is a bin, not the close button's cross (white across the top, where
    // a cross leaves the red disc), and fades while it cannot be used.
    void deleteSetLook()
    {
        test::WindowFixture f;
        QAbstractButton *remove = f.button("ImgDeleteSet");
        QVERIFY(!remove->isEnabled());
        const QImage dimmed = remove->grab().toImage();
        remove->setEnabled(true);
        const QImage shown = remove->grab().toImage();
        QVERIFY(shown.pixelColor(15, 10).lightness() > 200); // the lid
        QVERIFY(dimmed.pixelColor(4, 15).lightness() > shown.pixelColor(4, 15).lightness()); // the disc's edge
    }

    void actionRunsOnClickDrawnReleased()
    {
        test::WindowFixture f;
        QAbstractButton *reset = f.button("ImgChancel");
        QSize sizeAtClick;
        connect(reset, &QAbstractButton::clicked, this, [&] { sizeAtClick = reset->size(); });
        QSignalSpy clicks(reset, &QAbstractButton::clicked);
        QTest::mouseClick(reset, Qt::LeftButton);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(sizeAtClick, QSize(84, 39));
    }

    void releaseOutsideRunsNothing()
    {
        test::WindowFixture f({"a b.txt"});
        QTest::mouseClick(f.button("PicBig"), Qt::LeftButton);
        QAbstractButton *apply = f.button("ImgApply");
        QTest::mousePress(apply, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseMove(apply, QPoint(-40, -40));
        QTest::mouseRelease(apply, Qt::LeftButton, {}, QPoint(-40, -40));
        QCOMPARE(apply->size(), QSize(84, 39));
        QCOMPARE(f.folder.files(), QStringList{"a b.txt"});
        QVERIFY(f.pending());
    }

    void keyboardReachesPictureButtons_data()
    {
        QTest::addColumn<Qt::Key>("key");
        QTest::newRow("Space") << Qt::Key_Space;
        QTest::newRow("Enter") << Qt::Key_Return;
    }
    void keyboardReachesPictureButtons()
    {
        QFETCH(Qt::Key, key);
        test::WindowFixture f({"a b.txt"});
        QTest::mouseClick(f.button("PicPod"), Qt::LeftButton);
        QAbstractButton *apply = f.button("ImgApply");
        apply->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(apply->hasFocus());
        QTest::keyClick(apply, key);
        QTRY_COMPARE(f.folder.files(), QStringList{"a_b.txt"});
    }

    // Opened from the keyboard, the rules panel starts at its first control, the set list
    // (a click starts it at the find box: the window's flows); closed again, the focus goes
    // back to its button.
    void spaceOpensRulesAtTheSetList()
    {
        test::WindowFixture f;
        QAbstractButton *rules = f.button("ImgRules");
        rules->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(rules->hasFocus());
        test::typeKey(rules, Qt::Key_Space, " ");
        QTRY_VERIFY(f.control("FraRules")->isVisible());
        QCOMPARE(QApplication::focusWidget(), f.control("CboSets"));
        rules->click();
        QCOMPARE(QApplication::focusWidget(), rules);
    }

    // Shift+F10 opens the menu the Menu key opens, wherever the focus is.
    void shiftF10OpensTheMenu_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("entry"); // one the menu holds
        QTest::newRow("grid") << "FlexGrid1" << "Старые теги: определять";
        QTest::newRow("base name") << "TxtName" << BaseNameFields::MenuTitle;
        QTest::newRow("rules' insert box") << "TxtInsert" << BaseNameFields::MenuTitle;
    }
    void shiftF10OpensTheMenu()
    {
        QFETCH(QString, control);
        QFETCH(QString, entry);
        test::WindowFixture f;
        f.button("ImgRules")->click();
        QWidget *target = f.control(qPrintable(control));
        target->setFocus();
        QTRY_VERIFY(target->hasFocus());
        // The grid's menu runs its own loop: read and closed from within it.
        QStringList entries;
        QTimer reader;
        connect(&reader, &QTimer::timeout, [&] {
            if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                for (const QAction *action : menu->actions())
                    entries.append(action->text());
                menu->close();
            }
        });
        reader.start(10);
        test::typeKey(target, Qt::Key_F10, {}, Qt::ShiftModifier);
        QTRY_VERIFY(!entries.isEmpty());
        QVERIFY2(entries.contains(entry), qPrintable(entries.join(", ")));
        QTRY_VERIFY(!QApplication::activePopupWidget());
        entries.clear();
        test::typeKey(target, Qt::Key_F10); // F10 alone opens none
        QTest::qWait(50);
        QCOMPARE(entries, QStringList());
    }

    void dragWithAnyButton_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<bool>("quickRepress");
        QTest::newRow("left") << Qt::LeftButton << false;
        QTest::newRow("right") << Qt::RightButton << false;
        QTest::newRow("middle") << Qt::MiddleButton << false;
        // The second press of a quick click-and-press arrives as a double click.
        QTest::newRow("left, pressed again quickly") << Qt::LeftButton << true;
    }
    void dragWithAnyButton()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(bool, quickRepress);
        test::WindowFixture f;
        QWidget *window = f.window.get();
        const QPoint bare(300, 38); // skin between the title and the frames
        QVERIFY(!window->childAt(bare));
        const QPoint start = window->pos();
        // Sent straight to the window: a quick second press cannot be made through QTest
        // with the button still held afterwards.
        const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons held) {
            QMouseEvent event(type, at, window->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : button,
                              held, {});
            QApplication::sendEvent(window, &event);
        };
        if (quickRepress) {
            send(QEvent::MouseButtonPress, bare, button);
            send(QEvent::MouseButtonRelease, bare, {});
            send(QEvent::MouseButtonDblClick, bare, button);
        } else {
            send(QEvent::MouseButtonPress, bare, button);
        }
        send(QEvent::MouseMove, bare + QPoint(25, 10), button);
        QTRY_COMPARE(window->pos(), start + QPoint(25, 10));
        // The grabbed point is under the pointer again: the same offset moves it once more.
        send(QEvent::MouseMove, bare + QPoint(-5, 0), button);
        QTRY_COMPARE(window->pos(), start + QPoint(20, 10));
        send(QEvent::MouseButtonRelease, bare, {});
        send(QEvent::MouseMove, bare + QPoint(50, 50), {});
        QCOMPARE(window->pos(), start + QPoint(20, 10));
    }

    void controlsDoNotDrag_data()
    {
        QTest::addColumn<QString>("control");
        QTest::newRow("title label") << "Label9";
        QTest::newRow("frame") << "FraFormat";
        QTest::newRow("label") << "Label4";
        QTest::newRow("grid") << "FlexGrid1";
    }
    void controlsDoNotDrag()
    {
        QFETCH(QString, control);
        test::WindowFixture f;
        QWidget *target = f.control(qPrintable(control));
        const QPoint start = f.window->pos();
        const QPoint at(3, 3);
        QTest::mousePress(target, Qt::LeftButton, {}, at);
        QTest::mouseMove(target, at + QPoint(30, 30));
        QTest::mouseRelease(target, Qt::LeftButton, {}, at + QPoint(30, 30));
        QCOMPARE(f.window->pos(), start);
    }

    // The window grows by resize() (as a window manager does it) or by a drag of its skin's
    // edges, here followed by the window itself as no window system takes the drag: the
    // grid takes all the growth, what lies below and right of it follows, the folder list
    // takes the height and the formatting frame the width; the designed size is the least.
    // However large, the controls cover the skin's panel: no bare square wider than a
    // button's row fits between them and the rim (the strip below the formatting frame, left
    // of the buttons, is the widest), and no control sticks out of the panel.
    void windowGrows_data()
    {
        QTest::addColumn<QPoint>("pressAt"); // none: resize() by `by`
        QTest::addColumn<QPoint>("by");
        QTest::addColumn<int>("arrows"); // the pointer's shape over the press point
        QTest::addColumn<QSize>("growth");
        QTest::addColumn<int>("movedLeft");
        QTest::newRow("resized") << QPoint() << QPoint(200, 150) << -1 << QSize(200, 150) << 0;
        QTest::newRow("full HD") << QPoint() << QPoint(1319, 486) << -1 << QSize(1319, 486) << 0;
        QTest::newRow("below the least") << QPoint() << QPoint(-100, -1) << -1 << QSize(0, 0) << 0;
        QTest::newRow("right edge") << QPoint(557, 300) << QPoint(120, 40) << int(Qt::SizeHorCursor) << QSize(120, 0) << 0;
        QTest::newRow("bottom right corner") << QPoint(552, 573) << QPoint(80, 60) << int(Qt::SizeFDiagCursor)
                                             << QSize(80, 60) << 0;
        QTest::newRow("left edge") << QPoint(7, 300) << QPoint(-70, 9) << int(Qt::SizeHorCursor) << QSize(70, 0) << 70;
        QTest::newRow("top edge, inward") << QPoint(300, 26) << QPoint(0, 50) << int(Qt::SizeVerCursor) << QSize(0, 0) << 0;
        QTest::newRow("bare skin") << QPoint(300, 38) << QPoint(50, 50) << int(Qt::ArrowCursor) << QSize(0, 0) << -50;
    }
    void windowGrows()
    {
        QFETCH(QPoint, pressAt);
        QFETCH(QPoint, by);
        QFETCH(int, arrows);
        QFETCH(QSize, growth);
        QFETCH(int, movedLeft);
        test::WindowFixture f;
        QWidget *window = f.window.get();
        const QPoint start = window->pos();
        const auto placeOf = [&](const char *name) { return f.control(name)->mapTo(window, QPoint()); };
        const QSize gridSize = f.grid()->size();
        if (pressAt.isNull()) {
            window->resize(window->size() + QSize(by.x(), by.y()));
        } else {
            const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons held) {
                QMouseEvent event(type, at, window->mapToGlobal(at), held ? Qt::LeftButton : Qt::NoButton, held, {});
                QApplication::sendEvent(window, &event);
            };
            send(QEvent::MouseMove, pressAt, {});
            QCOMPARE(int(window->cursor().shape()), arrows);
            const QPoint global = window->mapToGlobal(pressAt);
            send(QEvent::MouseButtonPress, pressAt, Qt::LeftButton);
            send(QEvent::MouseMove, window->mapFromGlobal(global + by), Qt::LeftButton);
            send(QEvent::MouseButtonRelease, window->mapFromGlobal(global + by), {});
        }
        QTRY_COMPARE(window->size(), WindowLayout::WindowSize + growth);
        QCOMPARE(window->pos().x(), start.x() - movedLeft);
        QCOMPARE(f.grid()->size(), gridSize + growth);
        const QPoint right(growth.width(), 0), down(0, growth.height());
        const std::pair<const char *, QPoint> moves[] = {{"ImgApply", right + down}, {"ImgRules", right + down},
                                                         {"FraFormat", down}, {"PicClose", right}, {"Dir1", {}},
                                                         {"TxtName", down}, {"PicBig", down}, {"Frame1", down},
                                                         {"PicPod", QPoint(growth.width() / 2, growth.height())},
                                                         {"PicSub", down}, {"PicPairs", down}};
        for (const auto &[name, moved] : moves) {
            const QRect designed = name == QLatin1String("ImgRules") ? QRect(228, 532, 52, 39) : WindowLayout::placeOf(name);
            QCOMPARE(placeOf(name), designed.topLeft() + moved);
        }
        QCOMPARE(f.control("Dir1")->height(), WindowLayout::placeOf("Dir1").height() + growth.height());
        QCOMPARE(f.control("FraFormat")->width(), WindowLayout::placeOf("FraFormat").width() + growth.width());
        constexpr int rim = 3, widestGap = 26;
        const QRect panel = SkinDrawing::Panel.toRect().adjusted(rim, rim, growth.width() - rim, growth.height() - rim);
        QList<QRect> controls;
        for (QWidget *control : window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (!control->isVisible() || control->isWindow())
                continue;
            controls.append(control->geometry());
            QVERIFY2(qobject_cast<RoundTitleButton *>(control) || panel.contains(control->geometry()),
                     qPrintable(control->objectName()));
        }
        for (int y = panel.top(); y <= panel.bottom(); y += 2)
            for (int x = panel.left(); x <= panel.right(); x += 2) {
                const bool nearRim = !panel.adjusted(widestGap, widestGap, -widestGap, -widestGap).contains(x, y);
                QVERIFY2(nearRim || std::any_of(controls.cbegin(), controls.cend(), [&](const QRect &control) {
                             return control.adjusted(-widestGap, -widestGap, widestGap, widestGap).contains(x, y);
                         }), qPrintable(QString("bare skin at %1,%2").arg(x).arg(y)));
            }

        QCOMPARE(window->mask(), WindowOutline::mainWindow(growth)); // the skin at that size: the Xvfb test
    }

    // The size and the first column's width the window closed with come back at the next
    // start, as far as the screen and the designed size allow; what cannot be read is left.
    void sizeKeptBetweenRuns_data()
    {
        QTest::addColumn<QString>("kept"); // the file's size line; empty: the first run writes it
        QTest::addColumn<QString>("keptColumn");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("column"); // 0: an even split
        QTest::addColumn<bool>("maximised"); // by the first run, which keeps the size it returns to
        QTest::newRow("written by the first run") << QString() << QString() << QSize(700, 650) << 120 << false;
        QTest::newRow("maximised") << QString() << QString() << QSize(650, 620) << 0 << true;
        QTest::newRow("below the least") << "300x200" << "1" << WindowLayout::WindowSize << 1 << false;
        QTest::newRow("larger than the screen") << "9000x7000" << "9000" << QSize(9000, 7000) << 9000 << false;
        QTest::newRow("not a size") << "wide" << "-3" << WindowLayout::WindowSize << 0 << false;
    }
    void sizeKeptBetweenRuns()
    {
        QFETCH(QString, kept);
        QFETCH(QString, keptColumn);
        QFETCH(QSize, size);
        QFETCH(int, column);
        QFETCH(bool, maximised);
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        WindowSizeStore sizes;
        QCOMPARE(sizes.defaultFile(), config.filePath("velmix/window.ini"));
        test::WindowFixture f;
        if (kept.isEmpty()) {
            VelmixWindow first(f.drives, f.mover, f.folder.path(), &f.messages, nullptr, nullptr, nullptr, &sizes);
            first.show();
            first.resize(size);
            if (column > 0)
                first.findChild<QTableView *>("FlexGrid1")->horizontalHeader()->resizeSection(0, column);
            if (maximised) {
                first.showMaximized();
                QTRY_VERIFY(first.isMaximized());
            }
            QVERIFY(first.close());
        } else {
            QSettings file(sizes.defaultFile(), QSettings::IniFormat);
            file.setValue("size", kept);
            file.setValue("firstColumn", keptColumn);
        }
        VelmixWindow next(f.drives, f.mover, f.folder.path(), &f.messages, nullptr, nullptr, nullptr, &sizes);
        next.show();
        QVERIFY(QTest::qWaitForWindowExposed(&next));
        QTRY_COMPARE(next.isMaximized(), maximised);
        QCOMPARE(next.normalGeometry().size(), size.boundedTo(next.screen()->availableGeometry().size()));
        auto *grid = next.findChild<QTableView *>("FlexGrid1");
        const int width = grid->viewport()->width();
        const int third = (width + 2) / 3;
        QCOMPARE(grid->columnWidth(0), column == 0 ? (width + 1) / 2 : std::clamp(column, third, width - third));
        QCOMPARE(grid->columnWidth(0) + grid->columnWidth(1), width);
        qunsetenv("XDG_CONFIG_HOME");
    }

    void minimise()
    {
        test::WindowFixture f;
        QTest::mouseClick(f.button("PicMini"), Qt::LeftButton, {}, QPoint(19, 18));
        QTRY_VERIFY(f.window->isMinimized());
    }

    void closeDropsPendingNames()
    {
        test::WindowFixture f({"a.txt"});
        QTest::mouseClick(f.button("PicBig"), Qt::LeftButton);
        QTest::mouseClick(f.button("PicClose"), Qt::LeftButton, {}, QPoint(19, 18));
        QTRY_VERIFY(!f.window->isVisible());
        QVERIFY(f.messages.shown.isEmpty());
        QCOMPARE(f.folder.files(), QStringList{"a.txt"});
    }

    void gridTooltip()
    {
        test::WindowFixture f({"a very long name that does not fit its column at all.txt", "b.txt", "q1.txt/in.txt"});
        QTableView *grid = f.grid();
        QWidget *cells = grid->viewport();
        QCOMPARE(grid->toolTip(), QString());
        const QPoint first = grid->visualRect(grid->model()->index(0, 1)).center();
        QTest::mouseClick(cells, Qt::LeftButton, {}, first);
        QCOMPARE(grid->toolTip(), "a very long name that does not fit its column at all.txt");

        // The first move takes the anchor; moving along the column or up to 10 pixels
        // sideways keeps the tip.
        QTest::mouseMove(cells, first);
        QTest::mouseMove(cells, first + QPoint(0, 40));
        QTest::mouseMove(cells, first + QPoint(10, 0));
        QTest::mouseMove(cells, first + QPoint(-10, 0));
        QCOMPARE(grid->toolTip(), "a very long name that does not fit its column at all.txt");
        QTest::mouseMove(cells, first + QPoint(11, 0));
        QCOMPARE(grid->toolTip(), QString());

        // A new click sets it again from the clicked cell.
        const QPoint second = grid->visualRect(grid->model()->index(1, 0)).center();
        QTest::mouseClick(cells, Qt::LeftButton, {}, second);
        QCOMPARE(grid->toolTip(), "b.txt");
        QTest::mouseMove(cells, second + QPoint(-30, 0)); // the anchor is the first move
        QCOMPARE(grid->toolTip(), "b.txt");
        QTest::mouseMove(cells, second);
        QCOMPARE(grid->toolTip(), QString());

        // A new name the apply will refuse (a subfolder holds it) is marked, and its tip
        // tells why on a second line.
        QLineEdit *name = f.textBox("TxtName");
        name->setFocus();
        QTRY_VERIFY(name->hasFocus());
        name->selectAll();
        test::typeKey(name, Qt::Key_Q, "q");
        const QModelIndex marked = grid->model()->index(0, 1), plain = grid->model()->index(1, 1);
        QCOMPARE(marked.data().toString(), "q1.txt");
        // What the name changes follows the mark's reason, for screen readers; the tip leaves it to the colours.
        QCOMPARE(marked.data(Qt::AccessibleDescriptionRole).toString(), "файл с таким именем уже существует; изменено: «q1»");
        QCOMPARE(plain.data(Qt::AccessibleDescriptionRole).toString(), "изменено: «q2»");
        QCOMPARE(plain.data(FileGridModel::ChangedRunsRole).value<QList<int>>(), QList<int>({0, 2}));
        QVERIFY(!marked.data(Qt::DecorationRole).value<QIcon>().isNull());
        QVERIFY(marked.data(Qt::BackgroundRole).isValid());
        for (int role : {Qt::DecorationRole, Qt::BackgroundRole})
            QVERIFY(!plain.data(role).isValid());
        QTest::mouseClick(cells, Qt::LeftButton, {}, grid->visualRect(marked).center());
        QCOMPARE(grid->toolTip(), "q1.txt\nфайл с таким именем уже существует");
    }

    // The columns split the width evenly, a scroll bar included, until the border between
    // the headers is dragged; a double-click on it fits the longest name, however far down.
    // Whatever sets the first column's width, each column keeps a third of the grid: a fit
    // to a name longer than that, a narrower window after it, a drag too far.
    void columnsDragAndFit()
    {
        QStringList names;
        for (int i = 0; i < 60; ++i)
            names.append(QString("n%1.txt").arg(i, 2, 10, QChar('0')));
        // Listed last, far below the visible rows, and wider than the grid.
        names.append("Holiday in the mountains of the far north and beyond the lakes, with friends and the dog, "
                     "in the first snow of 2026.JPG");
        test::WindowFixture f(names);
        f.window->resize(1000, 700);
        QTableView *grid = f.grid();
        QHeaderView *header = grid->horizontalHeader();
        QTRY_COMPARE(f.window->size(), QSize(1000, 700));
        QVERIFY(grid->verticalScrollBar()->isVisible());
        const auto width = [&] { return grid->viewport()->width(); };
        const auto third = [&] { return (width() + 2) / 3; };
        QCOMPARE(QList<int>({header->sectionSize(0), header->sectionSize(1)}),
                 QList<int>({(width() + 1) / 2, width() / 2}));

        const auto mouse = [&](QEvent::Type type, int x, Qt::MouseButtons held) {
            const QPoint at(x, header->height() / 2);
            QMouseEvent event(type, at, header->viewport()->mapToGlobal(at), Qt::LeftButton, held, {});
            QApplication::sendEvent(header->viewport(), &event);
        };
        const int border = header->sectionSize(0);
        mouse(QEvent::MouseButtonPress, border - 1, Qt::LeftButton);
        mouse(QEvent::MouseMove, border - 60, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, border - 60, Qt::NoButton);
        QCOMPARE(header->sectionSize(0), border - 59);
        QCOMPARE(header->sectionSize(0) + header->sectionSize(1), width());

        QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionSize(0) - 1, header->height() / 2));
        QCOMPARE(header->sectionSize(0), width() - third()); // the far row measured, the new names kept
        f.window->resize(WindowLayout::WindowSize);
        QTRY_COMPARE(f.window->size(), WindowLayout::WindowSize);
        QCOMPARE(header->sectionSize(0), width() - third());
        header->resizeSection(0, 5);
        QCOMPARE(QList<int>({header->sectionSize(0), header->sectionSize(1)}), QList<int>({third(), width() - third()}));
    }

    // A long name loses its middle, so siblings that differ in their number still read
    // apart; resting the pointer on one shows it whole, without a click. A control
    // character's picture stands at least as tall as a capital letter.
    void cellsReadable()
    {
        const QStringList names{"\n", "H", "Holiday_in_the_mountains_of_the_far_north_2.JPG",
                                "Holiday_in_the_mountains_of_the_far_north_3.JPG"}; // as listed
        test::WindowFixture f(names);
        QTableView *grid = f.grid();
        const auto shown = [&](int row) {
            return grid->viewport()->grab(grid->visualRect(grid->model()->index(row, 0))).toImage();
        };
        QVERIFY(grid->fontMetrics().horizontalAdvance(names[2]) > grid->columnWidth(0));
        QVERIFY(shown(2) != shown(3));
        const auto inkRows = [&](int row) {
            const QImage cell = shown(row);
            int rows = 0;
            for (int y = 0; y < cell.height(); ++y) {
                bool ink = false;
                for (int x = 0; x < cell.width() && !ink; ++x)
                    ink = cell.pixelColor(x, y).lightness() < 128;
                rows += ink;
            }
            return rows;
        };
        QVERIFY2(inkRows(0) > inkRows(1), qPrintable(QString("%1 against %2").arg(inkRows(0)).arg(inkRows(1))));

        const QPoint third = grid->visualRect(grid->model()->index(3, 0)).center();
        QHelpEvent hover(QEvent::ToolTip, third, grid->viewport()->mapToGlobal(third));
        QApplication::sendEvent(grid->viewport(), &hover);
        QTRY_COMPARE(QToolTip::text(), names[3]);
        QToolTip::hideText();
    }

    void helpOpensPageBesideProgram()
    {
        UrlCatcher catcher;
        QSignalSpy opened(&catcher, &UrlCatcher::opened);
        test::WindowFixture f;
        QTest::mouseClick(f.button("ImgHelp"), Qt::LeftButton);
        QCOMPARE(opened.count(), 1);
        const QUrl url = opened.first().first().toUrl();
        QVERIFY(url.isLocalFile());
        QCOMPARE(url.toLocalFile(), HelpPage::locate(QCoreApplication::applicationDirPath()));
    }

    // Where no program opens HTML (xdg-open missing), a box tells where the page lies.
    void helpWithoutALauncherSaysWhereThePageIs()
    {
        test::TempFolder noPrograms;
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(noPrograms.path()));
        test::WindowFixture f;
        QTest::mouseClick(f.button("ImgHelp"), Qt::LeftButton);
        qputenv("PATH", path);
        QCOMPARE(f.messages.shown.size(), 1);
        QCOMPARE(f.messages.shown[0].first, "Velmix V2.0.1");
        QVERIFY(f.messages.shown[0].second.endsWith(HelpPage::locate(QCoreApplication::applicationDirPath())));
    }

    void helpPageLocation_data()
    {
        QTest::addColumn<QStringList>("pages");
        QTest::addColumn<QString>("found");
        QTest::newRow("build tree") << QStringList{"lib/velmix/help/help.html"} << "lib/velmix/help/help.html";
        const QString installed = QDir::cleanPath("lib/velmix/" VELMIX_HELP_FROM_PROGRAM "/help.html");
        QTest::newRow("installed") << QStringList{installed} << installed;
        QTest::newRow("beside wins") << QStringList{"lib/velmix/help/help.html", installed} << "lib/velmix/help/help.html";
    }
    void helpPageLocation()
    {
        QFETCH(QStringList, pages);
        QFETCH(QString, found);
        test::TempFolder prefix;
        QDir(prefix.path()).mkpath("lib/velmix");
        prefix.createFiles(pages);
        QCOMPARE(HelpPage::locate(prefix.filePath("lib/velmix")), prefix.filePath(found));
    }

    // A window.ini that is a symbolic link is neither read nor written through: the
    // designed size, and the file it points at unchanged.
    void windowShapeNotKeptThroughALink()
    {
        QTemporaryDir config;
        QTemporaryDir elsewhere;
        QFile victim(elsewhere.filePath("victim"));
        QVERIFY(victim.open(QIODevice::WriteOnly) && victim.write("size=900x700\n") > 0);
        victim.close();
        QVERIFY(QFile::link(victim.fileName(), config.filePath("window.ini")));
        const WindowSizeStore sizes(config.filePath("window.ini"));
        QVERIFY(!sizes.load().size.isValid());
        sizes.save({QSize(640, 480), 100, false});
        QVERIFY(QFileInfo(config.filePath("window.ini")).isSymLink());
        QVERIFY(victim.open(QIODevice::ReadOnly));
        QCOMPARE(victim.readAll(), QByteArray("size=900x700\n"));
    }
};

QTEST_MAIN(TestWindowChrome)
#include "tst_window_chrome.moc"
