#include "sets/RuleSetStore.h"

#include "preview/NameFields.h"
#include "program/ConfigFolder.h"
#include "program/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>

#include <algorithm>

namespace velmix {

using namespace Qt::StringLiterals;

const QString RuleSetStore::LastApplied = u"Последний применённый"_s;

namespace {

const QString Suffix = u".ini"_s;
constexpr int NameLimit = 100; // characters; a name's file stays well under 255 bytes

const QStringList Orders{u"name"_s, u"numbers"_s, u"date"_s, u"shown"_s, u"size"_s, u"mtime"_s, u"reverse-name"_s};
const QStringList Cases{u"none"_s, u"upper"_s, u"lower"_s, u"capital"_s};
const QStringList Spaces{u"none"_s, u"to-underscores"_s, u"to-spaces"_s};
const QStringList Titles{u"off"_s, u"keep"_s, u"lower"_s};
const QStringList Latins{u"off"_s, u"gost"_s, u"passport"_s, u"bgn"_s};
const QStringList Extensions{u"as-is"_s, u"lower"_s, u"upper"_s};
const QStringList ConflictRules{u"mark"_s, u"number"_s, u"pattern"_s, u"subsecond"_s};

// Reads the keys of one set, each checked; the first key missing or out of range makes the
// whole set damaged.
class Reader
{
public:
    explicit Reader(QSettings &settings) : m_settings(settings) {}
    [[nodiscard]] bool ok() const { return m_ok; }

