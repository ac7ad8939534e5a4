#include "RulesPanel.h"

#include "BaseNameFields.h"
#include "ComboBoxAccessible.h"
#include "KeyReleaseLineEdit.h"
#include "PictureButton.h"
#include "PictureCheckBox.h"
#include "Skin.h"
#include "WindowLayout.h"
#include "WindowOutline.h"
#include "preview/NamingOptions.h"
#include "preview/PreviewSession.h"
#include "MessageBox.h"
#include "sets/RuleSetStore.h"

#include <QApplication>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QSignalBlocker>

#include <algorithm>

namespace velmix {

using namespace Qt::Literals::StringLiterals;

namespace {

using K = ControlKind;

constexpr QRect ButtonPlace{228, 532, 52, 39}; // in the window, left of ImgHelp
constexpr int PositionDigits = 3;

// In the panel's pixels, in tab order.
const QList<ControlSpec> &panelControls()
{
    static const QList<ControlSpec> layout = {
        {u"LblRules"_s, K::TitleLabel, {}, -1, {15, 10, 118, 20}, u"Ещё правила"_s},
        // The sets beside the title, where the rules begin.
        {u"CboSets"_s, K::ChoiceList, {}, 0, {134, 10, 84, 21}, u"Наборы правил"_s},
        {u"ImgSaveSet"_s, K::PictureButton, {}, 0, {222, 5, 31, 31}, {}, u"saveset"_s, u"Сохранить набор…"_s},
        {u"ImgDeleteSet"_s, K::PictureButton, {}, 0, {256, 5, 31, 31}, {}, u"deleteset"_s, u"Удалить набор"_s},
        {u"FraFind"_s, K::Frame, {}, -1, {15, 40, 270, 190}, u"Найти и заменить"_s},
        {u"LblFind"_s, K::Label, u"FraFind"_s, -1, {23, 60, 80, 21}, u"Найти"_s, {}, {}, 0, {}, u"TxtFind"_s},
        {u"TxtFind"_s, K::TextBox, u"FraFind"_s, 0, {105, 58, 172, 21}, {}, {}, u"Найти"_s},
        {u"LblReplace"_s, K::Label, u"FraFind"_s, -1, {23, 86, 80, 21}, u"Заменить на"_s, {}, {}, 0, {}, u"TxtReplace"_s},
        {u"TxtReplace"_s, K::TextBox, u"FraFind"_s, 0, {105, 84, 172, 21}, {}, {}, u"Заменить на"_s},
        {u"LblFindError"_s, K::Label, u"FraFind"_s, -1, {23, 108, 254, 28}},
        {u"PicIgnoreCase"_s, K::PictureCheckBox, u"FraFind"_s, 0, {23, 138, 31, 31}, u"Без учёта регистра"_s},
        {u"LblIgnoreCase"_s, K::Label, u"FraFind"_s, -1, {58, 144, 219, 21}, u"Без учёта регистра"_s, {}, {}, 0, {},
         u"PicIgnoreCase"_s},
        {u"PicRegExp"_s, K::PictureCheckBox, u"FraFind"_s, 0, {23, 166, 31, 31}, u"Регулярное выражение"_s},
        {u"LblRegExp"_s, K::Label, u"FraFind"_s, -1, {58, 172, 219, 21}, u"Регулярное выражение"_s, {}, {}, 0, {},
         u"PicRegExp"_s},
        {u"PicWholeName"_s, K::PictureCheckBox, u"FraFind"_s, 0, {23, 194, 31, 31}, u"Включая расширение"_s},
        {u"LblWholeName"_s, K::Label, u"FraFind"_s, -1, {58, 200, 219, 21}, u"Включая расширение"_s, {}, {}, 0, {},
         u"PicWholeName"_s},
        {u"FraCut"_s, K::Frame, {}, -1, {15, 236, 270, 140}, u"Вырезать и вставить"_s},
        {u"LblPosition"_s, K::Label, u"FraCut"_s, -1, {23, 256, 170, 21}, u"С позиции"_s, {}, {}, 0, {},
         u"TxtPosition"_s},
        {u"TxtPosition"_s, K::NumberBox, u"FraCut"_s, 0, {205, 254, 72, 21}, u"0"_s, {}, u"С позиции"_s, PositionDigits},
        {u"LblCut"_s, K::Label, u"FraCut"_s, -1, {23, 282, 170, 21}, u"Вырезать знаков"_s, {}, {}, 0, {}, u"TxtCut"_s},
        {u"TxtCut"_s, K::NumberBox, u"FraCut"_s, 0, {205, 280, 72, 21}, u"0"_s, {}, u"Вырезать знаков"_s, PositionDigits},
        {u"LblInsert"_s, K::Label, u"FraCut"_s, -1, {23, 308, 80, 21}, u"Вставить"_s, {}, {}, 0, {}, u"TxtInsert"_s},
        {u"TxtInsert"_s, K::TextBox, u"FraCut"_s, 0, {105, 306, 172, 21}, {}, {}, u"Вставить"_s,
         NamingOptions::BaseNameLimit},
        {u"PicFromEnd"_s, K::PictureCheckBox, u"FraCut"_s, 0, {23, 332, 31, 31}, u"Считать с конца"_s},
        {u"LblFromEnd"_s, K::Label, u"FraCut"_s, -1, {58, 338, 219, 21}, u"Считать с конца"_s, {}, {}, 0, {},
         u"PicFromEnd"_s},
        {u"FraWords"_s, K::Frame, {}, -1, {15, 382, 270, 80}, u"Слова"_s},
        {u"PicTitleCase"_s, K::PictureCheckBox, u"FraWords"_s, 0, {23, 398, 31, 31}, u"Каждое слово с большой буквы"_s},
        {u"LblTitleCase"_s, K::Label, u"FraWords"_s, -1, {58, 404, 219, 21}, u"Каждое слово с большой буквы"_s, {}, {},
         0, {}, u"PicTitleCase"_s},
        {u"PicRestLower"_s, K::PictureCheckBox, u"FraWords"_s, 0, {23, 426, 31, 31}, u"Остальные буквы маленькие"_s},
        {u"LblRestLower"_s, K::Label, u"FraWords"_s, -1, {58, 432, 219, 21}, u"Остальные буквы маленькие"_s, {}, {},
         0, {}, u"PicRestLower"_s},
        {u"LblLatin"_s, K::Label, {}, -1, {23, 472, 90, 21}, u"Латиницей"_s, {}, {}, 0, {}, u"CboLatin"_s},
        {u"CboLatin"_s, K::ChoiceList, {}, 0, {113, 470, 164, 21}, u"Кириллица латиницей"_s, {}, {}, 0,
         {u"Не менять"_s, u"ГОСТ 7.79-2000, система Б"_s, u"Загранпаспорт (ICAO 9303)"_s, u"BGN/PCGN"_s}},
        {u"LblConflicts"_s, K::Label, {}, -1, {23, 499, 90, 21}, u"Если имя занято"_s, {}, {}, 0, {},
         u"CboConflicts"_s},
        {u"CboConflicts"_s, K::ChoiceList, {}, 0, {113, 497, 164, 21}, u"Если имя занято"_s, {}, {}, 0,
         {u"отметить и пропустить"_s, u"добавить номер"_s, u"свой шаблон…"_s, u"доли секунды из EXIF"_s}},
        {u"LblExtension"_s, K::Label, {}, -1, {23, 526, 80, 21}, u"Расширение"_s, {}, {}, 0, {}, u"CboExtension"_s},
        // Narrow: over the window, the panel leaves room for ImgRules at its lower right.
        {u"CboExtension"_s, K::ChoiceList, {}, 0, {105, 526, 110, 21}, u"Расширение"_s, {}, {}, 0,
         {u"как есть"_s, u"маленькими"_s, u"большими"_s}},
    };
    return layout;
}

RulesPanelControls typedControls(const QHash<QString, QWidget *> &built)
{
    using WindowLayout::typed;
    const auto field = [&](const char *name) { return typed<KeyReleaseLineEdit>(built, name); };
    const auto box = [&](const char *name) { return typed<PictureCheckBox>(built, name); };
    return {field("TxtFind"), field("TxtReplace"), field("TxtPosition"), field("TxtCut"), field("TxtInsert"),
            box("PicIgnoreCase"), box("PicRegExp"), box("PicWholeName"), box("PicFromEnd"), box("PicTitleCase"),
            box("PicRestLower"), typed<QComboBox>(built, "CboLatin"), typed<QLabel>(built, "LblFindError"),
            typed<QComboBox>(built, "CboExtension"), typed<QComboBox>(built, "CboConflicts"), typed<QComboBox>(built, "CboSets"),
            typed<PictureButton>(built, "ImgSaveSet"), typed<PictureButton>(built, "ImgDeleteSet")};
}

} // namespace

RulesPanel::RulesPanel(QWidget *window, PreviewSession &preview, const QPixmap &checked, const QPixmap &unchecked)
    : QWidget(window)
    , m_preview(preview)
    , m_background(Skin::picture(u"rulespanel"_s, Place.size()))
    , m_button(new PictureButton(window))
{
    setObjectName(u"FraRules"_s);
    setGeometry(Place);
    hide();
    m_button->setObjectName(u"ImgRules"_s);
    m_button->setGeometry(ButtonPlace);
    m_button->setPicture(Skin::picture(u"morerules"_s, ButtonPlace.size()));
    m_button->setToolTip(u"Ещё правила"_s);
    m_button->setAccessibleName(u"Ещё правила"_s);
    connect(m_button, &QAbstractButton::clicked, this, &RulesPanel::ImgRules_Click);

    const QHash<QString, QWidget *> built = WindowLayout::buildControls(this, panelControls());
    m_ui = typedControls(built);
    for (const ControlSpec &entry : panelControls()) {
        if (entry.focusOrder < 0)
            built[entry.name]->setFocusPolicy(Qt::NoFocus);
        else
            m_tabOrder.append(built[entry.name]);
    }
    for (PictureCheckBox *box : {m_ui.PicIgnoreCase, m_ui.PicRegExp, m_ui.PicWholeName, m_ui.PicFromEnd,
                                 m_ui.PicTitleCase, m_ui.PicRestLower})
        box->setPictures(checked, unchecked);
    QPalette warning = m_ui.LblFindError->palette();
    warning.setColor(QPalette::WindowText, Skin::red);
    m_ui.LblFindError->setPalette(warning);

    const auto onText = [&](KeyReleaseLineEdit *box, void (*put)(NameRules &, const QString &)) {
        // Every change, also one a screen reader makes; the redraws set texts silently.
        connect(box, &QLineEdit::textChanged, this,
                [this, put](const QString &text) { changeRules([&](NameRules &rules) { put(rules, text); }); });
    };
    onText(m_ui.TxtFind, [](NameRules &r, const QString &t) { r.findText = t; });
    onText(m_ui.TxtReplace, [](NameRules &r, const QString &t) { r.replaceText = t; });
    onText(m_ui.TxtPosition, [](NameRules &r, const QString &t) { r.position = t.toInt(); });
    onText(m_ui.TxtCut, [](NameRules &r, const QString &t) { r.cutCount = t.toInt(); });
    onText(m_ui.TxtInsert, [](NameRules &r, const QString &t) { r.insertText = t; });
    BaseNameFields::offer(m_ui.TxtInsert, [] {}); // an inserted field is a text change, taken above
    const auto onClick = [&](PictureCheckBox *box, void (*toggle)(NameRules &)) {
        connect(box, &QAbstractButton::clicked, this, [this, toggle] { changeRules(toggle); });
    };
    onClick(m_ui.PicIgnoreCase, [](NameRules &r) { r.ignoreCase = !r.ignoreCase; });
    onClick(m_ui.PicRegExp, [](NameRules &r) { r.regularExpression = !r.regularExpression; });
    onClick(m_ui.PicWholeName, [](NameRules &r) {
        r.replaceScope = r.replaceScope == ReplaceScope::WholeName ? ReplaceScope::NameBeforeExtension
                                                                    : ReplaceScope::WholeName;
    });
    onClick(m_ui.PicFromEnd, [](NameRules &r) { r.positionFromEnd = !r.positionFromEnd; });
    onClick(m_ui.PicTitleCase, [](NameRules &r) {
        r.titleCase = r.titleCase == TitleCase::Off ? TitleCase::RestAsTyped : TitleCase::Off;
    });
    // Small letters after the first need title case: ticking it turns that on too.
    onClick(m_ui.PicRestLower, [](NameRules &r) {
        r.titleCase = r.titleCase == TitleCase::RestLower ? TitleCase::RestAsTyped : TitleCase::RestLower;
    });
    connect(m_ui.CboLatin, &QComboBox::activated, this, [this](int index) {
        changeRules([&](NameRules &r) { r.transliteration = Transliteration(index); });
    });
    connect(m_ui.CboExtension, &QComboBox::activated, this, [this](int index) {
        changeRules([&](NameRules &r) { r.extensionCase = ExtensionCase(index); });
    });
    connect(m_ui.CboConflicts, &QComboBox::activated, this, &RulesPanel::CboConflicts_Click);
    // No set shown: the list says what it is, in short beside the title; its tooltip and
    // accessible name say it in full.
    m_ui.CboSets->setPlaceholderText(u"Наборы"_s);
    connect(m_ui.CboSets, &QComboBox::activated, this, &RulesPanel::CboSets_Click);
    connect(m_ui.ImgSaveSet, &QAbstractButton::clicked, this, &RulesPanel::ImgSaveSet_Click);
    connect(m_ui.ImgDeleteSet, &QAbstractButton::clicked, this, &RulesPanel::ImgDeleteSet_Click);
    connect(m_ui.CboSets, &QComboBox::currentIndexChanged, this, &RulesPanel::showDeletable);
    showRules();
    showRuleSets();
}

QRegion RulesPanel::outline()
{
    return WindowOutline::roundedRect(Place, 21, 21);
}

void RulesPanel::continueTabOrder(QWidget *last)
{
    QWidget::setTabOrder(last, m_button);
    last = m_button;
    for (QWidget *control : std::as_const(m_tabOrder)) {
        QWidget::setTabOrder(last, control);
        last = control;
    }
}

RulesPanel::Opening RulesPanel::opening(const QRect &window, const QRect &available)
{
    const int width = window.width() + BesideWidth;
    if (available.width() < width)
        return {window.topLeft(), false};
    // Left only as far as the panel needs, never past the screen's left edge.
    const int x = std::max(available.left(), std::min(window.left(), available.right() + 1 - width));
    return {{x, window.top()}, true};
}

QRegion RulesPanel::shownOutline() const
{
    return isHidden() ? QRegion() : outline().translated(pos() - Place.topLeft());
}

int RulesPanel::besideWidth() const
{
    return !isHidden() && m_beside ? BesideWidth : 0;
}

void RulesPanel::followWindow(QSize growth)
{
    m_growth = growth;
    m_button->setGeometry(ButtonPlace.translated(growth.width(), growth.height()));
    if (m_beside)
        move(Place.topLeft() + QPoint(growth.width(), 0));
}

void RulesPanel::ImgRules_Click()
{
    const bool open = isHidden();
    // The button takes the focus from the keyboard alone, never from a click.
    const bool byKeyboard = m_button->hasFocus();
    if (!open && isAncestorOf(QApplication::focusWidget()))
        m_button->setFocus();
    QWidget *window = parentWidget();
    const QSize skin = window->size() - QSize(besideWidth(), 0);
    const Opening opened = opening(QRect(window->pos(), skin), window->screen()->availableGeometry());
    m_beside = !open || opened.beside;
    move(m_beside ? Place.topLeft() + QPoint(m_growth.width(), 0) : OverPlace);
    setVisible(open);
    raise();
    m_button->raise(); // over the panel where it lies over the window
    const QSize beside(besideWidth(), 0);
    window->setMinimumSize(WindowLayout::WindowSize + beside);
    window->resize(skin + beside);
    if (open && m_beside && opened.windowPos != window->pos())
        window->move(opened.windowPos);
    Q_EMIT shapeChanged();
    m_button->setPicture(Skin::picture(open ? u"fewerrules"_s : u"morerules"_s, ButtonPlace.size()));
    if (open) {
        // From the keyboard, its first control, as Tab from the button reaches it (a disabled
        // one passed); after a click, the first rule, ready to type.
        const auto first = std::find_if(m_tabOrder.cbegin(), m_tabOrder.cend(),
                                        [](const QWidget *control) { return control->isEnabled(); });
        if (!byKeyboard)
            m_ui.TxtFind->setFocus(Qt::MouseFocusReason);
        else if (first != m_tabOrder.cend())
            (*first)->setFocus(Qt::TabFocusReason);
        showRuleSets(); // another program may have saved one meanwhile
    }
}

void RulesPanel::changeRules(const std::function<void(NameRules &)> &change)
{
    NameRules rules = m_preview.nameRules();
    change(rules);
    m_preview.setNameRules(rules);
    showRules();
}

std::array<KeyReleaseLineEdit *, 5> RulesPanel::textBoxes() const
{
    return {m_ui.TxtFind, m_ui.TxtReplace, m_ui.TxtPosition, m_ui.TxtCut, m_ui.TxtInsert};
}

void RulesPanel::showRules()
{
    const NameRules &rules = m_preview.nameRules();
    const auto boxes = textBoxes();
    const QString texts[] = {rules.findText, rules.replaceText, QString::number(rules.position),
                             QString::number(rules.cutCount), rules.insertText};
    for (size_t i = 0; i < boxes.size(); ++i) {
        // A number box being typed in keeps its text: emptied, it reads 0 without showing it.
        const bool number = i == 2 || i == 3;
        if (number && boxes[i]->hasFocus() && boxes[i]->text().toInt() == texts[i].toInt())
            continue;
        const QSignalBlocker blocker(boxes[i]);
        boxes[i]->showText(texts[i]);
    }
    const std::pair<PictureCheckBox *, bool> ticks[] = {
        {m_ui.PicIgnoreCase, rules.ignoreCase},
        {m_ui.PicRegExp, rules.regularExpression},
        {m_ui.PicWholeName, rules.replaceScope == ReplaceScope::WholeName},
        {m_ui.PicFromEnd, rules.positionFromEnd},
        {m_ui.PicTitleCase, rules.titleCase != TitleCase::Off},
        {m_ui.PicRestLower, rules.titleCase == TitleCase::RestLower},
    };
    for (const auto &[box, ticked] : ticks) {
        const QSignalBlocker blocker(box);
        box->setChecked(ticked);
    }
    for (const auto &[list, entry] : {std::pair{m_ui.CboLatin, int(rules.transliteration)},
                                      std::pair{m_ui.CboExtension, int(rules.extensionCase)},
                                      std::pair{m_ui.CboConflicts, int(rules.conflicts.rule)}}) {
        {
            const QSignalBlocker blocker(list);
            list->setCurrentIndex(entry);
        }
        ComboBoxAccessible::selectCurrentEntry(list);
    }
    const bool pattern = rules.conflicts.rule == ConflictRule::Pattern;
    m_ui.CboConflicts->setToolTip(pattern ? u"Шаблон: %1"_s.arg(rules.conflicts.pattern) : QString());
    m_ui.CboConflicts->setAccessibleDescription(m_ui.CboConflicts->toolTip());
    const QString &error = m_preview.findError();
    m_ui.LblFindError->setText(error);
    m_ui.TxtFind->setAccessibleDescription(error);
}

void RulesPanel::forgetEdits()
{
    for (KeyReleaseLineEdit *box : textBoxes())
        box->forgetEdits();
}

void RulesPanel::setRuleSets(RuleSetStore *store, MessageBox &messages)
{
    m_sets = store;
    m_messages = &messages;
    showRuleSets();
}

void RulesPanel::showRuleSets()
{
    const RuleSetStore::Listing listing = m_sets ? m_sets->list() : RuleSetStore::Listing();
    const QString shown = m_ui.CboSets->currentText();
    {
        const QSignalBlocker blocker(m_ui.CboSets);
        m_ui.CboSets->clear();
        m_ui.CboSets->addItems(listing.names);
        m_ui.CboSets->setCurrentIndex(int(listing.names.indexOf(shown)));
    }
    ComboBoxAccessible::selectCurrentEntry(m_ui.CboSets);
    for (QWidget *control : std::initializer_list<QWidget *>{m_ui.CboSets, m_ui.ImgSaveSet})
        control->setEnabled(m_sets);
    showDeletable();
    QStringList untold;
    for (const QString &line : listing.skipped) {
        if (!m_toldSkipped.contains(line))
            untold.append(line);
    }
    // Told while the panel is open, never over the window's start.
    if (m_messages && isVisible() && !untold.isEmpty()) {
        m_toldSkipped.unite(QSet<QString>(untold.begin(), untold.end()));
        m_messages->showMessage(u"Наборы правил"_s, untold.join(u'\n'));
    }
}

void RulesPanel::showNoSet()
{
    m_ui.CboSets->setCurrentIndex(-1);
    ComboBoxAccessible::selectCurrentEntry(m_ui.CboSets);
}

void RulesPanel::showDeletable()
{
    m_ui.ImgDeleteSet->setEnabled(m_sets && m_ui.CboSets->currentIndex() >= 0
                                  && m_ui.CboSets->currentText() != RuleSetStore::LastApplied);
}

void RulesPanel::CboSets_Click(int index)
{
    QString problem;
    if (const std::optional<RuleSet> set = m_sets->load(m_ui.CboSets->itemText(index), problem)) {
        Q_EMIT ruleSetPicked(*set);
    } else {
        m_messages->showMessage(u"Наборы правил"_s, problem);
        showRuleSets();
    }
}

void RulesPanel::CboConflicts_Click(int index)
{
    ConflictChoice choice{ConflictRule(index), {}};
    if (choice.rule == ConflictRule::Pattern) {
        QInputDialog box(this);
        box.setWindowTitle(u"Если имя занято"_s);
        box.setLabelText(u"Шаблон номера, {n} — номер, {n:2} — две цифры:"_s);
        const ConflictChoice &now = m_preview.nameRules().conflicts;
        box.setTextValue(now.rule == ConflictRule::Pattern ? now.pattern : u"_{n:2}"_s);
        box.setOkButtonText(u"Применить"_s);
        box.setCancelButtonText(u"Отмена"_s);
        if (box.exec() != QDialog::Accepted) {
            showRules();
            return;
        }
        choice.pattern = box.textValue();
        if (const QString problem = conflictPatternProblem(choice.pattern); !problem.isEmpty()) {
            if (m_messages)
                m_messages->showMessage(u"Если имя занято"_s, u"Шаблон «%1» не подходит: %2"_s.arg(choice.pattern, problem));
            showRules();
            return;
        }
    }
    changeRules([&](NameRules &r) { r.conflicts = choice; });
}

void RulesPanel::ImgSaveSet_Click()
{
    // A box like the window's others: no icon, a title saying what happens, Russian buttons.
    QInputDialog box(this);
    box.setWindowTitle(u"Сохранить набор правил"_s);
    box.setLabelText(u"Имя набора:"_s);
    box.setTextValue(m_ui.CboSets->currentText());
    box.setOkButtonText(u"Сохранить"_s);
    box.setCancelButtonText(u"Отмена"_s);
    if (box.exec() != QDialog::Accepted)
        return;
    const QString name = box.textValue();
    if (m_sets->list().names.contains(name)
        && !m_messages->askBeforeLoss(u"Наборы правил"_s, u"Набор «%1» уже есть. Заменить его?"_s.arg(name)))
        return;
    if (const QString problem = m_sets->save(name, RuleSet::of(m_preview)); !problem.isEmpty()) {
        m_messages->showMessage(u"Наборы правил"_s, problem);
        return;
    }
    showRuleSets();
    m_ui.CboSets->setCurrentIndex(m_ui.CboSets->findText(name));
    ComboBoxAccessible::selectCurrentEntry(m_ui.CboSets);
}

void RulesPanel::ImgDeleteSet_Click()
{
    const QString name = m_ui.CboSets->currentText();
    if (name.isEmpty() || name == RuleSetStore::LastApplied
        || !m_messages->askBeforeLoss(u"Наборы правил"_s, u"Удалить набор «%1»?"_s.arg(name)))
        return;
    if (const QString problem = m_sets->remove(name); !problem.isEmpty())
        m_messages->showMessage(u"Наборы правил"_s, problem);
    showRuleSets();
}

void RulesPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_background);
}

} // namespace velmix
