#pragma once

#include "BusyPointer.h"
#include "DriveList.h"
#include "FileMover.h"
#include "FolderLocks.h"
#include "LongWork.h"
#include "MessageBox.h"
#include "apply/BatchReport.h"
#include "apply/RenameStep.h"
#include "journal/RenameJournal.h"
#include "listing/ChosenFolder.h"
#include "listing/RowFolders.h"
#include "metadata/FolderMetadata.h"
#include "preview/PreviewSession.h"
#include "sets/RuleSetStore.h"
#include "undo/UndoKeeper.h"
#include "work/WorkRunner.h"

#include <QStringList>

#include <optional>
#include <vector>

namespace velmix {

// All state of the program and every flow: the preview, the hidden file listing, the
// drive, folder and mask selections, and the apply step. The window forwards each of its
// event handlers here and draws what this holds. Reading a folder and renaming run off
// the window's thread through the work runner, from copied inputs; their results are
// taken in here, on the window's thread, once the work is over.
class RenamerCore
{
public:
    struct Services
    {
        BusyPointer &busyPointer;
        MessageBox &messageBox;
        DriveList &driveList;
        FileMover &fileMover;
        WorkDisplay &workDisplay;
        // Where both are given, every batch is journaled, repaired after a crash and
        // undoable after a restart; without them undo lasts for this run.
        StateFolder *stateFolder = nullptr;
        FileIdentities *fileIdentities = nullptr;
        // Where given, each apply's settings are kept first as the last applied set.
        RuleSetStore *ruleSets = nullptr;
        // Where given, an apply, undo or repair holds its folder against other programs.
        FolderLocks *folderLocks = nullptr;
    };

    // The mask list's own entries, always its first ones.
    static inline const QStringList Masks{
        QStringLiteral("*.*"),   QStringLiteral("*.mp3"), QStringLiteral("*.wav"), QStringLiteral("*.mp3;*.wav"),
        QStringLiteral("*.jpg"), QStringLiteral("*.bmp"), QStringLiteral("*.jpg;*.bmp"), QStringLiteral("*.gif"),
        QStringLiteral("*.avi"), QStringLiteral("*.mpg"), QStringLiteral("*.avi;*.mpg")};

    RenamerCore(Services services, const QString &startFolder);

    [[nodiscard]] PreviewSession &preview() { return m_preview; }
    [[nodiscard]] const PreviewSession &preview() const { return m_preview; }
    [[nodiscard]] const FileNameTable &table() const { return m_preview.table(); }
    [[nodiscard]] const FolderListing &listing() const { return m_folder.listing(); }

    // The folder list: the chosen folder as a full path, no trailing separator but at "/".
    [[nodiscard]] const QString &folder() const { return m_folder.selection().folder(); }
    // Gives the folder list another folder; a change lists it.
    void setFolder(const QString &path);
    // Opens a folder named from outside the lists (a drop): a folder itself, a file the
    // folder holding it; the drive list follows. False, changing nothing, where the path
    // leads to no folder that can be read.
    bool openFolder(const QString &path);

    [[nodiscard]] const QList<Drive> &drives() const { return m_folder.selection().drives(); }
    [[nodiscard]] int driveIndex() const { return m_folder.selection().driveIndex(); }
    [[nodiscard]] int savedDriveIndex() const { return m_folder.selection().savedDriveIndex(); }
    // Puts the drive list at `index` and lists its folder, a pick of the same drive included.
    void selectDrive(int index);

    // The entries: Masks, then every typed mask that listed files, for this run only.
    [[nodiscard]] const QStringList &masks() const { return m_masks; }
    // The entry shown, or -1 for a typed mask that is not an entry.
    [[nodiscard]] int maskIndex() const { return int(m_masks.indexOf(maskText())); }
    [[nodiscard]] const QString &maskText() const { return m_folder.selection().maskText(); }
    // Picks a mask entry and lists the folder with it.
    void selectMask(int index);
    // Takes a mask the user typed as a pick of an entry; false, changing nothing, for a
    // mask WildcardMask::fromTyped refuses.
    bool setTypedMask(const QString &typed);

    // Whether the files of the chosen folder's subfolders are listed too, down to `levels`
    // levels below it (-1: all); a change lists the folder again.
    void setSubfolders(bool on, int levels = -1);
    [[nodiscard]] bool subfolders() const { return listing().depth().subfolders; }
    // Whether the folders listed in (the chosen folder's subfolders, and with subfolders
    // every folder of the tree) are rows of their own, renamed by the same rules; a change
    // lists the folder again. The chosen folder itself is never renamed.
    void setRenameFolders(bool on);
    [[nodiscard]] bool renamesFolders() const { return listing().depth().folders; }
    // Whether files that go together (a raw picture and its JPEG, a Live Photo, a film and
    // its subtitles) are renamed as one.
    void setPairs(bool on) { m_preview.setPairs(on); }
    [[nodiscard]] bool pairs() const { return m_preview.pairs(); }

