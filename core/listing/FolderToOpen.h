#pragma once

#include <QString>

namespace velmix {

// Where a path handed to the program (on its command line, by a drop) leads: a folder
// opens itself, a file the folder holding it. A relative path starts at `workingFolder`.
struct FolderToOpen
{
    QString folder;  // empty where the path leads to no folder that can be read
    QString problem; // then why not, in one line
};

[[nodiscard]] FolderToOpen folderToOpen(const QString &path, const QString &workingFolder);

} // namespace velmix
