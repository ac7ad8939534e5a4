#pragma once

#include <QString>

#include <filesystem>
#include <system_error>

namespace velmix {

// A function of a module in the program's private folder, which holds the window's
// program too: beside that program, or, from `velmix`, at its installed place relative to
// it. Found from the program's own file, never from a search path. A module loaded stays
// loaded, for what it made lives in it.
struct ModuleEntry
{
    void *function = nullptr;
    QString problem; // why there is none, in the loader's words
};
[[nodiscard]] ModuleEntry privateModuleEntry(const char *file, const char *function);
// Where `file` of the private folder is installed relative to `velmix`, found from the
// program's own file, never from PATH nor argv[0]; empty with `error` where that file
// cannot be read.
[[nodiscard]] std::filesystem::path installedPrivateFile(const char *file, std::error_code &error);

} // namespace velmix
