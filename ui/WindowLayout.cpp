#include "WindowLayout.h"

#include "CharacterLimitValidator.h"
#include "DigitWidthBox.h"
#include "DriveComboBox.h"
#include "FileGrid.h"
#include "FolderList.h"
#include "HiddenFileList.h"
#include "KeyReleaseLineEdit.h"
#include "MaskComboBox.h"
#include "NumberLineEdit.h"
#include "PictureButton.h"
#include "PictureCheckBox.h"
#include "RenamerCore.h"
#include "RoundTitleButton.h"
#include "Skin.h"

#include <QGroupBox>
#include <QHash>
#include <QLabel>

#include <algorithm>

namespace velmix::WindowLayout {

using namespace Qt::Literals::StringLiterals;

namespace {

using K = ControlKind;
using Built = QHash<QString, QWidget *>;

const QString frameStyle = QStringLiteral(
    "QGroupBox { background-color: rgb(255,243,195); border: 1px solid rgb(200,0,0); border-radius: 2px;"
    " margin-top: 6px; }"
    "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 6px;"
    " padding: 0px 2px; color: rgb(255,0,0); background-color: rgb(255,243,195); }");

bool showsNoCaption(ControlKind kind)
{
    return kind == K::PictureCheckBox || kind == K::MaskList || kind == K::DriveList
           || kind == K::FolderList || kind == K::Grid || kind == K::ChoiceList;
}

QWidget *create(const ControlSpec &entry, QWidget *parent)
{
    switch (entry.kind) {
    case K::Frame: {
        auto *frame = new QGroupBox(entry.text, parent);
        frame->setFont(Skin::frameFont());
        frame->setStyleSheet(frameStyle);
        return frame;
    }
    case K::PictureCheckBox: {
        auto *box = new PictureCheckBox(parent);
        box->setText(entry.text); // never painted
        return box;
    }
    case K::Label:
    case K::TitleLabel:
    case K::StatusLabel: {
        auto *label = new QLabel(entry.text, parent);
        label->setWordWrap(entry.kind == K::Label);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        QPalette colours = label->palette();
        colours.setColor(QPalette::WindowText, Skin::red);
        label->setPalette(colours);
        if (entry.kind == K::TitleLabel)
            label->setFont(Skin::titleFont());
        // A press on the status line drags the window, as one on the bare skin does.
        label->setAttribute(Qt::WA_TransparentForMouseEvents, entry.kind == K::StatusLabel);
        return label;
    }
    case K::TextBox: {
        auto *box = new KeyReleaseLineEdit(parent);
        if (entry.maxLength > 0)
            box->setValidator(new CharacterLimitValidator(entry.maxLength, box));
        box->setText(entry.text);
        return box;
    }
    case K::NumberBox: {
        auto *box = new NumberLineEdit(entry.maxLength, parent);
        box->setText(entry.text);
        return box;
    }
    case K::MaskList:
    case K::DigitWidthList: {
        QComboBox *list = entry.kind == K::DigitWidthList ? static_cast<QComboBox *>(new DigitWidthBox(parent))
                                                          : new MaskComboBox(parent);
        list->addItems(entry.entries);
        return list;
    }
    case K::ChoiceList: {
        auto *list = new QComboBox(parent);
        list->addItems(entry.entries);
        return list;
    }
    case K::DriveList:
        return new DriveComboBox(parent);
    case K::FolderList:
        return new FolderList(parent);
    case K::HiddenFileList:
        return new HiddenFileList(parent);
    case K::Grid:
        return new FileGrid(parent);
    case K::RoundTitleButton: {
        auto *button = new RoundTitleButton(parent);
        button->setPicture(Skin::picture(entry.picture, entry.place.size()));
        return button;
    }
    case K::PictureButton: {
        auto *button = new PictureButton(parent);
        button->setPicture(Skin::picture(entry.picture, entry.place.size()));
        return button;
    }
    case K::PictureHolder: {
        auto *holder = new QLabel(parent);
        holder->setPixmap(Skin::picture(entry.picture, entry.place.size()));
        holder->hide();
        return holder;
    }
    }
    Q_UNREACHABLE();
    return nullptr;
}


void setTabOrder(const Built &built)
{
    QList<const ControlSpec *> focusable;
    for (const ControlSpec &entry : controls()) {
        if (entry.focusOrder >= 0)
            focusable.append(&entry);
        else
            built[entry.name]->setFocusPolicy(Qt::NoFocus);
    }
    std::sort(focusable.begin(), focusable.end(),
              [](const ControlSpec *a, const ControlSpec *b) { return a->focusOrder < b->focusOrder; });
    for (qsizetype i = 1; i < focusable.size(); ++i)
        QWidget::setTabOrder(built[focusable[i - 1]->name], built[focusable[i]->name]);
}

WindowControls typedControls(const Built &built)
{
    const auto box = [&](const char *name) { return typed<PictureCheckBox>(built, name); };
    const auto field = [&](const char *name) { return typed<KeyReleaseLineEdit>(built, name); };
    const auto label = [&](const char *name) { return typed<QLabel>(built, name); };
    const auto button = [&](const char *name) { return typed<PictureButton>(built, name); };
    return {box("PicBig"), box("PicSmall"), box("PicPerBig"), box("PicPod"), box("PicBreak"), box("PicNum"),
            field("TxtName"), field("TxtNach"), field("TxtShag"),
            typed<DigitWidthBox>(built, "CboRazr"), typed<QComboBox>(built, "CboOrder"), typed<MaskComboBox>(built, "cboMask"),
            typed<DriveComboBox>(built, "Drive1"), typed<FolderList>(built, "Dir1"),
            typed<HiddenFileList>(built, "File1"), typed<FileGrid>(built, "FlexGrid1"),
            label("Label9"), label("LblStatus"), label("ImgChecked"), label("ImgUnchecked"),
            typed<RoundTitleButton>(built, "PicMini"), typed<RoundTitleButton>(built, "PicClose"),
            button("ImgHelp"), button("ImgChancel"), button("ImgApply")};
}

} // namespace

const QList<ControlSpec> &controls()
{
    static const QList<ControlSpec> layout = {
        {u"FraFormat"_s, K::Frame, {}, -1, {224, 408, 317, 117}, u"Форматирование"_s},
        {u"PicPerBig"_s, K::PictureCheckBox, u"FraFormat"_s, 23, {236, 488, 31, 31}, u"Первая буква большая"_s},
        {u"PicBig"_s, K::PictureCheckBox, u"FraFormat"_s, 21, {236, 424, 31, 31}, u"Все буквы большие"_s},
        {u"PicSmall"_s, K::PictureCheckBox, u"FraFormat"_s, 22, {236, 456, 31, 31}, u"Все буквы маленькие"_s},
        {u"PicPod"_s, K::PictureCheckBox, u"FraFormat"_s, 24, {384, 424, 31, 31}, u"Заменить \" \" на \"_\""_s},
        {u"PicBreak"_s, K::PictureCheckBox, u"FraFormat"_s, 25, {384, 456, 31, 31}, u"Заменить \"_\" на \" \""_s},
        {u"Label8"_s, K::Label, u"FraFormat"_s, -1, {276, 492, 81, 29}, u"Первая буква большая"_s, {}, {}, 0, {},
         u"PicPerBig"_s},
        {u"Label7"_s, K::Label, u"FraFormat"_s, -1, {420, 464, 109, 21}, u"Заменить \"_\" на \" \""_s, {}, {}, 0, {},
         u"PicBreak"_s},
        {u"Label6"_s, K::Label, u"FraFormat"_s, -1, {420, 432, 109, 21}, u"Заменить \" \" на \"_\""_s, {}, {}, 0, {},
         u"PicPod"_s},
        {u"Label5"_s, K::Label, u"FraFormat"_s, -1, {276, 460, 81, 29}, u"Все буквы маленькие"_s, {}, {}, 0, {},
         u"PicSmall"_s},
        {u"Label4"_s, K::Label, u"FraFormat"_s, -1, {276, 428, 77, 29}, u"Все буквы большие"_s, {}, {}, 0, {},
         u"PicBig"_s},
        {u"Frame1"_s, K::Frame, {}, -1, {20, 428, 193, 141}, u"Нумерация"_s},
        {u"PicNum"_s, K::PictureCheckBox, u"Frame1"_s, 19, {172, 528, 31, 31}, u"Нумерация"_s},
        // Beside the numbering box, in the frame's free corner: the order the numbers follow.
        {u"CboOrder"_s, K::ChoiceList, u"Frame1"_s, 18, {28, 534, 137, 21}, u"Порядок нумерации"_s, {}, {}, 0,
         {u"по имени"_s, u"по числам в имени"_s, u"по дате съёмки"_s, u"как в таблице"_s, u"по размеру"_s,
          u"по дате изменения"_s, u"по имени с конца"_s}},
        {u"TxtShag"_s, K::NumberBox, u"Frame1"_s, 17, {124, 500, 81, 21}, u"1"_s},
        {u"TxtNach"_s, K::NumberBox, u"Frame1"_s, 15, {124, 472, 81, 21}, u"1"_s, {}, {}, NamingOptions::StartTextLimit},
        {u"CboRazr"_s, K::DigitWidthList, u"Frame1"_s, 13, {124, 444, 81, 21}, {}, {}, {}, 0,
         {u"1"_s, u"01"_s, u"001"_s, u"0001"_s, u"00001"_s}},
        {u"Label3"_s, K::Label, u"Frame1"_s, -1, {28, 500, 89, 21}, u"Шаг"_s, {}, {}, 0, {}, u"TxtShag"_s},
        {u"Label2"_s, K::Label, u"Frame1"_s, -1, {28, 472, 89, 21}, u"Начать с"_s, {}, {}, 0, {}, u"TxtNach"_s},
        {u"Label1"_s, K::Label, u"Frame1"_s, -1, {28, 448, 89, 21}, u"Разрядность"_s, {}, {}, 0, {}, u"CboRazr"_s},
        {u"FraName"_s, K::Frame, {}, -1, {20, 384, 193, 45}, u"Переименовать"_s},
        {u"TxtName"_s, K::TextBox, u"FraName"_s, 11, {28, 400, 177, 21}, u"-"_s, {}, {}, NamingOptions::BaseNameLimit},
        {u"File1"_s, K::HiddenFileList, {}, -1, {388, 200, 149, 97}},
        {u"FraFile"_s, K::Frame, {}, -1, {224, 52, 321, 353}, u"Наименования файлов"_s},
        {u"FlexGrid1"_s, K::Grid, u"FraFile"_s, 9, {232, 68, 301, 329}, u"Наименования файлов"_s},
        {u"FraMask"_s, K::Frame, {}, -1, {20, 336, 193, 45}, u"Маска"_s},
        {u"cboMask"_s, K::MaskList, u"FraMask"_s, 8, {28, 352, 177, 21}, u"Маска"_s, {}, {}, 0, RenamerCore::Masks},
        {u"FraDir"_s, K::Frame, {}, -1, {20, 52, 193, 281}, u"Директория"_s},
        {u"Dir1"_s, K::FolderList, u"FraDir"_s, 4, {28, 96, 177, 138}, u"Папка"_s},
        // Under the folder list: whether the files of its subfolders are listed too, whether
        // the folders are renamed themselves, and whether files that go together are renamed
        // as one.
        {u"PicSub"_s, K::PictureCheckBox, u"FraDir"_s, 5, {28, 236, 31, 31}, u"С подпапками"_s},
        {u"LblSub"_s, K::Label, u"FraDir"_s, -1, {64, 242, 137, 21}, u"С подпапками"_s, {}, {}, 0, {}, u"PicSub"_s},
        {u"PicFolders"_s, K::PictureCheckBox, u"FraDir"_s, 6, {28, 268, 31, 31}, u"Папки тоже"_s},
        {u"LblFolders"_s, K::Label, u"FraDir"_s, -1, {64, 274, 137, 21}, u"Папки тоже"_s, {}, {}, 0, {}, u"PicFolders"_s},
        {u"PicPairs"_s, K::PictureCheckBox, u"FraDir"_s, 7, {28, 300, 31, 31}, u"Связанные файлы вместе"_s},
        {u"LblPairs"_s, K::Label, u"FraDir"_s, -1, {64, 301, 141, 29}, u"Связанные файлы вместе"_s, {}, {}, 0, {},
         u"PicPairs"_s},
        {u"Drive1"_s, K::DriveList, u"FraDir"_s, 3, {28, 68, 177, 21}, u"Диск"_s},
        {u"PicClose"_s, K::RoundTitleButton, {}, 34, {513, 10, 40, 40}, {}, u"close"_s, u"Закрыть"_s},
        // The title buttons close the tab order, so a first key never minimises the window.
        {u"PicMini"_s, K::RoundTitleButton, {}, 33, {479, 10, 40, 40}, {}, u"minimise"_s, u"Свернуть"_s},
        // The picture buttons follow the layout's tab order, so the keyboard reaches them too.
        {u"ImgHelp"_s, K::PictureButton, {}, 30, {284, 532, 84, 39}, {}, u"help"_s, u"Помощь"_s},
        {u"Label9"_s, K::TitleLabel, {}, -1, {20, 28, 161, 20}, u"Вельмикс В."_s},
        // What the last apply or undo did, in the bare strip beside the title.
        {u"LblStatus"_s, K::StatusLabel, {}, -1, {200, 31, 270, 17}},
        {u"ImgChancel"_s, K::PictureButton, {}, 31, {372, 532, 84, 39}, {}, u"reset"_s, u"Сбросить настройки"_s},
        {u"ImgApply"_s, K::PictureButton, {}, 32, {460, 532, 84, 39}, {}, u"apply"_s, u"Применить настройки"_s},
        {u"ImgChecked"_s, K::PictureHolder, {}, -1, {492, 388, 31, 31}, {}, u"checked"_s},
        {u"ImgUnchecked"_s, K::PictureHolder, {}, -1, {524, 392, 31, 31}, {}, u"unchecked"_s},
    };
    return layout;
}

namespace {

const ControlSpec *entryOf(const QString &name)
{
    for (const ControlSpec &entry : controls())
        if (entry.name == name)
            return &entry;
    return nullptr;
}

} // namespace

Anchor anchorOf(const ControlSpec &entry)
{
    // A frame's controls go where their frame goes, unless named; the grid grows with its
    // frame, the folder list with its own.
    static const QHash<QString, Anchor> anchors = {
        {u"FraFile"_s, Anchor::Grows},       {u"FlexGrid1"_s, Anchor::Grows},
        {u"FraDir"_s, Anchor::Taller},       {u"Dir1"_s, Anchor::Taller},       {u"Drive1"_s, Anchor::Stays},
        {u"FraMask"_s, Anchor::Down},        {u"FraName"_s, Anchor::Down},      {u"Frame1"_s, Anchor::Down},
        {u"FraFormat"_s, Anchor::DownWider}, {u"PicPod"_s, Anchor::DownHalfRight},
        {u"PicBreak"_s, Anchor::DownHalfRight}, {u"Label6"_s, Anchor::DownHalfRight},
        {u"Label7"_s, Anchor::DownHalfRight},
        {u"ImgHelp"_s, Anchor::DownRight},   {u"ImgChancel"_s, Anchor::DownRight},
        {u"ImgApply"_s, Anchor::DownRight},  {u"PicMini"_s, Anchor::Right},     {u"PicClose"_s, Anchor::Right},
        {u"LblStatus"_s, Anchor::Wider},
        // Under the folder list, which grows taller above them.
        {u"PicSub"_s, Anchor::Down},         {u"LblSub"_s, Anchor::Down},
        {u"PicFolders"_s, Anchor::Down},     {u"LblFolders"_s, Anchor::Down},
        {u"PicPairs"_s, Anchor::Down},       {u"LblPairs"_s, Anchor::Down},
    };
    const Anchor parent = anchors.value(entry.parent, Anchor::Stays);
    // A frame that widens or grows taller carries its controls along, never stretches them.
    const Anchor carried = parent == Anchor::DownWider ? Anchor::Down : parent == Anchor::Taller ? Anchor::Stays : parent;
    return anchors.value(entry.name, carried);
}

QRect placeOf(const ControlSpec &entry, QSize growth)
{
    const int dw = growth.width(), dh = growth.height();
    switch (anchorOf(entry)) {
    case Anchor::Stays:
        return entry.place;
    case Anchor::Down:
        return entry.place.translated(0, dh);
    case Anchor::DownRight:
        return entry.place.translated(dw, dh);
    case Anchor::Right:
        return entry.place.translated(dw, 0);
    case Anchor::Wider:
        return entry.place.adjusted(0, 0, dw, 0);
    case Anchor::Grows:
        return entry.place.adjusted(0, 0, dw, dh);
    case Anchor::Taller:
        return entry.place.adjusted(0, 0, 0, dh);
    case Anchor::DownWider:
        return entry.place.translated(0, dh).adjusted(0, 0, dw, 0);
    case Anchor::DownHalfRight:
        return entry.place.translated(dw / 2, dh);
    }
    Q_UNREACHABLE();
    return entry.place;
}

void follow(QWidget *window, QSize growth)
{
    for (const ControlSpec &entry : controls()) {
        if (anchorOf(entry) == Anchor::Stays)
            continue;
        const ControlSpec *parent = entryOf(entry.parent);
        const QPoint origin = parent ? placeOf(*parent, growth).topLeft() : QPoint();
        if (auto *control = window->findChild<QWidget *>(entry.name))
            control->setGeometry(placeOf(entry, growth).translated(-origin));
    }
}

QRect placeOf(const QString &name)
{
    const ControlSpec *entry = entryOf(name);
    return entry ? entry->place : QRect();
}

Built buildControls(QWidget *surface, const QList<ControlSpec> &entries)
{
    Built built;
    for (const ControlSpec &entry : entries) {
        QWidget *parent = entry.parent.isEmpty() ? surface : built[entry.parent];
        QWidget *control = create(entry, parent);
        built.insert(entry.name, control);
        control->setObjectName(entry.name);
        // Places are kept in the surface's pixels; a frame's children sit relative to the frame.
        control->setGeometry(entry.place.translated(-parent->mapTo(surface, QPoint(0, 0))));
        if (entry.kind != K::Frame && entry.kind != K::TitleLabel)
            control->setFont(Skin::controlFont());
        if (!entry.toolTip.isEmpty()) {
            control->setToolTip(entry.toolTip);
            control->setAccessibleName(entry.toolTip);
        } else if (showsNoCaption(entry.kind)) {
            control->setAccessibleName(entry.text);
        }
    }
    for (const ControlSpec &entry : entries)
        if (!entry.buddy.isEmpty())
            static_cast<QLabel *>(built[entry.name])->setBuddy(built[entry.buddy]);
    return built;
}

WindowControls build(QWidget *window)
{
    window->setFont(Skin::controlFont());
    const Built built = buildControls(window, controls());
    setTabOrder(built);
    return typedControls(built);
}

} // namespace velmix::WindowLayout
