#pragma once

#include "rules/NameRules.h"
#include "sets/RuleSet.h"
#include "WindowLayout.h"

#include <QPixmap>
#include <QRegion>
#include <QSet>
#include <QWidget>

#include <array>
#include <functional>

class QComboBox;
class QLabel;

namespace velmix {

class KeyReleaseLineEdit;
class MessageBox;
class PictureButton;
class PictureCheckBox;
class PreviewSession;
class RuleSetStore;

// The panel's controls it works with, named as their object names.
struct RulesPanelControls
{
    KeyReleaseLineEdit *TxtFind, *TxtReplace, *TxtPosition, *TxtCut, *TxtInsert;
    PictureCheckBox *PicIgnoreCase, *PicRegExp, *PicWholeName, *PicFromEnd, *PicTitleCase, *PicRestLower;
    QComboBox *CboLatin;
    QLabel *LblFindError;
    QComboBox *CboExtension;
    QComboBox *CboConflicts;
    QComboBox *CboSets;
    PictureButton *ImgSaveSet, *ImgDeleteSet;
};

// The second skinned panel beside the window, with the rules that run after the naming
// options. Closed, the window is exactly as it always was; ImgRules opens it, the window
// then growing by the panel, which stands beside the window's right edge however wide
// the window is. Every change of a control hands the core the rules the
// panel shows, which rebuilds the preview at once; redraws show the core's rules again.
class RulesPanel : public QWidget
{
    Q_OBJECT

public:
    static constexpr QRect Place{566, 24, 300, 555}; // in the window's pixels
    static constexpr QSize OpenWindowSize{872, 594};
    // How much wider the window is while the panel stands beside it.
    static constexpr int BesideWidth = OpenWindowSize.width() - WindowLayout::WindowSize.width();
    // On a screen too narrow for the window and the panel side by side, the panel lies
    // here, over the window's left side.
    static constexpr QPoint OverPlace{5, 24};

    // Where the window (`window`: without the panel) stands once the panel opens, so that
    // both stay within the screen's available area, and whether the panel fits beside it
    // (else it lies over it).
    struct Opening
    {
        QPoint windowPos;
        bool beside;
    };
    [[nodiscard]] static Opening opening(const QRect &window, const QRect &available);

    // Builds the panel and its button on `window`; the panel starts closed.
    RulesPanel(QWidget *window, PreviewSession &preview, const QPixmap &checked, const QPixmap &unchecked);

    // The panel's own outline, to unite with the window's while it is open.
    [[nodiscard]] static QRegion outline();
    // The outline where the panel stands now; empty while it is closed.
    [[nodiscard]] QRegion shownOutline() const;
    // What the panel adds to the window's width: BesideWidth while it stands beside it.
    [[nodiscard]] int besideWidth() const;
    // Keeps the panel beside, and its button below, a window grown by `growth`.
    void followWindow(QSize growth);
    // The panel's controls join the window's tab order after `last`, the button first.
    void continueTabOrder(QWidget *last);
    // Shows the core's rules and the find text's error.
    void showRules();
    // Ends the text boxes' own undo histories, as the window's fields do after a flow.
    void forgetEdits();
    // The rule sets' list and buttons work on `store`, telling their problems in
    // `messages`; without a store they stay disabled.
    void setRuleSets(RuleSetStore *store, MessageBox &messages);
    // Lists the sets again and, while the panel is open, tells once in this run of each
    // set skipped.
    void showRuleSets();
    // No set in the list: after a reset or an apply none of a set's settings are in effect.
    void showNoSet();

Q_SIGNALS:
    // A set picked in the list, read whole: the window fills every setting from it.
    void ruleSetPicked(const velmix::RuleSet &set);
    // The panel opened or closed: the window's outline changes.
    void shapeChanged();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void ImgRules_Click();
    void changeRules(const std::function<void(NameRules &)> &change);
    // A pattern of one's own is asked for in a box, and refused with its reason.
    void CboConflicts_Click(int index);
    void CboSets_Click(int index);
    void ImgSaveSet_Click();
    void ImgDeleteSet_Click();
    // Only a set shown can be deleted, and never the one the last apply keeps.
    void showDeletable();
    [[nodiscard]] std::array<KeyReleaseLineEdit *, 5> textBoxes() const;

    PreviewSession &m_preview;
    QPixmap m_background;
    PictureButton *m_button;
    RulesPanelControls m_ui{};
    QList<QWidget *> m_tabOrder; // the controls that take the focus, in order
    RuleSetStore *m_sets = nullptr;
    MessageBox *m_messages = nullptr;
    QSet<QString> m_toldSkipped;
    QSize m_growth; // the window's, past its designed size
    bool m_beside = true;
};

} // namespace velmix
