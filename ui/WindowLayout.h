#pragma once

#include <QHash>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

class QComboBox;
class QLabel;

namespace velmix {

class DigitWidthBox;
class DriveComboBox;
class FileGrid;
class FolderList;
class HiddenFileList;
class KeyReleaseLineEdit;
class MaskComboBox;
class PictureButton;
class PictureCheckBox;
class RoundTitleButton;

enum class ControlKind {
    Frame,
    PictureCheckBox,
    Label,
    TitleLabel,
    TextBox,
    NumberBox,
    MaskList,
    DigitWidthList,
    StatusLabel,
    DriveList,
    FolderList,
    HiddenFileList,
    Grid,
    RoundTitleButton,
    PictureButton,
    PictureHolder,
    ChoiceList, // a list of fixed entries, nothing typed
};

// One control of the window: its name (the object name), kind, parent frame, place in
// the tab order, place and size in window pixels, and what it shows.
struct ControlSpec
{
    QString name;
    ControlKind kind;
    QString parent; // empty: the window itself
    int focusOrder; // -1: never takes the focus
    QRect place;
    // Caption, the text of a text box, or what a screen reader calls a control that shows
    // no caption of its own (picture boxes, lists, the grid).
    QString text = {};
    QString picture = {}; // skin picture name
    QString toolTip = {}; // also what a screen reader calls the control
    int maxLength = 0; // text boxes, in characters; 0: no limit
    QStringList entries = {}; // fixed list entries
    QString buddy = {}; // labels: the control whose name they give to screen readers
};

// The controls the window works with, named as their object names.
struct WindowControls
{
    PictureCheckBox *PicBig, *PicSmall, *PicPerBig, *PicPod, *PicBreak, *PicNum;
    KeyReleaseLineEdit *TxtName, *TxtNach, *TxtShag;
    DigitWidthBox *CboRazr;
    QComboBox *CboOrder;
    MaskComboBox *cboMask;
    DriveComboBox *Drive1;
    FolderList *Dir1;
    HiddenFileList *File1;
    FileGrid *FlexGrid1;
    QLabel *Label9, *LblStatus, *ImgChecked, *ImgUnchecked;
    RoundTitleButton *PicMini, *PicClose;
    PictureButton *ImgHelp, *ImgChancel, *ImgApply;
};

namespace WindowLayout {

inline constexpr QSize WindowSize(601, 594); // the designed size, the smallest

// How a control follows a window grown past its designed size, so that no bare skin
// opens up: the grid takes all the growth, the folder list the height of it; what lies
// below them goes down and what lies right of the grid goes right with the edge. The
// formatting frame below the grid widens with it, its second column of boxes moving
// half as far.
enum class Anchor { Stays, Down, DownRight, Right, Wider, Grows, Taller, DownWider, DownHalfRight };
[[nodiscard]] Anchor anchorOf(const ControlSpec &entry);
// The control's place in window pixels in a window grown by `growth`.
[[nodiscard]] QRect placeOf(const ControlSpec &entry, QSize growth);
// Moves and sizes the controls that follow the growth; the others never move.
void follow(QWidget *window, QSize growth);

// Every control in the order the layout defines them; parents come before children.
[[nodiscard]] const QList<ControlSpec> &controls();

// The named control's place in window pixels; empty for a name not in the layout.
[[nodiscard]] QRect placeOf(const QString &name);

// Creates every control on `window` at its place, with its texts, looks and tab order.
[[nodiscard]] WindowControls build(QWidget *window);

// Creates the given controls on `surface` as build() does (places in the surface's
// pixels, texts, looks, screen-reader names, label buddies), without a tab order.
[[nodiscard]] QHash<QString, QWidget *> buildControls(QWidget *surface, const QList<ControlSpec> &entries);

// The built control of that name; its type is fixed by its kind in the layout.
template<typename T>
[[nodiscard]] T *typed(const QHash<QString, QWidget *> &built, const char *name)
{
    auto *control = qobject_cast<T *>(built.value(QLatin1String(name)));
    Q_ASSERT(control);
    return control;
}

} // namespace WindowLayout
} // namespace velmix
