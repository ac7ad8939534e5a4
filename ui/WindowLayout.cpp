#include "WindowLayout.h"

#include "DigitWidthBox.h"
#include "DriveComboBox.h"
#include "FileGrid.h"
#include "FolderList.h"
#include "HiddenFileList.h"
#include "KeyReleaseLineEdit.h"
#include "PictureButton.h"
#include "PictureCheckBox.h"
#include "RenamerCore.h"
#include "RoundTitleButton.h"
#include "Skin.h"

#include <QGroupBox>
#include <QLabel>

#include <algorithm>

namespace velmix::WindowLayout {

namespace {

using K = ControlKind;

const QString frameStyle = QStringLiteral(
    "QGroupBox { background-color: rgb(255,243,195); border: 1px solid rgb(200,0,0); border-radius: 2px;"
    " margin-top: 6px; }"
    "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 6px;"
    " padding: 0px 2px; color: rgb(255,0,0); background-color: rgb(255,243,195); }");

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
        box->setText(entry.text); // never painted; names the box for screen readers
        return box;
    }
    case K::Label:
    case K::TitleLabel: {
        auto *label = new QLabel(entry.text, parent);
        label->setWordWrap(entry.kind == K::Label);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        QPalette colours = label->palette();
        colours.setColor(QPalette::WindowText, Skin::red);
        label->setPalette(colours);
        if (entry.kind == K::TitleLabel)
            label->setFont(Skin::titleFont());
        return label;
    }
    case K::TextBox: {
        auto *box = new KeyReleaseLineEdit(parent);
        box->setText(entry.text);
        if (entry.maxLength > 0)
            box->setMaxLength(entry.maxLength);
        return box;
    }
    case K::DropDownList:
    case K::DigitWidthList: {
        QComboBox *list = entry.kind == K::DigitWidthList ? new DigitWidthBox(parent) : new QComboBox(parent);
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

void setTabOrder(QWidget *window)
{
    QList<const ControlSpec *> focusable;
    for (const ControlSpec &entry : controls()) {
        if (entry.focusOrder >= 0)
            focusable.append(&entry);
        else
            window->findChild<QWidget *>(entry.name)->setFocusPolicy(Qt::NoFocus);
    }
    std::sort(focusable.begin(), focusable.end(),
              [](const ControlSpec *a, const ControlSpec *b) { return a->focusOrder < b->focusOrder; });
    for (qsizetype i = 1; i < focusable.size(); ++i)
        QWidget::setTabOrder(window->findChild<QWidget *>(focusable[i - 1]->name),
                             window->findChild<QWidget *>(focusable[i]->name));
}

} // namespace

const QList<ControlSpec> &controls()
{
    static const QList<ControlSpec> layout = {
        {"FraFormat", K::Frame, "", -1, {224, 408, 317, 117}, "Форматирование"},
        {"PicPerBig", K::PictureCheckBox, "FraFormat", 29, {236, 488, 31, 31}, "Первая буква большая"},
        {"PicBig", K::PictureCheckBox, "FraFormat", 24, {236, 424, 31, 31}, "Все буквы большие"},
        {"PicSmall", K::PictureCheckBox, "FraFormat", 23, {236, 456, 31, 31}, "Все буквы маленькие"},
        {"PicPod", K::PictureCheckBox, "FraFormat", 22, {384, 424, 31, 31}, "Заменить \" \" на \"_\""},
        {"PicBreak", K::PictureCheckBox, "FraFormat", 21, {384, 456, 31, 31}, "Заменить \"_\" на \" \""},
        {"Label8", K::Label, "FraFormat", -1, {276, 492, 81, 29}, "Первая буква большая"},
        {"Label7", K::Label, "FraFormat", -1, {420, 464, 109, 21}, "Заменить \"_\" на \" \""},
        {"Label6", K::Label, "FraFormat", -1, {420, 432, 109, 21}, "Заменить \" \" на \"_\""},
        {"Label5", K::Label, "FraFormat", -1, {276, 460, 81, 29}, "Все буквы маленькие"},
        {"Label4", K::Label, "FraFormat", -1, {276, 428, 77, 29}, "Все буквы большие"},
        {"Frame1", K::Frame, "", -1, {20, 428, 193, 141}, "Нумерация"},
        {"PicNum", K::PictureCheckBox, "Frame1", 19, {172, 528, 31, 31}, "Нумерация"},
        {"TxtShag", K::TextBox, "Frame1", 17, {124, 500, 81, 21}, "1"},
        {"TxtNach", K::TextBox, "Frame1", 15, {124, 472, 81, 21}, "1", "", "", NamingOptions::StartTextLimit},
        {"CboRazr", K::DigitWidthList, "Frame1", 13, {124, 444, 81, 21}, "", "", "", 0,
         {"1", "01", "001", "0001", "00001"}},
        {"Label3", K::Label, "Frame1", -1, {28, 500, 89, 21}, "Шаг"},
        {"Label2", K::Label, "Frame1", -1, {28, 472, 89, 21}, "Начать с"},
        {"Label1", K::Label, "Frame1", -1, {28, 448, 89, 21}, "Разрядность"},
        {"FraName", K::Frame, "", -1, {20, 384, 193, 45}, "Переименовать"},
        {"TxtName", K::TextBox, "FraName", 11, {28, 400, 177, 21}, "-", "", "", NamingOptions::BaseNameLimit},
        {"File1", K::HiddenFileList, "", -1, {388, 200, 149, 97}},
        {"FraFile", K::Frame, "", -1, {224, 52, 321, 353}, "Наименования файлов"},
        {"FlexGrid1", K::Grid, "FraFile", 8, {232, 68, 301, 329}},
        {"FraMask", K::Frame, "", -1, {20, 336, 193, 45}, "Маска"},
        {"cboMask", K::DropDownList, "FraMask", 6, {28, 352, 177, 21}, "", "", "", 0, RenamerCore::Masks},
        {"FraDir", K::Frame, "", -1, {20, 52, 193, 281}, "Директория"},
        {"Dir1", K::FolderList, "FraDir", 4, {28, 96, 177, 231}},
        {"Drive1", K::DriveList, "FraDir", 3, {28, 68, 177, 21}},
        {"PicClose", K::RoundTitleButton, "", 1, {513, 10, 40, 40}, "", "close", "Закрыть"},
        {"PicMini", K::RoundTitleButton, "", 0, {479, 10, 40, 40}, "", "minimise", "Свернуть"},
        // The picture buttons follow the layout's tab order, so the keyboard reaches them too.
        {"ImgHelp", K::PictureButton, "", 30, {284, 532, 84, 39}, "", "help", "Помощь"},
        {"Label9", K::TitleLabel, "", -1, {20, 28, 161, 20}, "Вельмикс В."},
        {"ImgChancel", K::PictureButton, "", 31, {372, 532, 84, 39}, "", "reset", "Сбросить настройки"},
        {"ImgApply", K::PictureButton, "", 32, {460, 532, 84, 39}, "", "apply", "Применить настройки"},
        {"ImgChecked", K::PictureHolder, "", -1, {492, 388, 31, 31}, "", "checked"},
        {"ImgUnchecked", K::PictureHolder, "", -1, {524, 392, 31, 31}, "", "unchecked"},
    };
    return layout;
}

void build(QWidget *window)
{
    window->setFont(Skin::controlFont());
    for (const ControlSpec &entry : controls()) {
        QWidget *parent = entry.parent.isEmpty() ? window : window->findChild<QWidget *>(entry.parent);
        QWidget *control = create(entry, parent);
        control->setObjectName(entry.name);
        // Places are kept in window pixels; a frame's children sit relative to the frame.
        control->setGeometry(entry.place.translated(-parent->mapTo(window, QPoint(0, 0))));
        if (entry.kind != K::Frame && entry.kind != K::TitleLabel)
            control->setFont(Skin::controlFont());
        if (!entry.toolTip.isEmpty()) {
            control->setToolTip(entry.toolTip);
            control->setAccessibleName(entry.toolTip);
        } else if (entry.kind == K::PictureCheckBox) {
            control->setAccessibleName(entry.text);
        }
    }
    setTabOrder(window);
}

} // namespace velmix::WindowLayout
