#include "listing/ChosenFolder.h"

#include <cerrno>

namespace velmix {

ChosenFolder::ChosenFolder(WorkRunner &runner, FileMover &files, FolderSelection selection)
    : m_runner(runner)
    , m_files(files)
    , m_state{std::move(selection), {}}
{
}

Listed ChosenFolder::readListing(bool cancellable)
{
    FolderListing &listing = m_state.listing;
    if (!listing.stale())
        return Listed::Read;
    WorkProgress progress(cancellable);
    FolderListing::Contents contents = m_runner.run(
        WorkKind::ReadingFolder, progress, [&files = m_files, folder = listing.path(), mask = listing.mask(),
                                         depth = listing.depth(), &progress] {
            return FolderListing::read(files, folder, mask, &progress, depth);
        });
    if (progress.cancelled() && contents.error == ECANCELED)
        return Listed::Cancelled;
    listing.adopt(std::move(contents));
    return Listed::Read;
}

Listed ChosenFolder::listChoice(bool cancellable, bool fallBack)
{
    FolderSelection &selection = m_state.selection;
    FolderListing &listing = m_state.listing;
    listing.setPath(selection.folder());
    listing.setMask(selection.maskText());
    if (readListing(cancellable) == Listed::Cancelled)
        return Listed::Cancelled;
    if (listing.readError() == 0) {
        selection.folderRead();
        return Listed::Read;
    }
    if (!fallBack)
        return Listed::Read;
    for (const QString &candidate : selection.fallbacks()) {
        listing.setPath(candidate);
        if (readListing(cancellable) == Listed::Cancelled)
            return Listed::Cancelled;
        if (listing.readError() == 0) {
            selection.fellBackTo(candidate);
            return Listed::Read;
        }
    }
    listing.setPath(selection.folder());
    return Listed::Read;
}

ChosenFolder::DriveStep ChosenFolder::chooseDrive(int index)
{
    FolderSelection &selection = m_state.selection;
    if (index < 0 || index >= selection.drives().size())
        return DriveStep::NotReady;
    const QString folder = selection.readableFolderOn(index);
    if (folder.isEmpty())
        return DriveStep::NotReady;
    if (folder != selection.folder()) {
        selection.setFolder(folder);
        return DriveStep::OtherFolder;
    }
    m_state.listing.refresh();
    return DriveStep::SameFolder;
}

} // namespace velmix
