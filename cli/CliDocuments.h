#pragma once

#include <QString>

namespace velmix::cli {

// The command line's documents, made from its option table at build time so they never
// drift from the parser: the man page (velmix.1, in Russian) and the bash and zsh
// completions (options, the words of --order, --latin and --extension, the rule sets'
// names for --set, folders).
[[nodiscard]] QString manPage();
[[nodiscard]] QString bashCompletion();
[[nodiscard]] QString zshCompletion();

} // namespace velmix::cli
