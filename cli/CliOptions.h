#pragma once

#include "CliCommand.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace velmix::cli {

// What an option's value is, so the completions can offer it.
// An optional text is given only after "=" ("--fix-conflicts=_{n}"), so the word after
// the option stays a folder.
enum class ValueKind { None, Text, Number, Choice, RuleSet, File, OptionalText };

// One option: the parser, --help, the man page and the shell completions all read it.
struct Option
{
    QString name;      // without the dashes
    QChar shortName;   // '-n' and the like; null for none
    ValueKind kind = ValueKind::None;
    QString valueName; // the value's name in the help ("ЧИСЛО"); the choices joined for a choice
    QStringList choices;
    QString help;
    QString (*take)(Command &command, const QString &value);
    bool renameOnly = true; // a setting of the new names
    // Options sharing a group exclude each other ("можно только одно из …").
    QString group = {};

    [[nodiscard]] bool takesValue() const { return kind != ValueKind::None; }
    // "-h, --help", "--base ИМЯ" or "--fix-conflicts[=ШАБЛОН]", as the help and the man page show it.
    [[nodiscard]] QString synopsis() const;
};

// Every option, in the order the help lists them.
[[nodiscard]] const QList<Option> &options();

// The option a name (without its dashes) or a one-letter short name stands for; null for none.
[[nodiscard]] const Option *optionNamed(QStringView name);

// The options of a group, as "--a, --b, --c".
[[nodiscard]] QString groupMembers(const QString &group);

// The option nearest a mistyped name (a few letters off, or the start of one), or null.
[[nodiscard]] const Option *nearestOption(QStringView typed);

// The program's one line about itself, and the folder argument's, shared by the window's
// parser, --help and the man page.
[[nodiscard]] QString programDescription();

} // namespace velmix::cli
