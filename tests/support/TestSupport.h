#pragma once

#include "BusyPointer.h"
#include "preview/FileNameTable.h"
#include "text/NameColumn.h"

#include <QStringList>

#include <functional>

namespace velmix::test {

// Counts how often the busy pointer was shown and restored, and fails a test that
// leaves it unbalanced.
class CountingBusyPointer : public BusyPointer
{
public:
    void showBusy() override { ++shown; ++depth; }
    void restore() override
    {
        ++restored;
        if (--depth == 0 && whenIdle)
            whenIdle();
    }
    std::function<void()> whenIdle; // called each time the pointer is back to normal
    int shown = 0;
    int restored = 0;
    int depth = 0;
};

// Whether this is `make test-long`, which repeats the randomized and stress cases more
// often than every `make test` can afford.
inline bool longLane()
{
    return !qEnvironmentVariableIsEmpty("VELMIX_LONG_TESTS");
}

inline NameColumn column(const QStringList &names)
{
    NameColumn result;
    for (const QString &name : names)
        result.append(name);
    return result;
}

inline QStringList names(const NameColumn &column)
{
    QStringList result;
    for (qsizetype i = 0; i < column.size(); ++i)
        result.append(column.at(i).toString());
    return result;
}

inline FileNameTable table(const QStringList &currentNames)
{
    FileNameTable result;
    result.load(column(currentNames));
    return result;
}

} // namespace velmix::test
