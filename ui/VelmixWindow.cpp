#include "VelmixWindow.h"

#include "AccessibleInterfaces.h"
#include "BaseNameFields.h"
#include "CameraMenus.h"
#include "ComboBoxAccessible.h"
#include "DigitWidthBox.h"
#include "DriveComboBox.h"
#include "FileGrid.h"
#include "FolderDrop.h"
#include "FolderList.h"
#include "HelpPage.h"
#include "HiddenFileList.h"
#include "KeyReleaseLineEdit.h"
#include "MaskComboBox.h"
#include "MenuKeys.h"
#include "NameListFlows.h"
#include "NumberLineEdit.h"
#include "PictureButton.h"
#include "PictureCheckBox.h"
#include "RoundTitleButton.h"
#include "RulesPanel.h"
#include "sets/RuleSetStore.h"
#include "Skin.h"
#include "SkinDrawing.h"
#include "WindowDragger.h"
#include "WindowLayout.h"
#include "WindowOutline.h"
#include "WindowResizer.h"
#include "WindowSizeStore.h"
#include "program/ProgramTitle.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>

#include <tuple>

namespace velmix {

VelmixWindow::VelmixWindow(DriveList &driveList, FileMover &fileMover, const QString &startFolder,
                           MessageBox *messageBox, StateFolder *stateFolder, FileIdentities *fileIdentities,
                           RuleSetStore *ruleSets, WindowSizeStore *sizes, FolderLocks *folderLocks, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_ownMessageBox(this)
    , m_workDisplay(this)
    , m_messages(messageBox ? *messageBox : m_ownMessageBox)
    , m_core({m_busyPointer, m_messages, driveList, fileMover, m_workDisplay, stateFolder, fileIdentities, ruleSets,
              folderLocks},
             startFolder)
    , m_model(m_core.table())
    , m_background(Skin::picture(QStringLiteral("background"), SkinDrawing::BackgroundSize))
    , m_ruleSets(ruleSets)
    , m_sizes(sizes)
{
    setObjectName(QStringLiteral("frmVelmix"));
    setWindowTitle(ProgramTitle);
    setWindowIcon(Skin::windowIcon());
    setMinimumSize(WindowLayout::WindowSize);
    // Nothing outside the outline is drawn, also where a window system takes the mask
    // for input only.
    setAttribute(Qt::WA_TranslucentBackground);

    AccessibleInterfaces::install();
    MenuKeys::install();
    m_ui = WindowLayout::build(this);
    m_toggles = {{{m_ui.PicBig, Toggle::UpperCase},
                  {m_ui.PicSmall, Toggle::LowerCase},
                  {m_ui.PicPerBig, Toggle::FirstLetterCapital},
                  {m_ui.PicPod, Toggle::SpacesToUnderscores},
                  {m_ui.PicBreak, Toggle::UnderscoresToSpaces},
                  {m_ui.PicNum, Toggle::Numbering}}};
    m_ui.File1->follow(&m_core.listing());
    for (const auto &[box, toggle] : m_toggles)
        box->setPictures(m_ui.ImgChecked->pixmap(), m_ui.ImgUnchecked->pixmap());
    m_picSub = findChild<PictureCheckBox *>(QStringLiteral("PicSub"));
    m_picSub->setPictures(m_ui.ImgChecked->pixmap(), m_ui.ImgUnchecked->pixmap());
    m_picFolders = findChild<PictureCheckBox *>(QStringLiteral("PicFolders"));
    m_picFolders->setPictures(m_ui.ImgChecked->pixmap(), m_ui.ImgUnchecked->pixmap());
    m_picPairs = findChild<PictureCheckBox *>(QStringLiteral("PicPairs"));
    m_picPairs->setPictures(m_ui.ImgChecked->pixmap(), m_ui.ImgUnchecked->pixmap());
    m_rulesPanel = new RulesPanel(this, m_core.preview(), m_ui.ImgChecked->pixmap(), m_ui.ImgUnchecked->pixmap());
    m_rulesPanel->continueTabOrder(m_ui.ImgApply);
    m_rulesPanel->setRuleSets(ruleSets, m_messages);
    connect(m_rulesPanel, &RulesPanel::ruleSetPicked, this,
            [this](const RuleSet &set) { runFlow([&] { set.applyTo(m_core.preview()); }); });
    connect(m_rulesPanel, &RulesPanel::shapeChanged, this, &VelmixWindow::ShapeMainWindow);

    m_ui.FlexGrid1->setModel(&m_model);
    connect(&m_model, &FileGridModel::markedRowsChanged, m_ui.FlexGrid1, &FileGrid::showMarkedRows);
    m_ui.FlexGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_ui.FlexGrid1, &QWidget::customContextMenuRequested, this, &VelmixWindow::FlexGrid1_ContextMenu);
    m_core.preview().setObserver(&m_model);
    m_lists = new NameListFlows(this, m_core.preview(), m_messages, [this](const QString &status) {
        redraw();
        m_ui.LblStatus->setText(status);
    });
    connect(m_ui.FlexGrid1, &FileGrid::namesPasted, m_lists, &NameListFlows::paste);
    new WindowDragger(this);
    // After the dragger, so it sees a press on the edges first.
    new WindowResizer(this, [this] {
        const QSize grown = growth();
        return SkinDrawing::Panel.toRect().adjusted(0, 0, grown.width(), grown.height());
    });
    // Queued: a drop from another program ends before the folder is read.
    connect(new FolderDrop(this), &FolderDrop::dropped, this, &VelmixWindow::Form_DragDrop, Qt::QueuedConnection);
    connectControls();
    Form_Load();
    restoreShape();
    m_ui.Dir1->setFocus(); // where the work starts
    // Once the window shows, so that the repair's box stands over it.
    QMetaObject::invokeMethod(this, [this] {
        runReported([&] { return m_core.repairUnfinishedBatches(); });
        if (m_ui.LblStatus->text().isEmpty()) // a repair's summary comes first
            m_ui.LblStatus->setText(std::exchange(m_startProblem, {}));
    }, Qt::QueuedConnection);
}

void VelmixWindow::Form_Load()
{
    ShapeMainWindow();
    ShapeRoundButton(m_ui.PicMini);
    ShapeRoundButton(m_ui.PicClose);
    m_workDisplay.letThrough({m_ui.PicMini, m_ui.PicClose});
    m_core.startUp();
    m_ui.FlexGrid1->splitColumnsEvenly();
    m_ui.Label9->setText(m_ui.Label9->text() + QStringLiteral(VELMIX_VERSION));
    m_ui.Label9->adjustSize();
    redraw();
}

// A kept size below the designed one grows to it; one larger than the screen's
// available area shrinks to that.
void VelmixWindow::restoreShape()
{
    if (!m_sizes)
        return;
    const WindowSizeStore::Shape shape = m_sizes->load();
    if (shape.size.isValid()) {
        const QSize room = screen()->availableGeometry().size();
        resize(shape.size.boundedTo(room).expandedTo(WindowLayout::WindowSize));
    }
    if (shape.maximised) // shown so, returning to the size above
        setWindowState(windowState() | Qt::WindowMaximized);
    m_ui.FlexGrid1->keepFirstColumnWidth(shape.firstColumn);
}

QSize VelmixWindow::growth() const
{
    return (size() - QSize(m_rulesPanel->besideWidth(), 0) - WindowLayout::WindowSize).expandedTo(QSize(0, 0));
}

void VelmixWindow::ShapeMainWindow()
{
    setMask(WindowOutline::mainWindow(growth()) + m_rulesPanel->shownOutline());
}

void VelmixWindow::ShapeRoundButton(QWidget *button)
{
    button->setMask(WindowOutline::roundButton());
}

// At the designed size the skin's picture, pixel for pixel; grown, the same skin drawn
// for the size.
void VelmixWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QSize grown = growth();
    if (grown.isNull())
        painter.drawPixmap(0, 0, m_background);
    else
        SkinDrawing::drawBackground(painter, grown);
}

