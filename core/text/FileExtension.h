#pragma once

#include <QStringView>

namespace velmix {

// The one rule every step takes a name's extension by, as file managers show it: what
// follows the last dot, where that dot is neither the name's first character (".bashrc"
// has none) nor its last ("file." has none); a known compound extension stays whole
// (".tar.gz", any letter case), and a suffix holding a blank is none ("Dr. Who",
// "v1.2 notes").

// The number of characters after the extension's dot (6 for "archive.tar.gz"), or 0 for
// a name with no extension.
[[nodiscard]] int FindExtensionDot(QStringView name);

// The extension with its dot, in characters; 0 for a name with none.
[[nodiscard]] inline qsizetype extensionLength(QStringView name)
{
    const int k = FindExtensionDot(name);
    return k > 0 ? k + 1 : 0;
}

// The name before its extension: the whole name where it has none.
[[nodiscard]] inline qsizetype lengthBeforeExtension(QStringView name)
{
    return name.size() - extensionLength(name);
}

} // namespace velmix
