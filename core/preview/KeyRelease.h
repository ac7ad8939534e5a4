#pragma once

#include <QSet>

namespace velmix {

// Decides which key releases a text box reacts to: only the release that ends a press
// made in that box. Auto-repeat releases are not the end of a press, and a release whose
// press went to another control (Tab leaving the previous box) is not this box's.
class KeyReleaseGate
{
public:
    void pressed(int key, bool autoRepeat)
    {
        if (!autoRepeat)
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