void VelmixWindow::resizeEvent(QResizeEvent *event)
{
    const QSize grown = growth();
    WindowLayout::follow(this, grown);
    m_rulesPanel->followWindow(grown);
    ShapeMainWindow();
    QWidget::resizeEvent(event);
}

void VelmixWindow::closeEvent(QCloseEvent *event)
{
    if (m_flowDepth > 0) {
        m_workDisplay.cancelWork();
        m_ownMessageBox.closing();
        m_closeAfterFlow = true;
        event->ignore();
        return;
    }
    if (m_sizes) {
        // A maximised window keeps the size it returns to.
        const QSize size = isMaximized() ? normalGeometry().size() - QSize(m_rulesPanel->besideWidth(), 0)
                                         : WindowLayout::WindowSize + growth();
        m_sizes->save({size, m_ui.FlexGrid1->firstColumnWidthKept(), isMaximized()});
    }
    QWidget::closeEvent(event);
}

void VelmixWindow::runReported(const std::function<BatchReport()> &flow)
{
    runFlow([&] {
        const BatchReport report = flow();
        for (const BatchReport::Box &box : report.boxes())
            m_messages.showMessage(box.title, box.text);
        m_summary = report.summary;
    }, Status::Summary);
}

void VelmixWindow::runFlow(const std::function<void()> &flow, Status status)
{
    ++m_flowDepth;
    flow();
    m_ui.LblStatus->setText(status == Status::Summary ? std::exchange(m_summary, {}) : QString());
    redraw();
    // The flows reset the fields, so the typing before them is no longer the boxes' to
    // undo: after an apply, Ctrl+Z anywhere offers to take the apply back.
    for (KeyReleaseLineEdit *field : {m_ui.TxtName, m_ui.TxtNach, m_ui.TxtShag})
        field->forgetEdits();
    m_rulesPanel->forgetEdits();
    if (--m_flowDepth == 0 && m_closeAfterFlow)
        close();
}

