#include "CliCommand.h"

#include "CliOptions.h"

#include "sets/RuleSetStore.h"

#include <algorithm>

namespace velmix::cli {
namespace {

using namespace Qt::StringLiterals;

// The name an argument gives an option, without its dashes and value; empty for no option.
QStringView optionName(const QString &argument)
{
    if (argument.size() == 2 && argument[0] == u'-' && argument[1] != u'-')
        return QStringView(argument).sliced(1);
    if (!argument.startsWith(u"--"))
        return {};
    const QStringView name = QStringView(argument).sliced(2);
    return name.left(name.indexOf(u'=')); // the whole of it where there is no "="
}

} // namespace

QString unknownOptionProblem(const QString &argument)
{
    const QString problem = u"неизвестный параметр «%1»"_s.arg(argument);
    QStringView typed = QStringView(argument);
    while (typed.startsWith(u'-'))
        typed = typed.sliced(1);
    typed = typed.left(typed.indexOf(u'='));
    if (const Option *nearest = nearestOption(typed))
        return problem + u"; может быть, --"_s + nearest->name + u'?';
    return problem;
}

namespace {

// Where the settings cannot be taken as they are: two of a group, a switch of one action
// given to another.
QString conflict(const Command &command, const QStringList &given, const QString &renameOnly, qsizetype folders)
{
    QStringList groupsSeen;
    for (const QString &name : given) {
        const Option *option = optionNamed(name);
        if (option->group.isEmpty())
            continue;
        const auto sameGroup = [&](const QString &other) {
            return other != name && optionNamed(other)->group == option->group;
        };
        if (std::any_of(given.begin(), given.end(), sameGroup))
            return u"можно только одно из "_s + groupMembers(option->group);
    }
    switch (command.action) {
    case Action::None: return u"укажите --rename, --undo или --repair"_s;
    case Action::Help:
    case Action::Version: return {};
    case Action::Repair:
        if (!command.answer)
            return u"для --repair нужно --yes или --no"_s;
        if (folders > 0)
            return u"--repair не принимает папку: он ищет прерванные переименования во всех"_s;
        break;
    case Action::Rename:
    case Action::Undo:
        if (folders != 1)
            return folders == 0 ? u"не указана папка"_s : u"можно указать только одну папку"_s;
        if (command.answer)
            return u"--yes и --no — только для --repair"_s;
        break;
    }
    if (command.action != Action::Rename && !renameOnly.isEmpty())
        return u"--%1 — только для --rename"_s.arg(renameOnly);
    if (given.contains(u"replace"_s) && command.rules.findText.isEmpty())
        return u"--replace без --find: укажите, что заменить"_s;
    return {};
}

} // namespace

ParsedCommand parseCommand(const QStringList &arguments, const RuleSetStore &sets)
{
    ParsedCommand parsed;
    Command &command = parsed.command;
    QStringList folders;
    QStringList given;
    QString renameOnly; // the first setting of the new names given
    std::optional<QString> setName;
    // Takes each option in turn; or, with `setOnly`, notes the set's name alone, so the set
    // is read before the options that refine it.
    const auto walk = [&](bool setOnly) -> QString {
        bool optionsEnd = false;
        for (qsizetype i = 0; i < arguments.size(); ++i) {
            const QString &argument = arguments[i];
            if (optionsEnd || !argument.startsWith(u'-') || argument == u"-") {
                if (!setOnly)
                    folders.append(argument);
                continue;
            }
            if (argument == u"--") {
                optionsEnd = true;
                continue;
            }
            const Option *option = optionNamed(optionName(argument));
            if (!option)
                return unknownOptionProblem(argument);
            const qsizetype equals = argument.startsWith(u"--") ? argument.indexOf(u'=') : -1;
            QString value;
            if (!option->takesValue()) {
                if (equals >= 0)
                    return u"параметр --%1 не принимает значения"_s.arg(option->name);
            } else if (equals >= 0) {
                value = argument.sliced(equals + 1);
            } else if (option->kind == ValueKind::OptionalText) {
                // no value: the word after it is no part of it
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                return u"у параметра --%1 нет значения"_s.arg(option->name);
            }
            if (setOnly) {
                if (option->kind == ValueKind::RuleSet)
                    setName = value;
                continue;
            }
            given.append(option->name);
            if (option->renameOnly && renameOnly.isEmpty())
                renameOnly = option->name;
            if (const QString problem = option->take(command, value); !problem.isEmpty())
                return problem;
        }
        return {};
    };
    parsed.problem = walk(true);
    if (parsed.problem.isEmpty() && setName && !setName->isEmpty()) {
        QString problem;
        if (const std::optional<RuleSet> set = sets.load(*setName, problem)) {
            command.options = set->options;
            command.rules = set->rules;
        } else {
            parsed.problem = problem;
        }
    }
    if (parsed.problem.isEmpty())
        parsed.problem = walk(false);
    // A request for the help or the version is answered whatever else is given.
    if (given.contains(u"help"_s))
        command.action = Action::Help;
    else if (given.contains(u"version"_s))
        command.action = Action::Version;
    if (parsed.problem.isEmpty())
        parsed.problem = conflict(command, given, renameOnly, folders.size());
    if (!folders.isEmpty())
        command.folder = folders.first();
    return parsed;
}

bool wantsCommandLine(const QStringList &arguments)
{
    for (const QString &argument : arguments) {
        if (argument == u"--")
            return false;
        // Any long option: the window's start takes none, so an unknown one is told here,
        // where no display is needed.
        if (argument.startsWith(u"--") || optionNamed(optionName(argument)))
            return true;
    }
    return false;
}

QString helpText()
{
    QString text = u"Использование:\n"
                   "  velmix [папка]                      открыть окно с папкой\n"
                   "  velmix --rename [параметры] папка   переименовать без окна\n"
                   "  velmix --undo папка                 отменить последнее переименование в папке\n"
                   "  velmix --repair --yes|--no          довести до конца или откатить прерванное\n"_s
                   + programDescription() + u"\n\nПараметры:\n"_s;
    for (const Option &option : options())
        text += u"  "_s + option.synopsis().leftJustified(30) + u' ' + option.help + u'\n';
    text += u"\nБез --apply ничего не меняется.\n\nКод выхода:\n"_s;
    for (const ExitStatus &status : exitStatuses())
        text += u"  %1  %2\n"_s.arg(status.code, 3).arg(status.meaning);
    return text;
}

const QList<ExitStatus> &exitStatuses()
{
    static const QList<ExitStatus> list{
        {0, u"все переименованы (без --apply: нет отмеченных строк)"_s},
        {1, u"часть файлов не переименована или отмечена"_s},
        {2, u"ошибка в параметрах, список имён не подходит к файлам, папка не найдена или окно не открыть"_s},
        {130, u"остановлено Ctrl+C (SIGINT) не далее чем через 64 файла"_s},
        {143, u"остановлено сигналом SIGTERM так же"_s},
    };
    return list;
}

} // namespace velmix::cli
