#include "preview/NameFields.h"

#include "preview/NamingOptions.h"
#include "text/FileExtension.h"

#include <QLocale>

#include <algorithm>

namespace velmix {
namespace {

// A tag or date turned into text a file name can hold on every medium: "/", "\" and ":"
// become "-", control characters go.
void appendNameSafe(QString &out, QStringView text)
{
    for (QChar c : text) {
        if (c == u'/' || c == u'\\' || c == u':')
            out.append(u'-');
        else if (c.category() != QChar::Other_Control)
            out.append(c);
    }
}

} // namespace

QStringList NameFields::names()
{
    return {QStringLiteral("дата"),        QStringLiteral("время"),    QStringLiteral("год"),
            QStringLiteral("месяц"),       QStringLiteral("день"),     QStringLiteral("исполнитель"),
            QStringLiteral("название"),    QStringLiteral("альбом"),   QStringLiteral("номер_трека"),
            QStringLiteral("камера"),      QStringLiteral("папка"),    QStringLiteral("n"),
            QStringLiteral("n:3")};
}

int NameFields::limitOf(QStringView text)
{
    const bool field = text.contains(u'{') && NameFields(text).holdsKnownField();
    return field ? NamingOptions::FieldBaseNameLimit : NamingOptions::BaseNameLimit;
}

NameFields::Part NameFields::field(QStringView typed)
{
    static const std::pair<QStringView, Kind> names[] = {
        {u"дата", Kind::Date},           {u"время", Kind::Time},      {u"год", Kind::Year},
        {u"месяц", Kind::Month},         {u"день", Kind::Day},        {u"исполнитель", Kind::Artist},
        {u"название", Kind::Title},      {u"альбом", Kind::Album},    {u"номер_трека", Kind::Track},
        {u"камера", Kind::Camera},       {u"папка", Kind::Folder},    {u"n", Kind::Number},
    };
    const QStringView inner = typed.sliced(1, typed.size() - 2).trimmed();
    Part part{Kind::Unknown, {}, typed.toString()};
    for (const auto &[name, kind] : names) {
        if (inner.compare(name, Qt::CaseInsensitive) == 0)
            part.kind = kind;
    }
    const QStringView customPrefix = u"дата:";
    if (inner.startsWith(customPrefix, Qt::CaseInsensitive) && inner.size() > customPrefix.size()) {
        part.kind = Kind::DateFormat;
        part.text = inner.sliced(customPrefix.size()).toString();
    }
    // One digit from 1 to 9; any other width is no field, kept as typed and marked.
    if (const qsizetype colon = inner.indexOf(u':');
        colon > 0 && inner.first(colon).trimmed().compare(u"n", Qt::CaseInsensitive) == 0) {
        const QStringView width = inner.sliced(colon + 1).trimmed();
        if (width.size() == 1 && width[0] >= u'1' && width[0] <= u'9') {
            part.kind = Kind::Number;
            part.width = width[0].unicode() - u'0';
        }
    }
    return part;
}

NameFields::NameFields(QStringView text)
{
    bool tagsAlone = true;
    const auto addText = [&](QStringView literal) {
        tagsAlone = tagsAlone && std::none_of(literal.begin(), literal.end(), [](QChar c) { return c.isLetterOrNumber(); });
        m_parts.push_back({Kind::Text, literal.toString(), {}});
    };
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype open = text.indexOf(u'{', at);
        const qsizetype close = open < 0 ? -1 : text.indexOf(u'}', open);
        if (close < 0) {
            addText(text.mid(at));
            break;
        }
        if (open > at)
            addText(text.sliced(at, open - at));
        m_holdsFields = true;
        Part part = field(text.sliced(open, close + 1 - open));
        if (part.kind == Kind::Unknown && !m_unknown.contains(part.typed))
            m_unknown.append(part.typed);
        m_placesNumber = m_placesNumber || part.kind == Kind::Number;
        m_placesFolder = m_placesFolder || part.kind == Kind::Folder;
        m_needsMetadata = m_needsMetadata || part.kind > Kind::Folder;
        m_usesDate = m_usesDate || (part.kind >= Kind::Date && part.kind <= Kind::DateFormat);
        tagsAlone = tagsAlone
                    && (part.kind == Kind::Artist || part.kind == Kind::Title || part.kind == Kind::Album
                        || part.kind == Kind::Track);
        m_parts.push_back(std::move(part));
        at = close + 1;
    }
    m_tagsAlone = m_holdsFields && tagsAlone;
}

void NameFields::expand(const ListingMetadata &listing, qsizetype row, const RunningNumber &number, QString &out) const
{
    const RowMetadata *metadata = m_needsMetadata ? listing.atRow(row) : nullptr;
    const QLocale c = QLocale::c();
    for (const Part &part : m_parts) {
        if (part.kind == Kind::Text) {
            out.append(part.text);
            continue;
        }
        if (part.kind == Kind::Number) {
            char16_t digits[NumberTextCapacity];
            const int length = number.write(row, part.width > 0 ? part.width : number.width(), digits);
            out.append(reinterpret_cast<const QChar *>(digits), length);
            continue;
        }
        if (part.kind == Kind::Folder) {
            appendNameSafe(out, listing.folderNameAtRow(row));
            continue;
        }
        if (part.kind == Kind::Unknown || !metadata) {
            out.append(part.typed);
            continue;
        }
        const QDateTime &date = metadata->date;
        switch (part.kind) {
        case Kind::Date: appendNameSafe(out, c.toString(date, u"yyyy-MM-dd")); break;
        case Kind::Time: appendNameSafe(out, c.toString(date, u"HH-mm-ss")); break;
        case Kind::Year: appendNameSafe(out, c.toString(date, u"yyyy")); break;
        case Kind::Month: appendNameSafe(out, c.toString(date, u"MM")); break;
        case Kind::Day: appendNameSafe(out, c.toString(date, u"dd")); break;
        case Kind::DateFormat: appendNameSafe(out, c.toString(date, part.text)); break;
        case Kind::Artist: appendNameSafe(out, metadata->artist.trimmed()); break;
        case Kind::Title: appendNameSafe(out, metadata->title.trimmed()); break;
        case Kind::Album: appendNameSafe(out, metadata->album.trimmed()); break;
        case Kind::Track:
            if (metadata->track > 0)
                out.append(QString::number(metadata->track).rightJustified(2, u'0'));
            break;
        case Kind::Camera: appendNameSafe(out, metadata->camera); break;
        case Kind::Text:
        case Kind::Unknown:
        case Kind::Number:
        case Kind::Folder: break;
        }
    }
}

bool typingTicksNumbering(QStringView baseName)
{
    return !keepsOwnNames(baseName) && !(baseName.contains(u'{') && NameFields(baseName).tagsAlone());
}

void ApplyFieldBaseName(FileNameTable &table, const NameFields &fields, const ListingMetadata &metadata,
                        const RunningNumber &number)
{
    const NameColumn &current = table.currentNames();
    NameColumn &fresh = table.spareColumn();
    // Each name is made in one buffer kept from row to row; the column grows as it needs.
    QString name;
    fresh.beginRewrite(current.size(), current.totalLength() + current.size() * 16);
    for (qsizetype i = 0; i < current.size(); ++i) {
        const QStringView was = current.at(i);
        name.resize(0);
        fields.expand(metadata, i, number, name);
        name.append(was.last(table.extensionLengthAt(i, was)));
        fresh.writeGrowing(name);
    }
    fresh.endRewrite();
    table.takeSpareAsNewNames();
}

} // namespace velmix
