#include "listing/FolderRules.h"

#include "FileMover.h"
#include "listing/FolderCase.h"

namespace velmix {
namespace {

constexpr int LongestNameEntries = 21; // 255 units in entries of 13, and the short one

bool isDeviceName(QStringView stem)
{
    static constexpr QStringView Plain[] = {u"CON", u"PRN", u"AUX", u"NUL"};
    for (QStringView device : Plain) {
        if (stem.compare(device, Qt::CaseInsensitive) == 0)
            return true;
    }
    const bool numbered = stem.startsWith(u"COM", Qt::CaseInsensitive) || stem.startsWith(u"LPT", Qt::CaseInsensitive);
    return numbered && stem.size() == 4 && stem[3] >= u'1' && stem[3] <= u'9';
}

} // namespace

bool windowsRefuses(QStringView name)
{
    if (name.endsWith(u'.') || name.endsWith(u' '))
        return true;
    for (QChar c : name) {
        if (c.unicode() < 0x20 || QStringView(u"<>:\"/\\|?*").contains(c))
            return true;
    }
    const qsizetype dot = name.indexOf(u'.');
    return isDeviceName(dot < 0 ? name : name.first(dot));
}

FolderRules readFolderRules(FolderMover &mover, const NameColumn &listedNames)
{
    FolderRules rules;
    rules.nameMax = mover.nameMax();
    rules.ignoresCase = folderIgnoresCase(mover, listedNames);
    const FileSystemKind kind = mover.fileSystemKind();
    // A FUSE driver that does not say what it serves and ignores letter case is taken
    // for FAT, exFAT or NTFS: on Linux, those are the file systems that do.
    rules.windows = kind == FileSystemKind::Windows || kind == FileSystemKind::FuseFat
                    || (kind == FileSystemKind::UnknownFuse && rules.ignoresCase);
    rules.asciiOnly = kind == FileSystemKind::FuseFat;
    if (const int entries = mover.clusterEntries(); rules.asciiOnly && entries > 0 && entries < LongestNameEntries)
        rules.nameEntriesMax = entries;
    rules.movesDamageFiles = mover.movesDamageFiles();
    rules.numbersKept = kind == FileSystemKind::Other && !rules.windows;
    rules.refusesWindowsNames = rules.windows;
    rules.writeError = mover.writeError();
    return rules;
}

} // namespace velmix
