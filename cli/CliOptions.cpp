#include "CliOptions.h"

#include "preview/NameFields.h"

#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace velmix::cli {
namespace {

using namespace Qt::StringLiterals;

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

// The switches of a group put the others off, so they win over a set's.
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

QString listFile(Command &command, ListSource source, const QString &option, const QString &path)
{
    if (path.isEmpty())
        return u"у параметра --%1 пустое имя файла"_s.arg(option);
    command.listSource = source;
    command.listFile = path;
    return {};
}


// The orders a command line can ask for, as NumberingOrder names them ("as shown" needs a table to arrange).
const QStringList Orders{u"name"_s, u"numbers"_s, u"date"_s, u"size"_s, u"mtime"_s, u"reverse-name"_s};
const NumberingOrder OrderValues[] = {NumberingOrder::ByName, NumberingOrder::ByNumbersInName, NumberingOrder::ByDateTaken,
                                      NumberingOrder::BySize, NumberingOrder::ByModified, NumberingOrder::ByReverseName};

// The rule for taken names: a number by default, or as the pattern, the word asks.
QString conflictRule(Command &command, const QString &value)
{
    ConflictChoice &choice = command.rules.conflicts;
    choice.pattern.clear();
    if (value.isEmpty()) {
        choice.rule = ConflictRule::AddNumber;
    } else if (value == u"mark") {
        choice.rule = ConflictRule::MarkAndSkip;
    } else if (value == u"subsecond") {
        choice.rule = ConflictRule::SubSecond;
    } else if (const QString problem = conflictPatternProblem(value); !problem.isEmpty()) {
        return u"--fix-conflicts: "_s + problem;
    } else {
        choice.rule = ConflictRule::Pattern;
        choice.pattern = value;
    }
    return {};
}
const QStringList Schemes{u"gost"_s, u"passport"_s, u"bgn"_s};
const QStringList ExtensionCases{u"as-is"_s, u"lower"_s, u"upper"_s};

// Levenshtein's distance, in letters.
qsizetype distance(QStringView a, QStringView b)
{
    std::vector<qsizetype> row(size_t(b.size()) + 1);
    for (qsizetype j = 0; j <= b.size(); ++j)
        row[size_t(j)] = j;
    for (qsizetype i = 1; i <= a.size(); ++i) {
        qsizetype diagonal = row[0];
        row[0] = i;
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const qsizetype above = row[size_t(j)];
            row[size_t(j)] = std::min({above + 1, row[size_t(j) - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row.back();
}

} // namespace

QString Option::synopsis() const
{
    QString text = shortName.isNull() ? QString() : u"-"_s + shortName + u", "_s;
    text += u"--"_s + name;
    if (kind == ValueKind::OptionalText)
        text += u"[="_s + valueName + u']';
    else if (takesValue())
        text += u' ' + valueName;
    return text;
}

const QList<Option> &options()
{
    using C = Command;
    using S = const QString &;
    using enum ValueKind;
    static const QList<Option> list{
        {u"rename"_s, {}, None, {}, {}, u"Переименовать файлы папки без окна; без --apply только показать новые имена."_s,
         [](C &c, S) { c.action = Action::Rename; return QString(); }, false, u"action"_s},
        {u"undo"_s, {}, None, {}, {}, u"Отменить последнее переименование в папке (то же, что Ctrl+Z в окне)."_s,
         [](C &c, S) { c.action = Action::Undo; return QString(); }, false, u"action"_s},
        {u"repair"_s, {}, None, {}, {}, u"Довести до конца (--yes) или откатить (--no) прерванное переименование."_s,
         [](C &c, S) { c.action = Action::Repair; return QString(); }, false, u"action"_s},
        {u"yes"_s, {}, None, {}, {}, u"Для --repair: довести до конца."_s,
         [](C &c, S) { c.answer = true; return QString(); }, false, u"answer"_s},
        {u"no"_s, {}, None, {}, {}, u"Для --repair: вернуть прежние имена."_s,
         [](C &c, S) { c.answer = false; return QString(); }, false, u"answer"_s},
        {u"apply"_s, {}, None, {}, {}, u"Переименовать на самом деле, с журналом и отменой."_s,
         [](C &c, S) { c.apply = true; return QString(); }, true, u"apply"_s},
        {u"dry-run"_s, u'n', None, {}, {}, u"Только показать новые имена (так и без --apply)."_s,
         [](C &c, S) { c.apply = false; return QString(); }, true, u"apply"_s},
        {u"tsv"_s, {}, None, {}, {},
         u"Строки через табуляцию: старое имя, новое, причина отметки или отказа; имена как на диске. "
         "С --apply — переименованные и отказанные строки."_s,
         [](C &c, S) { c.tsv = true; return QString(); }},
        {u"wait"_s, {}, None, {}, {},
         u"Если папку сейчас переименовывает другая программа Velmix, дождаться её, а не отказаться."_s,
         [](C &c, S) { c.wait = true; return QString(); }, false},
        {u"names"_s, {}, File, u"ФАЙЛ"_s, {},
         u"Новые имена из файла, по одному в строке, в порядке файлов в таблице; «-» — со стандартного ввода."_s,
         [](C &c, S v) { return listFile(c, ListSource::Names, u"names"_s, v); }, true, u"list"_s},
        {u"map"_s, {}, File, u"ФАЙЛ"_s, {},
         u"Пары «старое имя, новое имя» из файла TSV или CSV (так и из --tsv); файлы не из списка сохраняют имена."_s,
         [](C &c, S v) { return listFile(c, ListSource::Map, u"map"_s, v); }, true, u"list"_s},
        {u"edit"_s, {}, None, {}, {},
         u"Открыть новые имена в редакторе ($VISUAL, $EDITOR или vi), по одному в строке; затем показать или, с --apply, переименовать."_s,
         [](C &c, S) { c.listSource = ListSource::Edit; return QString(); }, true, u"list"_s},
        {u"set"_s, {}, RuleSet, u"НАБОР"_s, {},
         u"Взять сохранённый набор правил («Последний применённый» — настройки последнего применения); параметры после него его уточняют."_s,
         [](C &, S v) { return v.isEmpty() ? u"у параметра --set пустое имя набора"_s : QString(); }},
        {u"mask"_s, {}, Text, u"МАСКА"_s, {}, u"Какие файлы взять, например *.jpg;*.png (по умолчанию *.*)."_s,
         [](C &c, S v) { c.mask = v; return QString(); }},
        {u"subfolders"_s, {}, None, {}, {},
         u"Взять и файлы подпапок (кроме скрытых папок и ссылок на папки); каждый файл остаётся в своей папке."_s,
         [](C &c, S) { c.subfolders = true; return QString(); }},
        {u"folders"_s, {}, None, {}, {},
         u"Переименовать и сами папки: подпапки папки (с --subfolders — все папки дерева, кроме скрытых и ссылок); у имени папки нет расширения."_s,
         [](C &c, S) { c.folders = true; return QString(); }},
        {u"depth"_s, {}, Number, u"ЧИСЛО"_s, {},
         u"На сколько уровней подпапок спускаться (по умолчанию — на все). Включает --subfolders."_s,
         [](C &c, S v) {
             const std::optional<int> levels = digits(v, 3);
             if (!levels)
                 return notDigits(v, 3);
             c.depth = *levels;
             c.subfolders = true;
             return QString();
         }},
        {u"pairs"_s, {}, None, {}, {},
         u"Связанные файлы вместе: снимок RAW с его JPG, HEIC, XMP и THM, Live Photo (HEIC или JPG с MOV и AAE), видео с SRT, XMP и THM — одно новое имя, у каждого своё расширение, один номер."_s,
         [](C &c, S) { c.pairs = true; return QString(); }},
        {u"base"_s, {}, Text, u"ИМЯ"_s, {},
         u"Новое имя файлов, поля в фигурных скобках, {n} — номер; «*» или «-» — свои имена. Включает нумерацию, кроме имени из одних полей тегов."_s,
         [](C &c, S v) {
             if (const int limit = NameFields::limitOf(v); v.size() > limit)
                 return u"имя длиннее %1 знаков"_s.arg(limit);
             c.options.BaseName = v;
             return QString();
         }},
        {u"number"_s, {}, None, {}, {}, u"Нумерация."_s, [](C &c, S) { c.options.Numbering = true; return QString(); }},
        {u"start"_s, {}, Number, u"ЧИСЛО"_s, {}, u"С какого числа нумеровать (до 5 цифр). Включает нумерацию."_s,
         [](C &c, S v) {
             if (!digits(v, NamingOptions::StartTextLimit))
                 return notDigits(v, NamingOptions::StartTextLimit);
             c.options.StartText = v;
             c.options.Numbering = true;
             return QString();
         }},
        {u"step"_s, {}, Number, u"ЧИСЛО"_s, {}, u"Шаг нумерации (до 9 цифр). Включает нумерацию."_s,
         [](C &c, S v) {
             if (!digits(v, 9))
                 return notDigits(v, 9);
             c.options.StepText = v;
             c.options.Numbering = true;
             return QString();
         }},
        {u"width"_s, {}, Number, u"ЧИСЛО"_s, {}, u"Знаков в номере, от 1 до 5 (недостающие — нули). Включает нумерацию."_s,
         [](C &c, S v) {
             const std::optional<int> width = digits(v, 1);
             if (!width || *width < 1 || *width > NamingOptions::DigitWidthCount)
                 return u"ширина номера «%1» — не число от 1 до 5"_s.arg(v);
             c.options.DigitWidthIndex = *width - 1;
             c.options.Numbering = true;
             return QString();
         }},
        {u"order"_s, {}, Choice, Orders.join(u'|'), Orders,
         u"Порядок нумерации: по имени, по числам в имени, по дате съёмки, по размеру, по времени изменения, "
         "по имени с конца."_s,
         [](C &c, S v) {
             int order = 0;
             const QString problem = oneOf(u"порядок"_s, Orders, v, order);
             if (problem.isEmpty())
                 c.options.Order = OrderValues[order];
             return problem;
         }},
        {u"fix-conflicts"_s, {}, OptionalText, u"ШАБЛОН"_s, {},
         u"Если новое имя занято, не пропускать файл, а добавить перед расширением первый свободный номер « (2)»; "
         "ШАБЛОН с {n} задаёт вид номера (например _{n:2}), subsecond — сначала доли секунды съёмки из EXIF, "
         "mark — отметить и пропустить (по умолчанию)."_s,
         conflictRule},
        {u"restart-per-folder"_s, {}, None, {}, {}, u"Нумерация заново в каждой папке."_s,
         [](C &c, S) { c.options.RestartPerFolder = true; return QString(); }},
        {u"restart-per-day"_s, {}, None, {}, {}, u"Нумерация заново каждый день (по дате, которую берёт {дата})."_s,
         [](C &c, S) { c.options.RestartPerDay = true; return QString(); }},
        {u"date-shift"_s, {}, Text, u"[КАМЕРА=]±ЧЧ:ММ"_s, {},
         u"Сдвинуть даты снимков камеры (как её пишет {камера}), без камеры — всех файлов; можно несколько раз."_s,
         [](C &c, S v) { return c.options.Shifts.take(v); }},
        {u"upper"_s, {}, None, {}, {}, u"ВСЕ БУКВЫ ПРОПИСНЫЕ."_s,
         [](C &c, S) { return letterCase(c, true, false, false); }, true, u"case"_s},
        {u"lower"_s, {}, None, {}, {}, u"все буквы строчные."_s,
         [](C &c, S) { return letterCase(c, false, true, false); }, true, u"case"_s},
        {u"capital"_s, {}, None, {}, {}, u"Первая буква прописная."_s,
         [](C &c, S) { return letterCase(c, false, false, true); }, true, u"case"_s},
        {u"spaces-to-underscores"_s, {}, None, {}, {}, u"Пробелы в подчёркивания."_s,
         [](C &c, S) { return spaces(c, true, false); }, true, u"spaces"_s},
        {u"underscores-to-spaces"_s, {}, None, {}, {}, u"Подчёркивания в пробелы."_s,
         [](C &c, S) { return spaces(c, false, true); }, true, u"spaces"_s},
        {u"find"_s, {}, Text, u"ТЕКСТ"_s, {}, u"Найти в имени (до расширения)."_s,
         [](C &c, S v) { c.rules.findText = v; return QString(); }},
        {u"replace"_s, {}, Text, u"ТЕКСТ"_s, {}, u"Заменить найденное на это (нужно --find); с --regex \\1 — первая группа."_s,
         [](C &c, S v) { c.rules.replaceText = v; return QString(); }},
        {u"regex"_s, {}, None, {}, {}, u"Искать регулярным выражением."_s,
         [](C &c, S) { c.rules.regularExpression = true; return QString(); }},
        {u"ignore-case"_s, {}, None, {}, {}, u"Искать без учёта регистра."_s,
         [](C &c, S) { c.rules.ignoreCase = true; return QString(); }},
        {u"with-extension"_s, {}, None, {}, {}, u"Искать во всём имени, с расширением."_s,
         [](C &c, S) { c.rules.replaceScope = ReplaceScope::WholeName; return QString(); }},
        {u"cut-from"_s, {}, Number, u"ЧИСЛО"_s, {}, u"С какой позиции вырезать и вставлять (до 3 цифр)."_s,
         [](C &c, S v) { return readDigits(v, 3, c.rules.position); }},
        {u"cut"_s, {}, Number, u"ЧИСЛО"_s, {}, u"Сколько знаков вырезать (до 3 цифр)."_s,
         [](C &c, S v) { return readDigits(v, 3, c.rules.cutCount); }},
        {u"insert"_s, {}, Text, u"ТЕКСТ"_s, {}, u"Что вставить на место вырезанного; поля — как в имени."_s,
         [](C &c, S v) { c.rules.insertText = v; return QString(); }},
        {u"from-end"_s, {}, None, {}, {}, u"Считать позицию с конца имени."_s,
         [](C &c, S) { c.rules.positionFromEnd = true; return QString(); }},
        {u"title-case"_s, {}, None, {}, {}, u"Каждое слово с прописной буквы, остальные как есть."_s,
         [](C &c, S) { c.rules.titleCase = TitleCase::RestAsTyped; return QString(); }, true, u"title"_s},
        {u"title-case-lower"_s, {}, None, {}, {}, u"Каждое слово с прописной буквы, остальные строчные."_s,
         [](C &c, S) { c.rules.titleCase = TitleCase::RestLower; return QString(); }, true, u"title"_s},
        {u"latin"_s, {}, Choice, Schemes.join(u'|'), Schemes, u"Кириллицу латиницей: ГОСТ 7.79 Б, загранпаспорт, BGN/PCGN."_s,
         [](C &c, S v) {
             int scheme = -1;
             const QString problem = oneOf(u"схема"_s, Schemes, v, scheme);
             if (problem.isEmpty())
                 c.rules.transliteration = Transliteration(scheme + 1);
             return problem;
         }},
        {u"extension"_s, {}, Choice, ExtensionCases.join(u'|'), ExtensionCases,
         u"Буквы расширения: как есть, маленькими или большими."_s,
         [](C &c, S v) {
             int letters = 0;
             const QString problem = oneOf({}, ExtensionCases, v, letters);
             if (problem.isEmpty())
                 c.rules.extensionCase = ExtensionCase(letters);
             return problem;
         }},
        {u"help"_s, u'h', None, {}, {}, u"Показать эту справку и выйти."_s,
         [](C &c, S) { c.action = Action::Help; return QString(); }, false},
        {u"version"_s, u'v', None, {}, {}, u"Показать версию программы и выйти."_s,
         [](C &c, S) { c.action = Action::Version; return QString(); }, false},
    };
    return list;
}

const Option *optionNamed(QStringView name)
{
    for (const Option &option : options()) {
        if (option.name == name || (name.size() == 1 && option.shortName == name[0]))
            return &option;
    }
    return nullptr;
}

QString groupMembers(const QString &group)
{
    QStringList names;
    for (const Option &option : options()) {
        if (option.group == group)
            names.append(u"--"_s + option.name);
    }
    return names.join(u", "_s);
}

const Option *nearestOption(QStringView typed)
{
    if (typed.isEmpty())
        return nullptr;
    const Option *nearest = nullptr;
    qsizetype best = std::max<qsizetype>(1, std::min<qsizetype>(2, typed.size() / 3)) + 1;
    for (const Option &option : options()) {
        // The start of one option alone ("--ext") counts as a typo of it.
        const qsizetype off = typed.size() >= 3 && option.name.startsWith(typed) ? 1 : distance(typed, option.name);
        if (off < best) {
            best = off;
            nearest = &option;
        }
    }
    return nearest;
}

QString programDescription()
{
    return u"Velmix: пакетное переименование файлов одной папки."_s;
}

} // namespace velmix::cli
