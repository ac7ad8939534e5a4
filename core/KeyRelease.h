#pragma once

#include <Qt>

#include <QSet>

namespace velmix {

// What a released key means to the numbering fields: the ten digit keys of the main row
// and of the keypad pass; everything else, a shifted digit that types a symbol included,
// is another key.
enum class KeyMeaning { Digit, Other };

[[nodiscard]] inline KeyMeaning keyMeaning(int qtKey)
{
    return (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) ? KeyMeaning::Digit : KeyMeaning::Other;
}

// Decides which key releases a text box reacts to: only the release that ends a press
// made in that box. Auto-repeat releases are not the end of a press, and a release whose
// press went to another control (Tab leaving the previous box) must not cut this box's
// text. Nor do the releases of the undo chord (Ctrl+Z) count, whoever took the chord:
// each undo would otherwise cut a character too.
class KeyReleaseGate
{
public:
    void pressed(int key, bool autoRepeat, bool undoChord = false)
    {
        if (undoChord)
            m_held.remove(Qt::Key_Control);
        else if (!autoRepeat)
            m_held.insert(key);
    }
    [[nodiscard]] bool releaseCounts(int key, bool autoRepeat)
    {
        return !autoRepeat && m_held.remove(key);
    }
    // On focus loss: releases that follow belong to presses elsewhere.
    void forget() { m_held.clear(); }

private:
    QSet<int> m_held;
};

} // namespace velmix
