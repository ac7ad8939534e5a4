#include "VelmixWindow.h"

#include "ComboBoxAccessible.h"
#include "DigitWidthBox.h"
#include "DriveComboBox.h"
#include "FileGrid.h"
#include "FolderList.h"
#include "HelpPage.h"
#include "HiddenFileList.h"
#include "KeyReleaseLineEdit.h"
#include "PictureButton.h"
#include "PictureCheckBox.h"
#include "RoundTitleButton.h"
#include "Skin.h"
#include "WindowDragger.h"
#include "WindowLayout.h"
#include "WindowOutline.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QShortcut>
#include <QSignalBlocker>

namespace velmix {

VelmixWindow::VelmixWindow(DriveList &driveList, FileMover &fileMover, const QString &startFolder,
                           MessageBox *messageBox, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_ownMessageBox(this)
    , m_workDisplay(this)
    , m_core({m_busyPointer, messageBox ? *messageBox : m_ownMessageBox, driveList, fileMover, m_workDisplay},
             startFolder)
    , m_model(m_core.table())
    , m_background(Skin::picture(QStringLiteral("background"), {570, 580}))
{
    setObjectName(QStringLiteral("frmVelmix"));
    setWindowTitle(QStringLiteral("Velmix V2.0"));
    setWindowIcon(Skin::windowIcon());
    setFixedSize(WindowLayout::WindowSize);
    // Nothing outside the outline is drawn, also where a window system takes the mask
    // for input only.
    setAttribute(Qt::WA_TranslucentBackground);

    ComboBoxAccessible::install();
    WindowLayout::build(this);
    m_toggles = {{{findChild<PictureCheckBox *>(QStringLiteral("PicBig")), Toggle::UpperCase},
                  {findChild<PictureCheckBox *>(QStringLiteral("PicSmall")), Toggle::LowerCase},
                  {findChild<PictureCheckBox *>(QStringLiteral("PicPerBig")), Toggle::FirstLetterCapital},
                  {findChild<PictureCheckBox *>(QStringLiteral("PicPod")), Toggle::SpacesToUnderscores},
                  {findChild<PictureCheckBox *>(QStringLiteral("PicBreak")), Toggle::UnderscoresToSpaces},
                  {findChild<PictureCheckBox *>(QStringLiteral("PicNum")), Toggle::Numbering}}};
    m_txtName = findChild<KeyReleaseLineEdit *>(QStringLiteral("TxtName"));
    m_txtNach = findChild<KeyReleaseLineEdit *>(QStringLiteral("TxtNach"));
    m_txtShag = findChild<KeyReleaseLineEdit *>(QStringLiteral("TxtShag"));
    m_cboRazr = findChild<DigitWidthBox *>(QStringLiteral("CboRazr"));
    m_cboMask = findChild<QComboBox *>(QStringLiteral("cboMask"));
    m_drive1 = findChild<DriveComboBox *>(QStringLiteral("Drive1"));
    m_dir1 = findChild<FolderList *>(QStringLiteral("Dir1"));
    m_grid = findChild<FileGrid *>(QStringLiteral("FlexGrid1"));
    findChild<HiddenFileList *>(QStringLiteral("File1"))->follow(&m_core.listing());

    const QPixmap checked = findChild<QLabel *>(QStringLiteral("ImgChecked"))->pixmap();
    const QPixmap unchecked = findChild<QLabel *>(QStringLiteral("ImgUnchecked"))->pixmap();
    for (const auto &[box, toggle] : m_toggles)
        box->setPictures(checked, unchecked);

    m_grid->setModel(&m_model);
    m_core.preview().setObserver(&m_model);
    new WindowDragger(this);
    connectControls();
    Form_Load();
    findChild<QWidget *>(QStringLiteral("PicMini"))->setFocus();
}

void VelmixWindow::Form_Load()
{
    ShapeMainWindow();
    ShapeRoundButton(findChild<QWidget *>(QStringLiteral("PicMini")));
    ShapeRoundButton(findChild<QWidget *>(QStringLiteral("PicClose")));
    m_core.startUp();
    m_grid->splitColumnsEvenly();
    auto *title = findChild<QLabel *>(QStringLiteral("Label9"));
    title->setText(title->text() + QStringLiteral(VELMIX_VERSION));
    title->adjustSize();
    redraw();
}

void VelmixWindow::ShapeMainWindow()
{
    setMask(WindowOutline::mainWindow());
}

void VelmixWindow::ShapeRoundButton(QWidget *button)
{
    button->setMask(WindowOutline::roundButton());
}

void VelmixWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_background);
}

