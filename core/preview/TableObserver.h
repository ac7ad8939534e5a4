#pragma once

namespace velmix {

// Tells the view how the table changed: a reload replaces every row, a rebuild only
// rewrites the new-name column.
class TableObserver
{
public:
    virtual ~TableObserver() = default;
    virtual void tableAboutToReload() = 0;
    virtual void tableReloaded() = 0;
    virtual void newNamesRebuilt() = 0;
};

} // namespace velmix