void VelmixWindow::connectControls()
{
    for (const auto &[box, toggle] : m_toggles)
        connect(box, &QAbstractButton::clicked, this, [this, toggle = toggle] { PicToggle_Click(toggle); });
    connect(m_picSub, &QAbstractButton::clicked, this, &VelmixWindow::PicSub_Click);
    connect(m_picFolders, &QAbstractButton::clicked, this, &VelmixWindow::PicFolders_Click);
    connect(m_picPairs, &QAbstractButton::clicked, this, &VelmixWindow::PicPairs_Click);

    connect(m_ui.TxtName, &QLineEdit::textEdited, this, &VelmixWindow::TxtName_Change);
    connect(m_ui.TxtNach, &QLineEdit::textEdited, this, &VelmixWindow::TxtNach_Change);
    connect(m_ui.TxtShag, &QLineEdit::textEdited, this, &VelmixWindow::TxtShag_Change);
    connect(m_ui.TxtName, &KeyReleaseLineEdit::keyReleased, this, &VelmixWindow::TxtName_KeyUp);
    // A field inserted from the menu is an edit and a key release at once.
    BaseNameFields::offer(m_ui.TxtName, [this] {
        TxtName_Change(m_ui.TxtName->text());
        TxtName_KeyUp();
    });
    BaseNameFields::selectKeepingTextOnFocus(m_ui.TxtName);
    // A user's pick raises activated, the same entry again included, as the lists' click did.
    connect(m_ui.CboRazr, &QComboBox::activated, this, &VelmixWindow::CboRazr_Click);
    connect(m_ui.CboRazr, &DigitWidthBox::doubleClicked, this, &VelmixWindow::CboRazr_DblClick);
    connect(m_ui.CboOrder, &QComboBox::activated, this, &VelmixWindow::CboOrder_Click);
    m_ui.CboOrder->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_ui.CboOrder, &QWidget::customContextMenuRequested, this, &VelmixWindow::CboOrder_ContextMenu);
    connect(&m_model, &FileGridModel::newNameTyped, this, &VelmixWindow::FlexGrid1_AfterEdit);
    connect(m_ui.FlexGrid1, &FileGrid::sortRequested, this, &VelmixWindow::FlexGrid1_Sort);
    connect(m_ui.FlexGrid1, &FileGrid::moveRequested, this, &VelmixWindow::FlexGrid1_MoveRows);
    connect(m_ui.cboMask, &QComboBox::activated, this, &VelmixWindow::cboMask_Click);
    connect(m_ui.cboMask, &MaskComboBox::maskTyped, this, &VelmixWindow::cboMask_Validate);
    connect(m_ui.Drive1, &QComboBox::activated, this, &VelmixWindow::Drive1_Click);
    connect(m_ui.Dir1, &FolderList::folderOpened, this, &VelmixWindow::Dir1_Open);

    connect(m_ui.ImgApply, &QAbstractButton::clicked, this, &VelmixWindow::ImgApply_Click);
    connect(m_ui.ImgChancel, &QAbstractButton::clicked, this, &VelmixWindow::ImgChancel_Click);
    connect(m_ui.ImgHelp, &QAbstractButton::clicked, this, &VelmixWindow::ImgHelp_Click);
    connect(m_ui.PicMini, &QAbstractButton::clicked, this, &VelmixWindow::PicMini_Click);
    connect(m_ui.PicClose, &QAbstractButton::clicked, this, &VelmixWindow::PicClose_Click);
    // Anywhere in the window but a text box with edits of its own to undo.
    connect(new QShortcut(QKeySequence::Undo, this), &QShortcut::activated, this, &VelmixWindow::undoApply);
    connect(new QShortcut(ListShortcut, this), &QShortcut::activated, m_lists, &NameListFlows::editList);
    // Resting the pointer on the status line tells what Ctrl+Z would take back.
    connect(&m_core.undo(), &UndoKeeper::undoTextChanged, m_ui.LblStatus, &QWidget::setToolTip);
}

