#pragma once

#include "LongWork.h"
#include "listing/ListedTree.h"
#include "listing/WildcardMask.h"
#include "text/NameColumn.h"

#include <QString>
#include <QStringList>

namespace velmix {

// Appends to `names`, in the order the folder gives them, the plain files of `folder`
// that match `mask`: no subfolders, no hidden files, links only when they point to a
// file. Reads the platform's own directory listing, since Qt's leaves out names that
// are not valid UTF-8. With `unlisted`, every other entry's name goes there, hidden ones
// included; with `subfolders`, the visible subfolders (links to folders included) go
// there in the listing's order. With `progress`, it counts the files taken, and a cancel
// stops the read with ECANCELED. Returns 0, or the error number when the folder cannot
// be read.
int readFolder(const QString &folder, const WildcardMask &mask, NameColumn &names, NameColumn *unlisted = nullptr,
               QStringList *subfolders = nullptr, WorkProgress *progress = nullptr);

// Like readFolder, for `folder` and the visible subfolders below it, down to `levels`
// levels (-1: all), each folder's entries after its own path in `entries.folders`.
// Hidden folders, links to folders and folders on another file system are not entered;
// a subfolder that cannot be read is passed over. With `folderRows`, every visible
// subfolder of a folder read (not a link, not another file system) is a name of its own,
// whatever the mask, flagged in `entries.folderRow`. Returns 0, ECANCELED, or the error
// number when `folder` itself cannot be read.
int readTree(const QString &folder, const WildcardMask &mask, int levels, TreeEntries &entries,
             WorkProgress *progress = nullptr, bool folderRows = false);

// Whether `folder` can be opened for reading.
[[nodiscard]] bool canReadFolder(const QString &folder);

} // namespace velmix
