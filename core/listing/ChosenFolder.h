#pragma once

#include "FileMover.h"
#include "listing/FolderListing.h"
#include "listing/FolderSelection.h"
#include "work/WorkRunner.h"

namespace velmix {

// How a step that may read a folder ended: the user can cancel a read.
enum class Listed { Read, Cancelled };

// The folder the user chose and its listing, read off the window's thread through the
// same service that renames; where the chosen folder cannot be read, the listing falls
// back to the nearest one that can.
class ChosenFolder
{
public:
    ChosenFolder(WorkRunner &runner, FileMover &files, FolderSelection selection);

    [[nodiscard]] FolderSelection &selection() { return m_state.selection; }
    [[nodiscard]] const FolderSelection &selection() const { return m_state.selection; }
    [[nodiscard]] FolderListing &listing() { return m_state.listing; }
    [[nodiscard]] const FolderListing &listing() const { return m_state.listing; }

    // Reads the listing if it is stale; where `cancellable`, the user may stop the read.
    [[nodiscard]] Listed readListing(bool cancellable);
    // Lists the chosen folder with the chosen mask; where it cannot be read and
    // `fallBack`, silently the nearest folder that can instead.
    [[nodiscard]] Listed listChoice(bool cancellable, bool fallBack);

    enum class DriveStep { NotReady, OtherFolder, SameFolder };
    // Chooses the drive's folder to show: another folder, to be listed; the folder shown,
    // its listing made stale so a pick of the same drive reads it again; or nothing, where
    // the drive is not ready.
    [[nodiscard]] DriveStep chooseDrive(int index);

    // What a cancelled step puts back: the names are shared, not copied.
    struct State
    {
        FolderSelection selection;
        FolderListing listing;
    };
    [[nodiscard]] const State &state() const { return m_state; }
    void restore(const State &state) { m_state = state; }

private:
    WorkRunner &m_runner;
    FileMover &m_files;
    State m_state;
};

} // namespace velmix
