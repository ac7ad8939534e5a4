#include "WindowFixture.h"

#include "QtTranslations.h"
#include "WindowLayout.h"
#include "CommandLine.h"

#include <QAccessible>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>

#include <algorithm>

using namespace velmix;

namespace {

struct Spoken
{
    QString control;
    QAccessible::Role role;
    QString name;
};

const QList<Spoken> &spokenControls()
{
    // In the tab order, from the first control.
    static const QList<Spoken> table = {
        {"Drive1", QAccessible::ComboBox, "Диск"},
        {"Dir1", QAccessible::Tree, "Папка"},
        {"PicSub", QAccessible::CheckBox, "С подпапками"},
        {"PicFolders", QAccessible::CheckBox, "Папки тоже"},
        {"PicPairs", QAccessible::CheckBox, "Связанные файлы вместе"},
        {"cboMask", QAccessible::ComboBox, "Маска"},
        {"FlexGrid1", QAccessible::Table, "Наименования файлов"},
        {"TxtName", QAccessible::EditableText, "Переименовать"},
        {"CboRazr", QAccessible::ComboBox, "Разрядность"},
        {"TxtNach", QAccessible::EditableText, "Начать с"},
        {"TxtShag", QAccessible::EditableText, "Шаг"},
        {"CboOrder", QAccessible::ComboBox, "Порядок нумерации"},
        {"PicNum", QAccessible::CheckBox, "Нумерация"},
        {"PicBig", QAccessible::CheckBox, "Все буквы большие"},
        {"PicSmall", QAccessible::CheckBox, "Все буквы маленькие"},
        {"PicPerBig", QAccessible::CheckBox, "Первая буква большая"},
        {"PicPod", QAccessible::CheckBox, "Заменить \" \" на \"_\""},
        {"PicBreak", QAccessible::CheckBox, "Заменить \"_\" на \" \""},
        {"ImgHelp", QAccessible::Button, "Помощь"},
        {"ImgChancel", QAccessible::Button, "Сбросить настройки"},
        {"ImgApply", QAccessible::Button, "Применить настройки"},
        {"ImgRules", QAccessible::Button, "Ещё правила"},
        {"CboSets", QAccessible::ComboBox, "Наборы правил"},
        {"ImgSaveSet", QAccessible::Button, "Сохранить набор…"},
        {"ImgDeleteSet", QAccessible::Button, "Удалить набор"},
        {"TxtFind", QAccessible::EditableText, "Найти"},
        {"TxtReplace", QAccessible::EditableText, "Заменить на"},
        {"PicIgnoreCase", QAccessible::CheckBox, "Без учёта регистра"},
        {"PicRegExp", QAccessible::CheckBox, "Регулярное выражение"},
        {"PicWholeName", QAccessible::CheckBox, "Включая расширение"},
        {"TxtPosition", QAccessible::EditableText, "С позиции"},
        {"TxtCut", QAccessible::EditableText, "Вырезать знаков"},
        {"TxtInsert", QAccessible::EditableText, "Вставить"},
        {"PicFromEnd", QAccessible::CheckBox, "Считать с конца"},
        {"PicTitleCase", QAccessible::CheckBox, "Каждое слово с большой буквы"},
        {"PicRestLower", QAccessible::CheckBox, "Остальные буквы маленькие"},
        {"CboLatin", QAccessible::ComboBox, "Кириллица латиницей"},
        {"CboConflicts", QAccessible::ComboBox, "Если имя занято"},
        {"CboExtension", QAccessible::ComboBox, "Расширение"},
        {"PicMini", QAccessible::Button, "Свернуть"},
        {"PicClose", QAccessible::Button, "Закрыть"},
    };
    return table;
}

} // namespace

Q_DECLARE_METATYPE(QAccessible::Role)

class TestWindowStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stateAfterStartUp()
    {
        test::WindowFixture f({"b.txt", "A b.mp3", "Отчёт.TXT", "c\n\t\x01.txt"});
        QCOMPARE(f.grid()->model()->rowCount(), 4);
        for (int row = 0; row < 4; ++row)
            QCOMPARE(f.cell(row, 1), f.cell(row, 0));
        QCOMPARE(f.cell(0, 0), "A b.mp3");
        QVERIFY(f.newNames().contains(QString::fromUtf8("c\u240A\u2409\u2401.txt"))); // never a broken line
        QCOMPARE(f.grid()->model()->headerData(0, Qt::Horizontal).toString(), "Оригинальные");
        QCOMPARE(f.grid()->model()->headerData(1, Qt::Horizontal).toString(), "Переименованные");
        QCOMPARE(f.ticked(), QStringList());
        QCOMPARE(f.textBox("TxtName")->text(), "-");
        QCOMPARE(f.textBox("TxtNach")->text(), "1");
        QCOMPARE(f.textBox("TxtShag")->text(), "1");
        QCOMPARE(f.list("cboMask")->currentText(), "*.*");
        QCOMPARE(f.list("CboRazr")->currentText(), "1");
        QCOMPARE(f.list("CboOrder")->currentText(), "по имени");
        QVERIFY(!f.pending());
        QCOMPARE(f.control<QLabel>("Label9")->text(), "Вельмикс В.2.0.1");
        QVERIFY(f.control("File1")->isHidden());
        QVERIFY(f.grid()->horizontalHeader()->sectionSize(0) - f.grid()->horizontalHeader()->sectionSize(1) <= 1);
    }

    // An empty folder keeps the blank row under a blank header, and says so below it.
    void emptyFolderSaysNoFiles_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("saysNoFiles");
        QTest::newRow("empty") << QStringList{} << true;
        QTest::newRow("one file") << QStringList{"a.txt"} << false;
    }
    void emptyFolderSaysNoFiles()
    {
        QFETCH(QStringList, files);
        QFETCH(bool, saysNoFiles);
        test::WindowFixture f(files);
        QCOMPARE(f.grid()->model()->rowCount(), 1);
        QCOMPARE(f.cell(0, 0).isEmpty(), saysNoFiles);
        QCOMPARE(f.grid()->model()->headerData(0, Qt::Horizontal).toString().isEmpty(), saysNoFiles);
        QVERIFY(!f.pending());
        QCOMPARE(QAccessible::queryAccessibleInterface(f.grid())->text(QAccessible::Description),
                 saysNoFiles ? "Нет файлов" : "");
        // Below the row the cells' cream is broken by the line's letters alone.
        QWidget *cells = f.grid()->viewport();
        const QImage below = cells->grab(QRect(0, f.grid()->rowHeight(0) + 1, cells->width(), 30)).toImage();
        bool written = false;
        for (int y = 0; y < below.height(); ++y)
            for (int x = 0; x < below.width(); ++x)
                written |= below.pixelColor(x, y) != QColor(255, 243, 195);
        QCOMPARE(written, saysNoFiles);
    }

    // A folder named at the start that is not there (a card not mounted): the working folder
    // shows, and the status line says why, not only standard error.
    void startFolderNotThere()
    {
        test::WindowFixture f;
        const CommandLine::Start start = CommandLine::startFolder({f.folder.path() + "/card"}, f.folder.path());
        VelmixWindow window(f.drives, f.mover, start.folder, &f.messages);
        window.tellStartProblem(start.problem);
        window.show();
        QTRY_COMPARE(window.findChild<QLabel *>("LblStatus")->text(),
                     "«" + f.folder.path() + "/card» не открыть: нет такого файла или папки");
        QCOMPARE(window.core().folder(), f.folder.path());
    }

    // Qt's own texts are Russian like the window's: a text box's context menu.
    void qtTextsInRussian()
    {
        QVERIFY(installQtRussian());
        test::WindowFixture f;
        const std::unique_ptr<QMenu> menu(f.textBox("TxtName")->createStandardContextMenu());
        QStringList texts;
        for (const QAction *action : menu->actions())
            texts.append(action->text());
        const QString shown = texts.join(u'|');
        QVERIFY2(shown.contains("&Отменить") && shown.contains("Выделить всё") && !shown.contains("Select"),
                 qPrintable(shown));
    }

    void window()
    {
        test::WindowFixture f;
        QCOMPARE(f.window->objectName(), "frmVelmix");
        QCOMPARE(f.window->windowTitle(), "Velmix V2.0.1"); // the version the title label shows
        QCOMPARE(QAccessible::queryAccessibleInterface(f.window.get())->role(), QAccessible::Window);
        QCOMPARE(f.window->size(), QSize(601, 594));
        QVERIFY(f.window->windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(f.window->testAttribute(Qt::WA_TranslucentBackground));
        QVERIFY(!f.window->windowIcon().isNull());
        QCOMPARE(f.window->mask().boundingRect(), QRect(QPoint(5, 12), QPoint(559, 578)));
        QVERIFY(!f.control("PicMini")->mask().contains(QPoint(0, 0)));
        QVERIFY(f.control("PicClose")->mask().contains(QPoint(19, 18)));
    }

    // Each control is built where the layout places it, in window pixels whatever frame
    // holds it, and a frame's controls lie inside it and clear of each other.
    void layoutIsBuiltInPlace()
    {
        test::WindowFixture f;
        const QList<ControlSpec> &layout = WindowLayout::controls();
        const auto placeOf = [&](const QString &name) {
            return std::find_if(layout.begin(), layout.end(), [&](const ControlSpec &e) { return e.name == name; })->place;
        };
        for (const ControlSpec &entry : layout) {
            QWidget *control = f.control(qPrintable(entry.name));
            QCOMPARE(control->mapTo(f.window.get(), QPoint(0, 0)), entry.place.topLeft());
            if (entry.parent.isEmpty())
                continue;
            QVERIFY2(placeOf(entry.parent).contains(entry.place), qPrintable(entry.name));
            for (const ControlSpec &other : layout)
                if (other.parent == entry.parent && other.name != entry.name)
                    QVERIFY2(!other.place.intersects(entry.place), qPrintable(entry.name + " overlaps " + other.name));
        }
    }

    // Every caption fits its control in the fonts the desktop gives.
    void captionsFit()
    {
        test::WindowFixture f;
        for (QLabel *label : f.window->findChildren<QLabel *>(QRegularExpression("^Label[1-8]$"))) {
            const QRect needed = label->fontMetrics().boundingRect(label->rect(), Qt::TextWordWrap, label->text());
            QVERIFY2(label->rect().contains(needed), qPrintable(label->objectName()));
        }
        auto *title = f.control<QLabel>("Label9");
        QVERIFY(title->width() >= title->fontMetrics().horizontalAdvance(title->text()));
    }

    // The work starts at the folder list, so a first Space never minimises the window;
    // Tab goes top to bottom, "Форматирование" left column first, the title buttons last.
    // The rules panel's controls follow the apply button while it is open.
    void tabOrderAndFirstFocus_data()
    {
        QTest::addColumn<bool>("panelOpen");
        QTest::newRow("panel closed") << false;
        QTest::newRow("panel open") << true;
    }
    void tabOrderAndFirstFocus()
    {
        QFETCH(bool, panelOpen);
        test::WindowFixture f;
        QTRY_COMPARE(QApplication::focusWidget(), f.control("Dir1"));
        const QStringList panel = {"CboSets", "ImgSaveSet", "ImgDeleteSet", "TxtFind", "TxtReplace", "PicIgnoreCase",
                                   "PicRegExp", "PicWholeName", "TxtPosition", "TxtCut", "TxtInsert", "PicFromEnd",
                                   "PicTitleCase", "PicRestLower", "CboLatin", "CboConflicts", "CboExtension"};
        if (panelOpen) {
            QTest::mouseClick(f.button("ImgRules"), Qt::LeftButton);
            f.control("Dir1")->setFocus();
        }
        QStringList expected;
        for (const Spoken &row : spokenControls())
            if ((panelOpen || !panel.contains(row.control)) && row.control != QString("ImgDeleteSet")) // no set shown
                expected.append(row.control);
        expected.append(expected.takeFirst()); // Drive1, then the folder list again
        expected.append(expected.takeFirst());
        QStringList visited;
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited.append(QApplication::focusWidget()->objectName());
        }
        QCOMPARE(visited, expected);
    }

    // What a screen reader is told about each control the keyboard reaches: its role and a
    // name no other such control has; a list's entry is its value, not its name.
    void screenReaderNames_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QAccessible::Role>("role");
        QTest::addColumn<QString>("name");
        for (const Spoken &row : spokenControls())
            QTest::newRow(qPrintable(row.control)) << row.control << row.role << row.name;
    }
    void screenReaderNames()
    {
        QFETCH(QString, control);
        QFETCH(QAccessible::Role, role);
        QFETCH(QString, name);
        test::WindowFixture f;
        QWidget *widget = f.control(qPrintable(control));
        QAccessibleInterface *spoken = QAccessible::queryAccessibleInterface(widget);
        QCOMPARE(spoken->role(), role);
        QCOMPARE(spoken->text(QAccessible::Name), name);
        if (auto *list = qobject_cast<QComboBox *>(widget)) {
            QCOMPARE(spoken->text(QAccessible::Value), list->currentText());
            QCOMPARE(spoken->textInterface()->text(0, -1), list->currentText());
        }
        if (role == QAccessible::Button || role == QAccessible::CheckBox) {
            QCOMPARE(spoken->text(QAccessible::Description), QString()); // the tooltip would repeat the name
            QCOMPARE(spoken->actionInterface()->actionNames().first(),
                     role == QAccessible::Button ? QAccessibleActionInterface::pressAction()
                                                 : QAccessibleActionInterface::toggleAction());
        }
        for (QWidget *other = widget->nextInFocusChain(); other != widget; other = other->nextInFocusChain()) {
            // A widget handing its focus to another (a list's text field) is not reached itself.
            if (!(other->focusPolicy() & Qt::TabFocus) || other->focusProxy() || !other->isVisibleTo(f.window.get()))
                continue;
            QVERIFY2(std::any_of(spokenControls().begin(), spokenControls().end(),
                                 [&](const Spoken &row) { return row.control == other->objectName(); }),
                     qPrintable(other->objectName() + " is missing from the table"));
            QVERIFY2(QAccessible::queryAccessibleInterface(other)->text(QAccessible::Name) != name,
                     qPrintable(other->objectName() + " has the same name"));
        }
    }
};

QTEST_MAIN(TestWindowStartup)
#include "tst_window_startup.moc"
