#pragma once

#include "FileSystemKind.h"
#include "text/NameColumn.h"

#include <QString>
#include <QStringView>

#include <algorithm>

namespace velmix {

class FolderMover;

// What a folder's file system makes of names, decided once per listing; the marks and
// the apply both judge by it.
struct FolderRules
{
    qsizetype nameMax = 255; // in bytes
    bool ignoresCase = false;
    // FAT, exFAT or NTFS: names count in UTF-16 units against 255, and (where set) names
    // Windows cannot open are refused before any driver sees them.
    bool windows = false;
    bool refusesWindowsNames = false;
    bool asciiOnly = false; // fusefat's own limit
    // The most directory entries a name may take (one per 13 UTF-16 units, and a short
    // one); 0 for no such limit. fusefat refuses, and a rename of it loses the file, a
    // name whose entries would reach past the folder's next cluster: where a cluster holds
    // fewer entries than the longest name needs, no name longer than one cluster is let by.
    qsizetype nameEntriesMax = 0;
    // fusefat damages files when it moves one whose entries straddle two clusters of a
    // FAT12 or FAT16 subfolder, and it does not tell where a name's entries lie: no file
    // of such a folder is moved. The root folder lies outside the clusters.
    bool movesDamageFiles = false;
    // Whether a file keeps its inode number while the medium stays mounted: FUSE and
    // FAT-family drivers may number files anew once the kernel forgets them.
    bool numbersKept = true;
    // Why no file of the folder can be renamed, known before any try (see
    // FolderMover::writeError); 0 otherwise.
    int writeError = 0;
};

// The longest name on Windows-family file systems, in UTF-16 units.
constexpr qsizetype WindowsNameMax = 255;

// Whether a name of `bytes` bytes on disk fits the folder's length limit and, where the
// driver takes ASCII names only, is one.
[[nodiscard]] inline bool nameFits(QStringView name, qsizetype bytes, const FolderRules &rules)
{
    if (rules.asciiOnly && std::any_of(name.begin(), name.end(), [](QChar c) { return c.unicode() >= 0x80; }))
        return false;
    constexpr qsizetype UnitsPerEntry = 13;
    if (rules.nameEntriesMax > 0 && (name.size() + UnitsPerEntry - 1) / UnitsPerEntry + 1 > rules.nameEntriesMax)
        return false;
    return rules.windows ? name.size() <= WindowsNameMax : bytes <= rules.nameMax;
}

// Whether Windows cannot open a file of that name: a device name (CON, PRN, AUX, NUL,
// COM1-9, LPT1-9) alone or before any extension, a trailing dot or blank, one of
// < > : " / \ | ? * or a control character.
[[nodiscard]] bool windowsRefuses(QStringView name);

// The rules of the folder `mover` works in, from a few calls on it. `listedNames` is its
// listing just read (see folderIgnoresCase).
[[nodiscard]] FolderRules readFolderRules(FolderMover &mover, const NameColumn &listedNames);

} // namespace velmix