void VelmixWindow::redraw()
{
    const PreviewSession &preview = m_core.preview();
    for (const auto &[box, toggle] : m_toggles) {
        const QSignalBlocker blocker(box);
        box->setChecked(preview.isTicked(toggle));
    }
    {
        const QSignalBlocker blocker(m_picSub);
        m_picSub->setChecked(m_core.subfolders());
        const QSignalBlocker folders(m_picFolders);
        m_picFolders->setChecked(m_core.renamesFolders());
        const QSignalBlocker pairs(m_picPairs);
        m_picPairs->setChecked(m_core.pairs());
    }
    const NamingOptions &options = preview.options();
    for (auto [field, text] : {std::pair{m_ui.TxtName, options.BaseName}, std::pair{m_ui.TxtNach, options.StartText},
                               std::pair{m_ui.TxtShag, options.StepText}}) {
        const QSignalBlocker blocker(field);
        field->showText(text);
    }
    {
        const QSignalBlocker razr(m_ui.CboRazr);
        m_ui.CboRazr->setCurrentIndex(options.DigitWidthIndex);
        const QSignalBlocker order(m_ui.CboOrder);
        m_ui.CboOrder->setCurrentIndex(int(options.Order));
    }
    m_ui.FlexGrid1->showNoFiles(!m_core.table().holdsFiles());
    m_ui.cboMask->showMasks(m_core.masks(), m_core.maskText());
    m_ui.Drive1->showDrives(m_core.drives(), m_core.driveIndex());
    for (QComboBox *list : std::initializer_list<QComboBox *>{m_ui.CboRazr, m_ui.CboOrder, m_ui.cboMask, m_ui.Drive1})
        ComboBoxAccessible::selectCurrentEntry(list);
    const int drive = m_core.driveIndex();
    const bool knownDrive = drive >= 0 && drive < m_core.drives().size();
    m_rulesPanel->showRules();
    m_ui.Dir1->showFolder(knownDrive ? m_core.drives()[drive].mountPoint : QStringLiteral("/"), m_core.folder(),
                       m_core.listing().subfolders());
}