    QString text(const char *key, qsizetype limit = -1)
    {
        const QVariant value = m_settings.value(QLatin1StringView(key));
        m_ok = m_ok && value.isValid() && (limit < 0 || value.toString().size() <= limit);
        return value.toString();
    }
    // A key later versions added: a set kept before them goes without it.
    bool laterFlag(const char *key)
    {
        return m_settings.contains(QLatin1StringView(key)) && flag(key);
    }
    bool flag(const char *key)
    {
        const QString value = text(key);
        m_ok = m_ok && (value == u"true" || value == u"false");
        return value == u"true";
    }
    int number(const char *key, int low, int high)
    {
        bool isNumber = false;
        const int value = text(key).toInt(&isNumber);
        m_ok = m_ok && isNumber && value >= low && value <= high;
        return value;
    }
    QString digits(const char *key, int limit)
    {
        static const QRegularExpression Digits(u"^[0-9]+$"_s);
        const QString value = text(key, limit);
        m_ok = m_ok && Digits.match(value).hasMatch();
        return value;
    }
    // A key later versions added: a set written before them takes the default.
    bool has(const char *key) const { return m_settings.contains(QLatin1StringView(key)); }
    int choice(const char *key, const QStringList &choices)
    {
        const int index = int(choices.indexOf(text(key)));
        m_ok = m_ok && index >= 0;
        return std::max(index, 0);
    }

private:
    QSettings &m_settings;
    bool m_ok = true;
};

RuleSet readKeys(QSettings &settings, bool &ok)
{
    Reader in(settings);
    RuleSet set;
    NamingOptions &o = set.options;
    o.BaseName = in.text("base", NamingOptions::FieldBaseNameLimit);
    ok = o.BaseName.size() <= NameFields::limitOf(o.BaseName); // a plain name keeps the shorter limit
    o.Numbering = in.flag("numbering");
    o.StartText = in.digits("start", NamingOptions::StartTextLimit);
    o.StepText = in.digits("step", 9);
    o.DigitWidthIndex = in.number("width", 1, NamingOptions::DigitWidthCount) - 1;
    o.Order = NumberingOrder(in.choice("order", Orders));
    const int letterCase = in.choice("case", Cases);
    o.UpperCase = letterCase == 1;
    o.LowerCase = letterCase == 2;
    o.FirstLetterCapital = letterCase == 3;
    const int spaces = in.choice("spaces", Spaces);
    o.SpacesToUnderscores = spaces == 1;
    o.UnderscoresToSpaces = spaces == 2;
    o.RestartPerFolder = in.laterFlag("restart_per_folder");
    o.RestartPerDay = in.laterFlag("restart_per_day");
    // Each shift as the command line takes it, "Canon EOS 80D=+01:00".
    const QStringList shifts = settings.value(u"date_shifts"_s).toStringList();
    for (const QString &shift : shifts)
        ok = ok && (shift.trimmed().isEmpty() || o.Shifts.take(shift).isEmpty()); // "date_shifts=" by hand: none
    NameRules &r = set.rules;
    r.findText = in.text("find");
    r.replaceText = in.text("replace");
    r.regularExpression = in.flag("regex");
    r.ignoreCase = in.flag("ignore_case");
    r.replaceScope = in.flag("with_extension") ? ReplaceScope::WholeName : ReplaceScope::NameBeforeExtension;
    r.position = in.number("cut_from", 0, 999);
    r.cutCount = in.number("cut", 0, 999);
    r.insertText = in.text("insert", NamingOptions::BaseNameLimit);
    r.positionFromEnd = in.flag("from_end");
    r.titleCase = TitleCase(in.choice("title_case", Titles));
    r.transliteration = Transliteration(in.choice("latin", Latins));
    r.extensionCase = ExtensionCase(in.choice("extension", Extensions));
    if (in.has("conflicts")) {
        r.conflicts.rule = ConflictRule(in.choice("conflicts", ConflictRules));
        r.conflicts.pattern = in.text("conflict_pattern", ConflictChoice::PatternLimit);
        ok = ok && (r.conflicts.rule != ConflictRule::Pattern || conflictPatternProblem(r.conflicts.pattern).isEmpty());
    }
    ok = ok && in.ok();
    return set;
}

void writeKeys(QSettings &out, const RuleSet &set)
{
    const NamingOptions &o = set.options;
    const NameRules &r = set.rules;
    const auto flag = [](bool on) { return on ? u"true"_s : u"false"_s; };
    out.setValue(u"version"_s, RuleSetStore::Version);
    out.setValue(u"base"_s, o.BaseName);
    out.setValue(u"numbering"_s, flag(o.Numbering));
    out.setValue(u"start"_s, o.StartText);
    out.setValue(u"step"_s, o.StepText);
    out.setValue(u"width"_s, o.DigitWidthIndex + 1);
    out.setValue(u"order"_s, Orders.value(int(o.Order)));
    out.setValue(u"case"_s, Cases[o.UpperCase ? 1 : o.LowerCase ? 2 : o.FirstLetterCapital ? 3 : 0]);
    out.setValue(u"spaces"_s, Spaces[o.SpacesToUnderscores ? 1 : o.UnderscoresToSpaces ? 2 : 0]);
    out.setValue(u"restart_per_folder"_s, flag(o.RestartPerFolder));
    out.setValue(u"restart_per_day"_s, flag(o.RestartPerDay));
    QStringList shifts;
    for (const DateShift &shift : o.Shifts.list())
        shifts.append(DateShifts::shiftText(shift));
    if (!shifts.isEmpty()) // none: no key, as in a set kept before shifts were
        out.setValue(u"date_shifts"_s, shifts);
    out.setValue(u"find"_s, r.findText);
    out.setValue(u"replace"_s, r.replaceText);
    out.setValue(u"regex"_s, flag(r.regularExpression));
    out.setValue(u"ignore_case"_s, flag(r.ignoreCase));
    out.setValue(u"with_extension"_s, flag(r.replaceScope == ReplaceScope::WholeName));
    out.setValue(u"cut_from"_s, r.position);
    out.setValue(u"cut"_s, r.cutCount);
    out.setValue(u"insert"_s, r.insertText);
    out.setValue(u"from_end"_s, flag(r.positionFromEnd));
    out.setValue(u"title_case"_s, Titles.value(int(r.titleCase)));
    out.setValue(u"latin"_s, Latins.value(int(r.transliteration)));
    out.setValue(u"extension"_s, Extensions.value(int(r.extensionCase)));
    out.setValue(u"conflicts"_s, ConflictRules.value(int(r.conflicts.rule)));
    out.setValue(u"conflict_pattern"_s, r.conflicts.pattern);
}

} // namespace

RuleSetStore::RuleSetStore(QString folder)
    : m_folder(std::move(folder))
{
}

QString RuleSetStore::defaultFolder()
{
    return configFolder() + u"/sets"_s;
}

QString RuleSetStore::pathOf(const QString &name) const
{
    return m_folder + u'/' + name + Suffix;
}

RuleSetStore::Listing RuleSetStore::list() const
{
    Listing listing;
    QStringList names;
    // Every entry so named, whatever it is: one that is not a regular file is told.
    for (const QString &file : QDir(m_folder).entryList({u"*"_s + Suffix}, QDir::Files | QDir::System)) {
        const QString name = file.chopped(Suffix.size());
        QString problem;
        if (!load(name, problem))
            listing.skipped.append(problem);
        else if (name != LastApplied)
            names.append(name);
        else
            listing.names.append(name);
    }
    std::sort(names.begin(), names.end(),
              [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    listing.names += names;
    return listing;
}

std::optional<RuleSet> RuleSetStore::load(const QString &name, QString &problem) const
{
    const QString path = pathOf(name);
    const SettingsFile file(path);
    if (!nameProblem(name).isEmpty() || file.found() == SettingsFile::Found::None) {
        problem = u"Набора «%1» нет"_s.arg(name);
        return std::nullopt;
    }
    if (file.found() == SettingsFile::Found::Other) {
        problem = u"Набор «%1» пропущен: %2"_s.arg(name, SettingsFile::notRegular(path));
        return std::nullopt;
    }
    QSettings &settings = *file.settings();
    bool isNumber = false;
    const int version = settings.value(u"version"_s).toInt(&isNumber);
    if (settings.status() == QSettings::NoError && isNumber && version > Version) {
        problem = u"Набор «%1» записан более новой версией Velmix и пропущен"_s.arg(name);
        return std::nullopt;
    }
    bool ok = false;
    const RuleSet set = readKeys(settings, ok);
    if (settings.status() != QSettings::NoError || !isNumber || version < 1 || !ok) {
        problem = u"Набор «%1» повреждён и пропущен"_s.arg(name);
        return std::nullopt;
    }
    return set;
}

QString RuleSetStore::nameProblem(const QString &name)
{
    if (name.trimmed().isEmpty())
        return u"У набора должно быть имя"_s;
    if (name.contains(u'/'))
        return u"В имени набора не может быть знака «/»"_s;
    if (std::any_of(name.begin(), name.end(), [](QChar c) { return c.category() == QChar::Other_Control; }))
        return u"В имени набора не может быть управляющих знаков"_s;
    if (name.startsWith(u'.'))
        return u"Имя набора не может начинаться с точки"_s;
    if (name.size() > NameLimit)
        return u"Имя набора длиннее %1 знаков"_s.arg(NameLimit);
    return {};
}

QString RuleSetStore::save(const QString &name, const RuleSet &set)
{
    if (name == LastApplied)
        return u"Имя «%1» занято: так называются настройки последнего применения"_s.arg(LastApplied);
    if (const QString problem = nameProblem(name); !problem.isEmpty())
        return problem;
    return write(name, set);
}

QString RuleSetStore::keepLastApplied(const RuleSet &set)
{
    return write(LastApplied, set);
}

QString RuleSetStore::write(const QString &name, const RuleSet &set)
{
    if (const QString problem = SettingsFile::write(pathOf(name), [&](QSettings &out) { writeKeys(out, set); });
        !problem.isEmpty())
        return u"Не удалось записать набор «%1»: %2"_s.arg(name, problem);
    return {};
}

QString RuleSetStore::remove(const QString &name)
{
    if (!nameProblem(name).isEmpty() || !QFile::remove(pathOf(name)))
        return u"Не удалось удалить набор «%1»"_s.arg(name);
    return {};
}

} // namespace velmix
