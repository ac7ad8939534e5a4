#include "CliCommand.h"

#include "CommandLine.h"

#include "preview/NameFields.h"

#include "sets/RuleSetStore.h"

#include <QRegularExpression>

#include <algorithm>

namespace velmix::cli {
namespace {

using namespace Qt::StringLiterals;

// One option: its name without the dashes, the name of its value in the help (empty for a
// switch), its help line, and what it does to the command; the problem, or empty.
struct Option
{
    QString name;
    QString value;
    QString help;
    QString (*take)(Command &command, const QString &value);
    bool renameOnly = true; // a setting of the new names
};

// Digits only, as the window's number boxes take them, at most `limit` of them.
std::optional<int> digits(const QString &text, int limit)
{
    static const QRegularExpression Digits(u"^[0-9]+$"_s);
    if (text.size() > limit || !Digits.match(text).hasMatch())
        return std::nullopt;
    return text.toInt();
}

QString notDigits(const QString &text, int limit)
{
    return u"«%1» — не число из 1–%2 цифр"_s.arg(text).arg(limit);
}

// Puts a number of at most `limit` digits into `field`; else the reason.
QString readDigits(const QString &text, int limit, int &field)
{
    const std::optional<int> number = digits(text, limit);
    if (!number)
        return notDigits(text, limit);
    field = *number;
    return {};
}

QString takeAction(Command &command, Action action)
{
    if (command.action != Action::None && command.action != action)
        return u"можно только одно из --rename, --undo, --repair"_s;
    command.action = action;
    return {};
}

// An option that takes one word of `words`: its place in them, or the reason it is none,
// `what` naming the option ("порядок «x» — не name, numbers или date").
QString oneOf(const QString &what, const QStringList &words, const QString &value, int &index)
{
    index = int(words.indexOf(value));
    if (index >= 0)
        return {};
    const QString listed = words.mid(0, words.size() - 1).join(u", "_s) + u" или "_s + words.last();
    return (what.isEmpty() ? u"«%1» — не %2"_s : what + u" «%1» — не %2"_s).arg(value, listed);
}

// The switches that exclude each other put the others off, so they win over a set's.
QString letterCase(Command &command, bool upper, bool lower, bool capital)
{
    command.options.UpperCase = upper;
    command.options.LowerCase = lower;
    command.options.FirstLetterCapital = capital;
    return {};
}

QString spaces(Command &command, bool toUnderscores, bool toSpaces)
{
    command.options.SpacesToUnderscores = toUnderscores;
    command.options.UnderscoresToSpaces = toSpaces;
    return {};
}

const QList<Option> &options()
{
    using C = Command;
    using S = const QString &;
    static const QList<Option> list{
        {u"rename"_s, {}, u"Переименовать файлы папки без окна; без --apply только показать новые имена."_s,
         [](C &c, S) { return takeAction(c, Action::Rename); }, false},
        {u"undo"_s, {}, u"Отменить последнее переименование в папке (то же, что Ctrl+Z в окне)."_s,
         [](C &c, S) { return takeAction(c, Action::Undo); }, false},
        {u"repair"_s, {}, u"Довести до конца (--yes) или откатить (--no) прерванное переименование."_s,
         [](C &c, S) { return takeAction(c, Action::Repair); }, false},
        {u"yes"_s, {}, u"Для --repair: довести до конца."_s, [](C &c, S) { c.answer = true; return QString(); }, false},
        {u"no"_s, {}, u"Для --repair: вернуть прежние имена."_s,
         [](C &c, S) { c.answer = false; return QString(); }, false},
        {u"apply"_s, {}, u"Переименовать на самом деле, с журналом и отменой."_s,
         [](C &c, S) { c.apply = true; return QString(); }},
        {u"wait"_s, {}, u"Если папку сейчас переименовывает другая программа Velmix, дождаться её, а не отказаться."_s,
         [](C &c, S) { c.wait = true; return QString(); }, false},
        {u"tsv"_s, {}, u"Строки через табуляцию: старое имя, новое, причина отметки; имена как на диске."_s,
         [](C &c, S) { c.tsv = true; return QString(); }},
        {u"set"_s, u"НАБОР"_s, u"Взять сохранённый набор правил («Последний применённый» — настройки последнего применения); параметры после него его уточняют."_s,
         [](C &, S) { return QString(); }},
        {u"mask"_s, u"МАСКА"_s, u"Какие файлы взять, например *.jpg;*.png (по умолчанию *.*)."_s,
         [](C &c, S v) { c.mask = v; return QString(); }},
        {u"base"_s, u"ИМЯ"_s, u"Новое имя файлов, поля в фигурных скобках, {n} — номер; «*» или «-» — свои имена. Включает нумерацию, кроме имени из одних полей тегов."_s,
         [](C &c, S v) {
             if (const int limit = NameFields::limitOf(v); v.size() > limit)
                 return u"имя длиннее %1 знаков"_s.arg(limit);
             c.options.BaseName = v;
             return QString();
         }},
        {u"number"_s, {}, u"Нумерация."_s, [](C &c, S) { c.options.Numbering = true; return QString(); }},
        {u"start"_s, u"ЧИСЛО"_s, u"С какого числа нумеровать (до 5 цифр). Включает нумерацию."_s,
         [](C &c, S v) {
             if (!digits(v, NamingOptions::StartTextLimit))
                 return notDigits(v, NamingOptions::StartTextLimit);
             c.options.StartText = v;
             c.options.Numbering = true;
             return QString();
         }},
        {u"step"_s, u"ЧИСЛО"_s, u"Шаг нумерации (до 9 цифр). Включает нумерацию."_s,
         [](C &c, S v) {
             if (!digits(v, 9))
                 return notDigits(v, 9);
             c.options.StepText = v;
             c.options.Numbering = true;
             return QString();
         }},
        {u"width"_s, u"ЧИСЛО"_s, u"Знаков в номере, от 1 до 5 (недостающие — нули). Включает нумерацию."_s,
         [](C &c, S v) {
             const std::optional<int> width = digits(v, 1);
             if (!width || *width < 1 || *width > NamingOptions::DigitWidthCount)
                 return u"ширина номера «%1» — не число от 1 до 5"_s.arg(v);
             c.options.DigitWidthIndex = *width - 1;
             c.options.Numbering = true;
             return QString();
         }},
        {u"order"_s, u"name|numbers|date"_s, u"Порядок нумерации: по имени, по числам в имени, по дате съёмки."_s,
         [](C &c, S v) {
             int order = 0;
             const QString problem = oneOf(u"порядок"_s, {u"name"_s, u"numbers"_s, u"date"_s}, v, order);
             if (problem.isEmpty())
                 c.options.Order = NumberingOrder(order);
             return problem;
         }},
        {u"upper"_s, {}, u"ВСЕ БУКВЫ ПРОПИСНЫЕ."_s, [](C &c, S) { return letterCase(c, true, false, false); }},
        {u"lower"_s, {}, u"все буквы строчные."_s, [](C &c, S) { return letterCase(c, false, true, false); }},
        {u"capital"_s, {}, u"Первая буква прописная."_s,
         [](C &c, S) { return letterCase(c, false, false, true); }},
        {u"spaces-to-underscores"_s, {}, u"Пробелы в подчёркивания."_s,
         [](C &c, S) { return spaces(c, true, false); }},
        {u"underscores-to-spaces"_s, {}, u"Подчёркивания в пробелы."_s,
         [](C &c, S) { return spaces(c, false, true); }},
        {u"find"_s, u"ТЕКСТ"_s, u"Найти в имени (до расширения)."_s,
         [](C &c, S v) { c.rules.findText = v; return QString(); }},
        {u"replace"_s, u"ТЕКСТ"_s, u"Заменить найденное на это; с --regex \\1 — первая группа."_s,
         [](C &c, S v) { c.rules.replaceText = v; return QString(); }},
        {u"regex"_s, {}, u"Искать регулярным выражением."_s,
         [](C &c, S) { c.rules.regularExpression = true; return QString(); }},
        {u"ignore-case"_s, {}, u"Искать без учёта регистра."_s,
         [](C &c, S) { c.rules.ignoreCase = true; return QString(); }},
        {u"with-extension"_s, {}, u"Искать во всём имени, с расширением."_s,
         [](C &c, S) { c.rules.replaceScope = ReplaceScope::WholeName; return QString(); }},
        {u"cut-from"_s, u"ЧИСЛО"_s, u"С какой позиции вырезать и вставлять (до 3 цифр)."_s,
         [](C &c, S v) { return readDigits(v, 3, c.rules.position); }},
        {u"cut"_s, u"ЧИСЛО"_s, u"Сколько знаков вырезать (до 3 цифр)."_s,
         [](C &c, S v) { return readDigits(v, 3, c.rules.cutCount); }},
        {u"insert"_s, u"ТЕКСТ"_s, u"Что вставить на место вырезанного; поля — как в имени."_s,
         [](C &c, S v) { c.rules.insertText = v; return QString(); }},
        {u"from-end"_s, {}, u"Считать позицию с конца имени."_s,
         [](C &c, S) { c.rules.positionFromEnd = true; return QString(); }},
        {u"title-case"_s, {}, u"Каждое слово с прописной буквы, остальные как есть."_s,
         [](C &c, S) { c.rules.titleCase = TitleCase::RestAsTyped; return QString(); }},
        {u"title-case-lower"_s, {}, u"Каждое слово с прописной буквы, остальные строчные."_s,
         [](C &c, S) { c.rules.titleCase = TitleCase::RestLower; return QString(); }},
        {u"latin"_s, u"gost|passport|bgn"_s, u"Кириллицу латиницей: ГОСТ 7.79 Б, загранпаспорт, BGN/PCGN."_s,
         [](C &c, S v) {
             int scheme = -1;
             const QString problem = oneOf(u"схема"_s, {u"gost"_s, u"passport"_s, u"bgn"_s}, v, scheme);
             if (problem.isEmpty())
                 c.rules.transliteration = Transliteration(scheme + 1);
             return problem;
         }},
        {u"extension"_s, u"as-is|lower|upper"_s, u"Буквы расширения: как есть, маленькими или большими."_s,
         [](C &c, S v) {
             int letters = 0;
             const QString problem = oneOf({}, {u"as-is"_s, u"lower"_s, u"upper"_s}, v, letters);
             if (problem.isEmpty())
                 c.rules.extensionCase = ExtensionCase(letters);
             return problem;
         }},
        {u"help"_s, {}, u"Показать эту справку и выйти."_s, [](C &c, S) { c.action = Action::Help; return QString(); },
         false},
        {u"version"_s, {}, u"Показать версию программы и выйти."_s,
         [](C &c, S) { c.action = Action::Version; return QString(); }, false},
    };
    return list;
}

const Option *optionNamed(QStringView name)
{
    if (name == u"h")
        name = u"help";
    else if (name == u"v")
        name = u"version";
    for (const Option &option : options()) {
        if (option.name == name)
            return &option;
    }
    return nullptr;
}

// The name an argument gives an option, without its dashes and value; empty for no option.
QStringView optionName(const QString &argument)
{
    if (argument == u"-h" || argument == u"-v")
        return QStringView(argument).sliced(1);
    if (!argument.startsWith(u"--"))
        return {};
    const QStringView name = QStringView(argument).sliced(2);
    return name.left(name.indexOf(u'=')); // the whole of it where there is no "="
}

// Where the settings cannot be taken as they are: two that exclude each other, a switch
// of one action given to another.
QString conflict(const Command &command, const QStringList &given, const QString &renameOnly, qsizetype folders)
{
    const auto count = [&](const QStringList &names) {
        return std::count_if(names.begin(), names.end(), [&](const QString &name) { return given.contains(name); });
    };
    if (count({u"upper"_s, u"lower"_s, u"capital"_s}) > 1)
        return u"можно только одно из --upper, --lower, --capital"_s;
    if (count({u"spaces-to-underscores"_s, u"underscores-to-spaces"_s}) > 1)
        return u"можно только одно из --spaces-to-underscores, --underscores-to-spaces"_s;
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
    QString setName;
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
                return u"неизвестный параметр «%1»"_s.arg(argument);
            const qsizetype equals = argument.indexOf(u'=');
            QString value;
            if (option->value.isEmpty()) {
                if (equals >= 0)
                    return u"параметр --%1 не принимает значения"_s.arg(option->name);
            } else if (equals >= 0) {
                value = argument.sliced(equals + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                return u"у параметра --%1 нет значения"_s.arg(option->name);
            }
            if (setOnly) {
                if (option->name == u"set")
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
    if (parsed.problem.isEmpty() && !setName.isEmpty()) {
        QString problem;
        if (const std::optional<RuleSet> set = sets.load(setName, problem)) {
            command.options = set->options;
            command.rules = set->rules;
        } else {
            parsed.problem = problem;
        }
    }
    if (parsed.problem.isEmpty())
        parsed.problem = walk(false);
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
                   + CommandLine::Description + u"\n\nПараметры:\n"_s;
    for (const Option &option : options()) {
        const QString shortName = option.name == u"help" ? u"-h, "_s : option.name == u"version" ? u"-v, "_s : QString();
        const QString left = shortName + u"--"_s + option.name + (option.value.isEmpty() ? QString() : u' ' + option.value);
        text += u"  "_s + left.leftJustified(30) + u' ' + option.help + u'\n';
    }
    text += u"\nБез --apply ничего не меняется. Код выхода: 0 — все переименованы (без --apply: нет отметок), "
            "1 — часть отказана или отмечена, 2 — ошибка в параметрах.\n"_s;
    return text;
}

} // namespace velmix::cli
