#pragma once

namespace velmix {

// What the mount tells of a folder's file system.
enum class FileSystemKind {
    Other,
    Windows,      // FAT, exFAT or NTFS, through any driver
    UnknownFuse,  // a FUSE driver that does not say which file system it serves
    FuseFat,      // FAT through fusefat, which takes names of ASCII characters only
};

} // namespace velmix