void VelmixWindow::closeEvent(QCloseEvent *event)
{
    if (m_flowDepth > 0) {
        m_workDisplay.cancelWork();
        m_closeAfterFlow = true;
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void VelmixWindow::runFlow(const std::function<void()> &flow)
{
    ++m_flowDepth;
    flow();
    redraw();
    if (--m_flowDepth == 0 && m_closeAfterFlow)
        close();
}

void VelmixWindow::connectControls()
{
    const auto box = [this](const char *name) { return findChild<PictureCheckBox *>(QLatin1String(name)); };
    connect(box("PicBig"), &QAbstractButton::clicked, this, &VelmixWindow::PicBig_Click);
    connect(box("PicSmall"), &QAbstractButton::clicked, this, &VelmixWindow::PicSmall_Click);
    connect(box("PicPerBig"), &QAbstractButton::clicked, this, &VelmixWindow::PicPerBig_Click);
    connect(box("PicPod"), &QAbstractButton::clicked, this, &VelmixWindow::PicPod_Click);
    connect(box("PicBreak"), &QAbstractButton::clicked, this, &VelmixWindow::PicBreak_Click);
    connect(box("PicNum"), &QAbstractButton::clicked, this, &VelmixWindow::PicNum_Click);

    connect(m_txtName, &QLineEdit::textEdited, this, &VelmixWindow::TxtName_Change);
    connect(m_txtNach, &QLineEdit::textEdited, this, &VelmixWindow::TxtNach_Change);
    connect(m_txtShag, &QLineEdit::textEdited, this, &VelmixWindow::TxtShag_Change);
    connect(m_txtName, &KeyReleaseLineEdit::keyReleased, this, &VelmixWindow::TxtName_KeyUp);
    connect(m_txtNach, &KeyReleaseLineEdit::keyReleased, this, &VelmixWindow::TxtNach_KeyUp);
    connect(m_txtShag, &KeyReleaseLineEdit::keyReleased, this, &VelmixWindow::TxtShag_KeyUp);
    // A user's pick raises activated, the same entry again included, as the lists' click did.
    connect(m_cboRazr, &QComboBox::activated, this, &VelmixWindow::CboRazr_Click);
    connect(m_cboRazr, &DigitWidthBox::doubleClicked, this, &VelmixWindow::CboRazr_DblClick);
    connect(m_cboMask, &QComboBox::activated, this, &VelmixWindow::cboMask_Click);
    connect(m_drive1, &QComboBox::activated, this, &VelmixWindow::Drive1_Click);
    connect(m_dir1, &FolderList::folderOpened, this, &VelmixWindow::Dir1_Open);

    const auto button = [this](const char *name) { return findChild<QAbstractButton *>(QLatin1String(name)); };
    connect(button("ImgApply"), &QAbstractButton::clicked, this, &VelmixWindow::ImgApply_Click);
    connect(button("ImgChancel"), &QAbstractButton::clicked, this, &VelmixWindow::ImgChancel_Click);
    connect(button("ImgHelp"), &QAbstractButton::clicked, this, &HelpPage::open);
    connect(button("PicMini"), &QAbstractButton::clicked, this, &VelmixWindow::PicMini_Click);
    connect(button("PicClose"), &QAbstractButton::clicked, this, &VelmixWindow::PicClose_Click);
    // Anywhere in the window but a text box with edits of its own to undo.
    connect(new QShortcut(QKeySequence::Undo, this), &QShortcut::activated, this, &VelmixWindow::undoApply);
}

void VelmixWindow::redraw()
{
    const PreviewSession &preview = m_core.preview();
    for (const auto &[box, toggle] : m_toggles) {
        const QSignalBlocker blocker(box);
        box->setChecked(preview.isTicked(toggle));
    }
    const NamingOptions &options = preview.options();
    for (auto [field, text] : {std::pair{m_txtName, options.BaseName}, std::pair{m_txtNach, options.StartText},
                               std::pair{m_txtShag, options.StepText}}) {
        const QSignalBlocker blocker(field);
        field->showText(text);
    }
    {
        const QSignalBlocker razr(m_cboRazr);
        m_cboRazr->setCurrentIndex(options.DigitWidthIndex);
        const QSignalBlocker mask(m_cboMask);
        m_cboMask->setCurrentIndex(m_core.maskIndex());
    }
    m_drive1->showDrives(m_core.drives(), m_core.driveIndex());
    const int drive = m_core.driveIndex();
    const bool knownDrive = drive >= 0 && drive < m_core.drives().size();
    m_dir1->showFolder(knownDrive ? m_core.drives()[drive].mountPoint : QStringLiteral("/"), m_core.folder(),
                       m_core.listing().subfolders());
}

void VelmixWindow::PicBig_Click()
{
    m_core.preview().ToggleOption(Toggle::UpperCase);
    redraw();
}

void VelmixWindow::PicSmall_Click()
{
    m_core.preview().ToggleOption(Toggle::LowerCase);
    redraw();
}

void VelmixWindow::PicPerBig_Click()
{
    m_core.preview().ToggleOption(Toggle::FirstLetterCapital);
    redraw();
}

void VelmixWindow::PicPod_Click()
{
    m_core.preview().ToggleOption(Toggle::SpacesToUnderscores);
    redraw();
}

void VelmixWindow::PicBreak_Click()
{
    m_core.preview().ToggleOption(Toggle::UnderscoresToSpaces);
    redraw();
}

void VelmixWindow::PicNum_Click()
{
    m_core.preview().ToggleOption(Toggle::Numbering);
    redraw();
}

// Every edit, pasted text included, reaches the core at once without a rebuild, so the
// next rebuild sees what the box shows.
void VelmixWindow::TxtName_Change(const QString &text)
{
    m_core.preview().setBaseName(text);
}

void VelmixWindow::TxtNach_Change(const QString &text)
{
    m_core.preview().setStartText(text);
}

void VelmixWindow::TxtShag_Change(const QString &text)
{
    m_core.preview().setStepText(text);
}

void VelmixWindow::TxtName_KeyUp()
{
    m_core.preview().baseNameKeyReleased();
    redraw();
}

void VelmixWindow::TxtNach_KeyUp(int key)
{
    m_core.preview().startKeyReleased(keyMeaning(key));
    redraw();
}

void VelmixWindow::TxtShag_KeyUp(int key)
{
    m_core.preview().stepKeyReleased(keyMeaning(key));
    redraw();
}

void VelmixWindow::CboRazr_Click(int index)
{
    m_core.preview().setDigitWidthIndex(index);
    m_core.preview().digitWidthPicked();
    redraw();
}

void VelmixWindow::CboRazr_DblClick()
{
    m_core.preview().digitWidthDoubleClicked();
    redraw();
}

void VelmixWindow::cboMask_Click(int index)
{
    runFlow([&] { m_core.selectMask(index); });
}

void VelmixWindow::Drive1_Click(int index)
{
    runFlow([&] { m_core.selectDrive(index); });
}

void VelmixWindow::Dir1_Open(const QString &path)
{
    runFlow([&] { m_core.setFolder(path); });
}

void VelmixWindow::ImgApply_Click()
{
    runFlow([&] { m_core.applyNewNames(); });
}

void VelmixWindow::ImgChancel_Click()
{
    runFlow([&] { m_core.resetAndRelist(); });
}

void VelmixWindow::undoApply()
{
    if (m_core.canUndo())
        runFlow([&] { m_core.undoLastApply(); });
}

void VelmixWindow::PicMini_Click()
{
    showMinimized();
}

void VelmixWindow::PicClose_Click()
{
    // Ends at once: nothing is asked, pending new names are dropped.
    close();
}

} // namespace velmix