// The click of any of the six picture check boxes (PicBig_Click, PicSmall_Click, ...).
void VelmixWindow::PicToggle_Click(Toggle toggle)
{
    m_core.preview().ToggleOption(toggle);
    redraw();
}

// Lists the subfolders' files too, or no longer; the box shows what the core lists.
void VelmixWindow::PicSub_Click()
{
    runFlow([&] { m_core.setSubfolders(!m_core.subfolders()); });
}

// Renames the folders listed in too, or no longer; the box shows what the core lists.
void VelmixWindow::PicFolders_Click()
{
    runFlow([&] { m_core.setRenameFolders(!m_core.renamesFolders()); });
}

// Files that go together are renamed as one, or each on its own; the grid shows them so.
void VelmixWindow::PicPairs_Click()
{
    m_core.setPairs(!m_core.pairs());
    redraw();
}

// Every edit, pasted text included, reaches the core at once without a rebuild, so the
// next rebuild sees what the box shows.
void VelmixWindow::TxtName_Change(const QString &text)
{
    m_core.preview().setBaseName(text);
}

// The numbering fields: every change of their text (typing, deleting, a paste, a cut, an
// undo) is a change of the preview, so the preview never shows other numbers than an
// apply would give.
void VelmixWindow::TxtNach_Change(const QString &text)
{
    m_core.preview().setStartText(text);
    m_core.preview().numberingInputChanged();
    redraw();
}

void VelmixWindow::TxtShag_Change(const QString &text)
{
    m_core.preview().setStepText(text);
    m_core.preview().numberingInputChanged();
    redraw();
}

void VelmixWindow::TxtName_KeyUp()
{
    m_core.preview().baseNameKeyReleased();
    redraw();
}

void VelmixWindow::CboRazr_Click(int index)
{
    m_core.preview().setDigitWidthIndex(index);
    m_core.preview().numberingInputChanged();
    redraw();
}

void VelmixWindow::CboRazr_DblClick()
{
    m_core.preview().digitWidthDoubleClicked();
    redraw();
}

void VelmixWindow::CboOrder_Click(int index)
{
    m_core.setNumberingOrder(NumberingOrder(index));
    if (m_core.preview().options().Order != NumberingOrder::AsShown)
        m_ui.FlexGrid1->clearSortIndicator();
    redraw();
}

// The rows sorted or moved by hand are numbered as shown; the order list says so.
void VelmixWindow::FlexGrid1_Sort(int column, bool descending)
{
    m_core.preview().sortRows(column, descending);
    redraw();
}

void VelmixWindow::FlexGrid1_MoveRows(const QList<int> &rows, int before)
{
    const qsizetype first = m_core.preview().moveRows(std::vector<qsizetype>(rows.begin(), rows.end()), before);
    m_ui.FlexGrid1->clearSortIndicator();
    m_ui.FlexGrid1->selectMovedRows(int(first), int(rows.size()));
    redraw();
}

// The lists of names, the clock of the row's camera put right, the counters that restart,
// and the rare old tag whose encoding is guessed wrong read again in the one chosen here.
void VelmixWindow::FlexGrid1_ContextMenu(const QPoint &at)
{
    QMenu menu(this);
    const bool files = m_core.table().holdsFiles();
    for (const auto &[text, shortcut, flow] : {std::tuple{"Список имён…", ListShortcut, &NameListFlows::editList},
                                               std::tuple{"Имена из файла…", QKeySequence(), &NameListFlows::namesFromFile},
                                               std::tuple{"Сохранить список…", QKeySequence(), &NameListFlows::saveList}}) {
        QAction *action = menu.addAction(QString::fromUtf8(text), shortcut, m_lists, flow);
        action->setEnabled(files);
    }
    menu.addSeparator();
    const int row = m_ui.FlexGrid1->indexAt(at).row();
    if (row >= 0 && files) {
        CameraMenus::addDateShifts(menu, m_core.preview().cameraAt(row), m_core.preview().options().Shifts,
                                   [this](const QString &camera) { shiftCamera(camera); });
        menu.addSeparator();
    }
    addNumberingRestarts(menu);
    menu.addSeparator();
    auto *choices = new QActionGroup(&menu);
    const std::pair<const char *, OldTagText> items[] = {{"Старые теги: определять", OldTagText::Detect},
                                                         {"Старые теги: cp1251", OldTagText::Cp1251},
                                                         {"Старые теги: Latin-1", OldTagText::Latin1}};
    for (const auto &[text, choice] : items) {
        QAction *action = menu.addAction(QString::fromUtf8(text));
        action->setCheckable(true);
        action->setChecked(m_core.oldTagText() == choice);
        action->setActionGroup(choices);
        connect(action, &QAction::triggered, this, [this, choice = choice] { runFlow([&] { m_core.setOldTagText(choice); }); });
    }
    menu.exec(m_ui.FlexGrid1->viewport()->mapToGlobal(at));
}

