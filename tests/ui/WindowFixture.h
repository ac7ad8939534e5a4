#pragma once

#include "FakeServices.h"
#include "TempFolder.h"
#include "VelmixWindow.h"
#include "sets/RuleSetStore.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTableView>

#include <memory>

namespace velmix::test {

// A shown window over a temporary folder of files, with drives and messages a test can
// set and read. Whatever the test does, the grid's model is checked for consistency.
struct WindowFixture
{
    // Files in subfolders ("sub/name") make the subfolders too.
    explicit WindowFixture(const QStringList &files = {"a b.txt", "c_d.TXT"}, QStringList mountPoints = {"/"},
                           FileMover *fileMover = nullptr)
        : drives(std::move(mountPoints))
    {
        folder.createFiles(files);
        window = std::make_unique<VelmixWindow>(drives, fileMover ? *fileMover : mover, folder.path(), &messages,
                                                nullptr, nullptr, &ruleSets);
        modelTester = std::make_unique<QAbstractItemModelTester>(
            grid()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    template<typename T = QWidget>
    T *control(const char *name) const
    {
        T *found = window->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    QAbstractButton *button(const char *name) const { return control<QAbstractButton>(name); }
    QLineEdit *textBox(const char *name) const { return control<QLineEdit>(name); }
    QComboBox *list(const char *name) const { return control<QComboBox>(name); }
    QTableView *grid() const { return control<QTableView>("FlexGrid1"); }

    QString cell(int row, int column) const { return grid()->model()->index(row, column).data().toString(); }
    QStringList newNames() const
    {
        QStringList names;
        for (int row = 0; row < grid()->model()->rowCount(); ++row)
            names.append(cell(row, 1));
        return names;
    }
    QStringList ticked() const
    {
        QStringList names;
        for (const char *name : {"PicBig", "PicSmall", "PicPerBig", "PicPod", "PicBreak", "PicNum"})
            if (button(name)->isChecked())
                names.append(QLatin1String(name));
        return names;
    }
    bool pending() const { return window->core().preview().namesPending(); }

    // Picks a list entry as a user does: opens the list and clicks the entry.
    static void pick(QComboBox *list, int index)
    {
        list->showPopup();
        QAbstractItemView *view = list->view();
        QTRY_VERIFY(view->isVisible());
        const QRect entry = view->visualRect(view->model()->index(index, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, entry.center());
        QTRY_VERIFY(!view->isVisible());
    }

    TempFolder folder;
    FixedDriveList drives;
    RecordingMessageBox messages;
    PosixFileMover mover;
    QTemporaryDir configHome; // the rule sets of this window alone
    RuleSetStore ruleSets{configHome.path()};
    std::unique_ptr<VelmixWindow> window;
    std::unique_ptr<QAbstractItemModelTester> modelTester;
};

// Presses and releases a key in a widget that has the focus, as the keyboard does.
inline void typeKey(QWidget *widget, Qt::Key key, const QString &text = {}, Qt::KeyboardModifiers modifiers = {})
{
    QTest::sendKeyEvent(QTest::Press, widget, key, text, modifiers);
    QTest::sendKeyEvent(QTest::Release, widget, key, text, modifiers);
}

} // namespace velmix::test
