#include "CliDocuments.h"

#include "CliCommand.h"
#include "CliOptions.h"

namespace velmix::cli {
namespace {

using namespace Qt::StringLiterals;

// Text as roff prints it: a backslash and a dash of its own, no line read as a request.
QString roff(QString text)
{
    text.replace(u'\\', u"\\e"_s).replace(u'-', u"\\-"_s);
    return text.startsWith(u'.') || text.startsWith(u'\'') ? u"\\&"_s + text : text;
}

QString optionsWord(bool withShort)
{
    QStringList words;
    for (const Option &option : options()) {
        words.append(u"--"_s + option.name);
        if (withShort && !option.shortName.isNull())
            words.append(u"-"_s + option.shortName);
    }
    return words.join(u' ');
}

// A text inside a zsh completion's single quotes and brackets.
QString zshQuoted(QString text)
{
    return text.replace(u'\'', u"'\\''"_s).replace(u'[', u"\\["_s).replace(u']', u"\\]"_s).replace(u':', u"\\:"_s);
}

struct Example
{
    QString command;
    QString meaning;
};

const QList<Example> &examples()
{
    static const QList<Example> list{
        {u"velmix ~/Фото"_s, u"Открыть окно с папкой."_s},
        {u"velmix --rename --regex --find 'IMG_(\\d+)' --replace 'Отпуск_\\1' ~/Фото"_s,
         u"Показать новые имена, ничего не меняя."_s},
        {u"velmix --rename --base Отпуск --start 1 --width 3 --mask '*.jpg' --apply ~/Фото"_s,
         u"Переименовать снимки в Отпуск001.jpg, Отпуск002.jpg и так далее."_s},
        {u"velmix --rename --set 'Последний применённый' --apply ~/Фото2"_s,
         u"Переименовать другую папку так же, как в последний раз."_s},
        {u"velmix --rename --lower --tsv --apply . > переименовано.tsv"_s,
         u"Все буквы строчные; каждая строка: старое имя, новое, причина отказа."_s},
        {u"velmix --undo ~/Фото"_s, u"Вернуть прежние имена последнего переименования в папке."_s},
        {u"velmix --repair --yes"_s, u"Довести до конца переименование, прерванное сбоем."_s},
    };
    return list;
}

} // namespace

QString manPage()
{
    QString page = u".\\\" Made from the command line's option table; edit cli/CliOptions.cpp, not this file.\n"
                   ".TH VELMIX 1 \"\" \"velmix " VELMIX_VERSION "\" \"Команды пользователя\"\n"
                   ".SH NAME\nvelmix \\- пакетное переименование файлов одной папки\n"
                   ".SH SYNOPSIS\n"
                   ".B velmix\n.RI [ папка ]\n.br\n"
                   ".B velmix \\-\\-rename\n.RI [ параметры ] \" папка\"\n.br\n"
                   ".B velmix \\-\\-undo\n.I папка\n.br\n"
                   "\\fBvelmix \\-\\-repair \\-\\-yes\\fR | \\fB\\-\\-no\\fR\n"
                   ".SH DESCRIPTION\n"_s
                   + roff(programDescription())
                   + u"\nБез параметров открывает окно: слева нынешние имена файлов, справа новые; "
                     "новые имена пересчитываются при каждом изменении настроек, кнопка применения "
                     "переименовывает файлы на диске.\n.PP\n"
                     "С \\-\\-rename то же делается без окна и без дисплея. Без \\-\\-apply только "
                     "показываются новые имена; с \\-\\-apply файлы переименовываются с журналом, "
                     "так что \\-\\-undo (и Ctrl+Z в окне) возвращает прежние имена, а \\-\\-repair "
                     "доводит до конца или откатывает переименование, прерванное сбоем. Файл с "
                     "таким же именем никогда не заменяется. Параметры принимаются как "
                     "\\fB\\-\\-имя значение\\fR и \\fB\\-\\-имя=значение\\fR; \\fB\\-\\-\\fR "
                     "заканчивает параметры.\n"
                     ".SH OPTIONS\n"_s;
    for (const Option &option : options()) {
        page += u".TP\n"_s;
        if (!option.shortName.isNull())
            page += u"\\fB\\-%1\\fR, "_s.arg(option.shortName);
        page += u"\\fB"_s + roff(u"--"_s + option.name) + u"\\fR"_s;
        if (option.kind == ValueKind::OptionalText)
            page += u"[=\\fI"_s + roff(option.valueName) + u"\\fR]"_s;
        else if (option.takesValue())
            page += u" \\fI"_s + roff(option.valueName) + u"\\fR"_s;
        page += u'\n' + roff(option.help);
        if (!option.group.isEmpty()) {
            QStringList others;
            for (const Option &other : options()) {
                if (other.group == option.group && &other != &option)
                    others.append(u"--"_s + other.name);
            }
            page += u" Нельзя вместе с "_s + roff(others.join(u", "_s)) + u'.';
        }
        page += u'\n';
    }
    page += u".SH EXIT STATUS\n"_s;
    for (const ExitStatus &status : exitStatuses())
        page += u".TP\n.B %1\n%2\n"_s.arg(status.code).arg(roff(status.meaning));
    page += u".SH EXAMPLES\n"_s;
    for (const Example &example : examples())
        page += u".TP\n.B "_s + roff(example.command) + u'\n' + roff(example.meaning) + u'\n';
    page += u".SH FILES\n"
            ".TP\n.I $XDG_CONFIG_HOME/velmix/sets/*.ini\nСохранённые наборы правил, по файлу на набор "
            "(обычно в ~/.config). Читаются и пишутся только как обычные файлы этой папки; "
            "символическая ссылка или канал оставляются как есть.\n"
            ".TP\n.I $XDG_CONFIG_HOME/velmix/window.ini\nРазмер окна и ширина первого столбца.\n"
            ".TP\n.I $XDG_STATE_HOME/velmix/\nЖурналы переименований для отмены и восстановления "
            "после сбоя (обычно в ~/.local/state); рядом с файлами ничего не пишется.\n"
            ".TP\n.I /usr/share/velmix/help/help.html\nСправка, которую открывает кнопка помощи в окне.\n"_s;
    return page;
}

QString bashCompletion()
{
    QString choices;
    QStringList noCompletion;
    QStringList files;
    for (const Option &option : options()) {
        if (option.kind == ValueKind::File)
            files.append(u"--"_s + option.name);
        else if (option.kind == ValueKind::Choice)
            choices += u"        --%1) words='%2' ;;\n"_s.arg(option.name, option.choices.join(u' '));
        else if (option.kind == ValueKind::Text || option.kind == ValueKind::Number)
            noCompletion.append(u"--"_s + option.name);
    }
    return u"# bash completion for velmix; made from its option table (cli/CliOptions.cpp).\n"
           "_velmix()\n{\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
           "    # --name=value: bash splits the word at \"=\"\n"
           "    if [[ $cur == = ]]; then cur=\n"
           "    elif [[ $prev == = ]]; then prev=${COMP_WORDS[COMP_CWORD-2]}\n"
           "    fi\n"
           "    local words=\n"
           "    COMPREPLY=()\n"
           "    case $prev in\n"_s
           + choices
           + u"        "_s + files.join(u'|') + u")\n"
             "            compopt -o filenames 2>/dev/null\n"
             "            local IFS=$'\\n'\n"
             "            COMPREPLY=($(compgen -f -- \"$cur\"))\n"
             "            return ;;\n"
             "        --set)\n"
             "            local set dir=${XDG_CONFIG_HOME:-$HOME/.config}/velmix/sets\n"
             "            compopt -o filenames 2>/dev/null\n"
             "            for set in \"$dir\"/*.ini; do\n"
             "                [[ -f $set ]] || continue\n"
             "                set=${set##*/}; set=${set%.ini}\n"
             "                [[ $set == \"$cur\"* ]] && COMPREPLY+=(\"$set\")\n"
             "            done\n"
             "            return ;;\n"
             "        "_s
           + noCompletion.join(u'|')
           + u") return ;;\n"
             "    esac\n"
             "    if [[ -n $words ]]; then\n"
             "        COMPREPLY=($(compgen -W \"$words\" -- \"$cur\"))\n"
             "    elif [[ $cur == -* ]]; then\n"
             "        COMPREPLY=($(compgen -W '"_s
           + optionsWord(true)
           + u"' -- \"$cur\"))\n"
             "    else\n"
             "        compopt -o filenames 2>/dev/null\n"
             "        local IFS=$'\\n' # a folder's name may hold blanks\n"
             "        COMPREPLY=($(compgen -d -- \"$cur\"))\n"
             "    fi\n"
             "}\n"
             "complete -F _velmix velmix\n"_s;
}

QString zshCompletion()
{
    QString text = u"#compdef velmix\n"
                   "# zsh completion for velmix; made from its option table (cli/CliOptions.cpp).\n\n"
                   "_velmix_sets() {\n"
                   "  local -a sets\n"
                   "  sets=(${XDG_CONFIG_HOME:-$HOME/.config}/velmix/sets/*.ini(N-.:t:r))\n"
                   "  compadd -a sets\n"
                   "}\n\n"
                   "_arguments -s -S \\\n"_s;
    for (const Option &option : options()) {
        QStringList others;
        for (const Option &other : options()) {
            if (&other != &option && !option.group.isEmpty() && other.group == option.group)
                others.append(u"--"_s + other.name);
        }
        QString names = u"--"_s + option.name;
        if (!option.shortName.isNull()) {
            others.append(u"-"_s + option.shortName);
            others.append(u"--"_s + option.name);
            names = u"{-%1,--%2}"_s.arg(option.shortName).arg(option.name);
        }
        const QString exclusions = others.isEmpty() ? QString() : u"("_s + others.join(u' ') + u")"_s;
        QString value;
        switch (option.kind) {
        case ValueKind::None: break;
        case ValueKind::OptionalText:
        case ValueKind::Text:
        case ValueKind::Number: value = u":"_s + zshQuoted(option.valueName) + u": "_s; break;
        case ValueKind::Choice: value = u":"_s + zshQuoted(option.valueName) + u":("_s + option.choices.join(u' ') + u')'; break;
        case ValueKind::RuleSet: value = u":"_s + zshQuoted(option.valueName) + u":_velmix_sets"_s; break;
        case ValueKind::File: value = u":"_s + zshQuoted(option.valueName) + u":_files"_s; break;
        }
        const QString equals = option.kind == ValueKind::OptionalText ? u"=-"_s : option.takesValue() ? u"="_s : QString();
        if (option.shortName.isNull())
            text += u"  '%1%2%3[%4]%5' \\\n"_s.arg(exclusions, names, equals, zshQuoted(option.help), value);
        else
            text += u"  '%1'%2'[%3]%4' \\\n"_s.arg(exclusions, names, zshQuoted(option.help), value);
    }
    text += u"  '*:папка:_files -/'\n"_s;
    return text;
}

} // namespace velmix::cli