void VelmixWindow::addNumberingRestarts(QMenu &menu)
{
    CameraMenus::addNumberingRestarts(menu, m_core.preview().options(), [this](bool perFolder, bool perDay) {
        runFlow([&] { m_core.preview().setNumberingRestarts(perFolder, perDay); });
    });
}

// The order list's own menu holds the restarts too, beside the numbering they change.
void VelmixWindow::CboOrder_ContextMenu(const QPoint &at)
{
    QMenu menu(this);
    addNumberingRestarts(menu);
    menu.exec(m_ui.CboOrder->mapToGlobal(at));
}

void VelmixWindow::shiftCamera(const QString &camera)
{
    if (const std::optional<int> minutes =
            CameraMenus::askShift(this, m_messages, camera, m_core.preview().options().Shifts))
        runFlow([&] { m_core.preview().setDateShift(camera, *minutes); });
}

// A name typed into the grid's new-name cell; an emptied one gives the row back.
void VelmixWindow::FlexGrid1_AfterEdit(int row, const QString &name)
{
    m_core.preview().setHandName(row, name);
    redraw();
}

void VelmixWindow::cboMask_Click(int index)
{
    runFlow([&] { m_core.selectMask(index); });
}

// A refused mask changes nothing; the redraw shows the mask in use again.
void VelmixWindow::cboMask_Validate(const QString &text)
{
    runFlow([&] { m_core.setTypedMask(text); });
}

void VelmixWindow::Drive1_Click(int index)
{
    runFlow([&] { m_core.selectDrive(index); });
}

void VelmixWindow::Dir1_Open(const QString &path)
{
    runFlow([&] { m_core.setFolder(path); });
}

void VelmixWindow::Form_DragDrop(const QString &path)
{
    runFlow([&] { m_core.openFolder(path); });
}

void VelmixWindow::ImgApply_Click()
{
    // A set that cannot be kept costs only the next pick of it: no box.
    bool ran = false;
    runReported([&] {
        BatchReport report = m_core.applyNewNames();
        ran = report.ran;
        return report;
    });
    m_rulesPanel->showRuleSets();
    if (ran) // the apply reset the rules
        m_rulesPanel->showNoSet();
}

void VelmixWindow::ImgChancel_Click()
{
    runFlow([&] { m_core.resetAndRelist(); });
    m_rulesPanel->showNoSet();
}

// Where no program opens the page, the user is told where it lies.
void VelmixWindow::ImgHelp_Click()
{
    const QString page = HelpPage::locate(QCoreApplication::applicationDirPath());
    if (!HelpPage::open(page))
        m_messages.showMessage(ProgramTitle, HelpPage::notOpened(page));
}

void VelmixWindow::undoApply()
{
    // Asked each time: another program may have applied or undone since.
    bool ran = false;
    runReported([&] {
        BatchReport report = m_core.undoLastApply();
        ran = report.ran || !report.clean();
        return report;
    });
    if (!ran && !m_core.canUndo())
        m_ui.LblStatus->setText(NothingToUndo);
}

void VelmixWindow::PicMini_Click()
{
    showMinimized();
}

void VelmixWindow::PicClose_Click()
{
    // Nothing is asked, pending new names are dropped; work under way is cancelled first.
    close();
}

} // namespace velmix