    // The core's part of start-up: the journals read, pending off, first mask, first digit
    // width, options reset, the drive remembered, and the table loaded once more.
    void startUp();
    // Once the window shows: tells of journals set aside, and for each batch a crash cut
    // short asks whether to finish it or to put every name back, and does so.
    [[nodiscard]] BatchReport repairUnfinishedBatches() { return m_undo.repair(); }
    // The journals the start set aside, in lines, where no apply, undo or repair follows
    // to tell them.
    [[nodiscard]] QStringList journalsSetAside() { return m_undo.takeSetAside(); }

    // The Reset button: the folder is read again and the options reset.
    void resetAndRelist();
    // What follows the moves: the folder read again for the table, or nothing where the
    // front end ends with the flow (the command line), which only checks it can still be read.
    enum class AfterMoves { Relist, End };
    // Keeps the settings as the last applied set, renames the files of the chosen folder
    // to the new names, then reads the folder again. Nothing happens (`ran` false) where
    // no name is pending.
    [[nodiscard]] BatchReport applyNewNames(AfterMoves after = AfterMoves::Relist);
    // Takes the folder's newest apply back, whichever program made it, once the user
    // agrees: every file it renamed goes back to its old name, but a file changed since.
    // Again for the apply before. Nothing happens when there is nothing to take back.
    [[nodiscard]] BatchReport undoLastApply() { return m_undo.undo(); }
    [[nodiscard]] bool canUndo() const { return !m_undo.undoFolder().isEmpty(); }
    // Tells when Ctrl+Z has something to take back, and what.
    [[nodiscard]] const UndoKeeper &undo() const { return m_undo; }

    // Numbers (and shows) the rows in that order. Here, not in the preview alone: an order
    // that needs more of each file than its name reads it as long work.
    void setNumberingOrder(NumberingOrder order) { m_preview.setNumberingOrder(order); }
    // How old tags' text is read; a change reads the files' tags again.
    void setOldTagText(OldTagText choice);
    [[nodiscard]] OldTagText oldTagText() const { return m_metadata.oldTagText(); }

private:
    // Runs a flow that may list a folder; where the user cancels the listing, the
    // selection and the listing go back, silently, as a failed folder change does.
    template<typename Flow>
    void cancellable(Flow flow);
    // Fills the table from the listing, reading it first if it is stale.
    Listed loadFileList();
    // Lists the folder again to that depth, where it changes.
    void setDepth(ListingDepth depth);
    // The options back to their defaults; the listing takes the mask in use.
    void resetOptions();
    // The reset sequence: the table loaded again, the options reset, nothing pending.
    Listed relist();
    // A folder change shows the busy pointer while it lists; a mask change leaves the
    // pointer as it is.
    enum class Pointer { AsIs, Busy };
    // Lists the selection's folder with its mask, falling back from a folder that cannot
    // be read, and runs the reset sequence.
    Listed listSelection(Pointer pointer);
    // Moves the folder list to the chosen drive and lists it; back to a good drive where
    // the chosen one is not ready.
    Listed listSelectedDrive();

    // The apply's batch: the table's current names to its new ones in the chosen folder.
    [[nodiscard]] RenameBatch plannedApply() const;
    // The listing's other entries, as paths below the chosen folder where it lists a tree.
    [[nodiscard]] NameColumn unlistedPaths() const;
    // The rename step every batch runs through (the undo room's RenameStep).
    std::optional<JournaledOutcome> renameInFolder(const RenameBatch &batch, RenameJournal *journal,
                                                   BatchReport &report);
    // Makes the moves on the work runner, journaled where there is a journal; nothing when
    // the folder cannot be opened.
    [[nodiscard]] std::optional<JournaledOutcome> moveFiles(const RenameBatch &batch, RenameJournal *journal);
    // Reads the folder again after the moves; false where it cannot be read any more.
    [[nodiscard]] bool rereadAfterMoves();
    // Nothing where the drive is not ready.
    std::optional<Listed> applyDrive(int index);
    Listed recoverDrive();

    Services m_services;
    WorkRunner m_runner;
    FolderMetadata m_metadata; // the dates and tags of the listed folder's files
    ListingFolders m_rowFolders; // the folder each listed file lies in
    PreviewSession m_preview;
    ChosenFolder m_folder;
    QStringList m_masks = Masks;
    bool m_startingUp = false;
    bool m_listingCancellable = true;
    AfterMoves m_afterMoves = AfterMoves::Relist;
    UndoKeeper m_undo;
};

} // namespace velmix
