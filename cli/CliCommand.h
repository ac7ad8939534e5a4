#pragma once

#include "preview/NamingOptions.h"
#include "rules/NameRules.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace velmix {
class RuleSetStore;
}

namespace velmix::cli {

// What the command line asks for without a window.
enum class Action { None, Rename, Undo, Repair, Help, Version };

// Where new names from outside come from: a file of names, a map, or the user's editor.
enum class ListSource { None, Names, Map, Edit };

struct Command
{
    Action action = Action::None;
    QString folder; // as typed
    NamingOptions options;
    NameRules rules;
    QString mask;
    bool subfolders = false;
    int depth = -1; // levels below the folder, with subfolders; -1 for all
    bool folders = false; // the folders listed in are renamed too
    bool pairs = false; // files that go together renamed as one
    bool apply = false;
    bool tsv = false;
    bool wait = false; // for a folder another program renames in
    std::optional<bool> answer; // --yes or --no, for the repair's question
    ListSource listSource = ListSource::None;
    QString listFile; // "-": standard input
};

// The command, or why it cannot be run (one line, in Russian).
struct ParsedCommand
{
    Command command;
    QString problem;
};

// Reads the arguments after the program's name: `--name value` or `--name=value`, a
// folder, `--` ending the options. `--set` starts from a set of `sets`, whatever its place.
[[nodiscard]] ParsedCommand parseCommand(const QStringList &arguments, const RuleSetStore &sets);

// Whether the arguments hold a long option or -h, -v, so the program runs with no window.
[[nodiscard]] bool wantsCommandLine(const QStringList &arguments);

// Why an argument that looks like an option is none, with the nearest option where one is
// near ("неизвестный параметр «--lowr»; может быть, --lower?").
[[nodiscard]] QString unknownOptionProblem(const QString &argument);

// Every option, in Russian, from the same table the parser reads.
[[nodiscard]] QString helpText();
// What each exit status means.
struct ExitStatus
{
    int code;
    QString meaning;
};
[[nodiscard]] const QList<ExitStatus> &exitStatuses();

} // namespace velmix::cli
