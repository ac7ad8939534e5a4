#pragma once

#include "FileGridModel.h"
#include "RenamerCore.h"
#include "WidgetBusyPointer.h"
#include "WidgetMessageBox.h"
#include "WidgetWorkDisplay.h"
#include "WindowLayout.h"

#include <QKeySequence>
#include <QPixmap>
#include <QWidget>

class QMenu;

#include <array>
#include <functional>
#include <utility>

namespace velmix {

class NameListFlows;
class RuleSetStore;
class RulesPanel;
class WindowSizeStore;

// frmVelmix, the program's one window: the skinned, shaped view over the core. Each
// handler forwards one event to the core and then redraws every control from its state.
class VelmixWindow : public QWidget
{
    Q_OBJECT

public:
    // Without a message box of its own the window shows the core's messages itself; with
    // a state folder and file identities the batches are journaled (see RenamerCore); with
    // a store of rule sets the rules panel lists them and every apply keeps the last one;
    // with a store of sizes the window starts at the size and columns it closed with; with
    // folder locks no other program renames in a folder while this one does.
    VelmixWindow(DriveList &driveList, FileMover &fileMover, const QString &startFolder,
                 MessageBox *messageBox = nullptr, StateFolder *stateFolder = nullptr,
                 FileIdentities *fileIdentities = nullptr, RuleSetStore *ruleSets = nullptr,
                 WindowSizeStore *sizes = nullptr, FolderLocks *folderLocks = nullptr, QWidget *parent = nullptr);

    [[nodiscard]] const RenamerCore &core() const { return m_core; }

    // The status line's answer to Ctrl+Z with no apply left to take back.
    static inline const QString NothingToUndo = QStringLiteral("Нечего возвращать");
    // Opens the new names as a list to edit as text.
    static inline const QKeySequence ListShortcut{Qt::CTRL | Qt::Key_E};

    // A folder named at the start that could not be opened, so the working folder shows: said
    // in the status line once the window is up, where a user who started it from a menu sees it.
    void tellStartProblem(const QString &problem) { m_startProblem = problem; }

    // How far the window (without the rules panel beside it) is grown past its designed size.
    [[nodiscard]] QSize growth() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    // The grid takes the growth; the controls below and right of it follow their edges.
    void resizeEvent(QResizeEvent *event) override;
    // Closing during long work cancels it first; the window closes once the work and
    // what follows it (the re-read, the reports) are over.
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void restoreShape();
    void ShapeMainWindow();
    static void ShapeRoundButton(QWidget *button);
    void connectControls();
    void redraw();
    void PicSub_Click();
    void PicFolders_Click();
    void PicPairs_Click();
    // Runs a core flow that may do long work, then redraws; the status line tells what an
    // apply or undo did, and goes after any other flow.
    enum class Status { Clear, Summary };
    void runFlow(const std::function<void()> &flow, Status status = Status::Clear);
    // A flow with a report: its boxes shown, its summary on the status line.
    void runReported(const std::function<BatchReport()> &flow);

    void PicToggle_Click(Toggle toggle);

    void TxtName_Change(const QString &text);
    void TxtNach_Change(const QString &text);
    void TxtShag_Change(const QString &text);
    void TxtName_KeyUp();
    void CboRazr_Click(int index);
    void CboRazr_DblClick();
    void CboOrder_Click(int index);
    void FlexGrid1_Sort(int column, bool descending);
    void FlexGrid1_MoveRows(const QList<int> &rows, int before);
    void FlexGrid1_ContextMenu(const QPoint &at);
    void CboOrder_ContextMenu(const QPoint &at);
    void addNumberingRestarts(QMenu &menu);
    // Asks the shift of the camera's clock (every file's for none) and applies it.
    void shiftCamera(const QString &camera);

    void FlexGrid1_AfterEdit(int row, const QString &name);

    void cboMask_Click(int index);
    void cboMask_Validate(const QString &text);
    void Drive1_Click(int index);
    void Dir1_Open(const QString &path);
    void Form_DragDrop(const QString &path);
    void ImgApply_Click();
    void ImgChancel_Click();
    void ImgHelp_Click();
    void undoApply();
    void PicMini_Click();
    void PicClose_Click();

    WidgetBusyPointer m_busyPointer;
    WidgetMessageBox m_ownMessageBox;
    WidgetWorkDisplay m_workDisplay;
    MessageBox &m_messages;
    RenamerCore m_core;
    PictureCheckBox *m_picSub = nullptr; // "С подпапками"
    PictureCheckBox *m_picFolders = nullptr; // "Папки тоже"
    PictureCheckBox *m_picPairs = nullptr; // "Связанные файлы вместе"
    FileGridModel m_model;
    QPixmap m_background;

    std::array<std::pair<PictureCheckBox *, Toggle>, 6> m_toggles{};
    WindowControls m_ui{};
    RulesPanel *m_rulesPanel = nullptr;
    NameListFlows *m_lists = nullptr;
    RuleSetStore *m_ruleSets;
    WindowSizeStore *m_sizes;
    int m_flowDepth = 0;
    QString m_summary; // the status line a reported flow leaves
    QString m_startProblem; // told by the status line once the window is up
    bool m_closeAfterFlow = false;
};

} // namespace velmix
