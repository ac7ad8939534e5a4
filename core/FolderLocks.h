#pragma once

#include <QByteArray>

#include <memory>

namespace velmix {

// One folder kept for this program; let go when destroyed, or when the program ends,
// however it ends.
class FolderHold
{
public:
    virtual ~FolderHold() = default;
};

// Keeps two Velmix programs from renaming in one folder at once: their moves would
// interleave, each refusing names the other just took.
class FolderLocks
{
public:
    virtual ~FolderLocks() = default;
    // Holds `folder` for this program; null where another program holds it. Where no lock
    // can be kept (no state folder), a hold that keeps nothing: renaming goes on unguarded,
    // as it does without a journal.
    [[nodiscard]] virtual std::unique_ptr<FolderHold> hold(const QByteArray &folder) = 0;
};

} // namespace velmix
