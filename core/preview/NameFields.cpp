#include "preview/NameFields.h"

#include "preview/NameTransforms.h"
#include "preview/NamingOptions.h"

#include <QLocale>

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
            QStringLiteral("название"),    QStringLiteral("альбом"),   QStringLiteral("номер_трека")};
}

int NameFields::limitOf(QStringView baseName)
{
    const bool field = baseName.contains(u'{') && NameFields(baseName).needsMetadata();
    return field ? NamingOptions::FieldBaseNameLimit : NamingOptions::BaseNameLimit;
}

NameFields::NameFields(QStringView baseName)
{
    static const std::pair<QStringView, Kind> names[] = {
        {u"дата", Kind::Date},           {u"время", Kind::Time},      {u"год", Kind::Year},
        {u"месяц", Kind::Month},         {u"день", Kind::Day},        {u"исполнитель", Kind::Artist},
        {u"название", Kind::Title},      {u"альбом", Kind::Album},    {u"номер_трека", Kind::Track},
    };
    qsizetype at = 0;
    while (at < baseName.size()) {
        const qsizetype open = baseName.indexOf(u'{', at);
        const qsizetype close = open < 0 ? -1 : baseName.indexOf(u'}', open);
        if (close < 0) {
            m_parts.push_back({Kind::Text, baseName.mid(at).toString(), {}});
            break;
        }
        if (open > at)
            m_parts.push_back({Kind::Text, baseName.sliced(at, open - at).toString(), {}});
        m_holdsFields = true;
        const QStringView typed = baseName.sliced(open, close + 1 - open);
        const QStringView inner = typed.sliced(1, typed.size() - 2).trimmed();
        Part part{Kind::Unknown, {}, typed.toString()};
        for (const auto &[name, kind] : names) {
            if (inner.compare(name, Qt::CaseInsensitive) == 0)
                part.kind = kind;
        }
        const QStringView customPrefix = u"дата:";
        if (inner.startsWith(customPrefix, Qt::CaseInsensitive) && inner.size() > customPrefix.size())
            part = {Kind::DateFormat, inner.sliced(customPrefix.size()).toString(), typed.toString()};
        if (part.kind == Kind::Unknown && !m_unknown.contains(part.typed))
            m_unknown.append(part.typed);
        m_needsMetadata = m_needsMetadata || part.kind != Kind::Unknown;
        m_parts.push_back(std::move(part));
        at = close + 1;
    }
}

void NameFields::expand(const RowMetadata *row, QString &out) const
{
    const QLocale c = QLocale::c();
    for (const Part &part : m_parts) {
        if (part.kind == Kind::Text) {
            out.append(part.text);
            continue;
        }
        if (part.kind == Kind::Unknown || !row) {
            out.append(part.typed);
            continue;
        }
        const QDateTime &date = row->date;
        switch (part.kind) {
        case Kind::Date: appendNameSafe(out, c.toString(date, u"yyyy-MM-dd")); break;
        case Kind::Time: appendNameSafe(out, c.toString(date, u"HH-mm-ss")); break;
        case Kind::Year: appendNameSafe(out, c.toString(date, u"yyyy")); break;
        case Kind::Month: appendNameSafe(out, c.toString(date, u"MM")); break;
        case Kind::Day: appendNameSafe(out, c.toString(date, u"dd")); break;
        case Kind::DateFormat: appendNameSafe(out, c.toString(date, part.text)); break;
        case Kind::Artist: appendNameSafe(out, row->artist.trimmed()); break;
        case Kind::Title: appendNameSafe(out, row->title.trimmed()); break;
        case Kind::Album: appendNameSafe(out, row->album.trimmed()); break;
        case Kind::Track:
            if (row->track > 0)
                out.append(QString::number(row->track).rightJustified(2, u'0'));
            break;
        case Kind::Text:
        case Kind::Unknown: break;
        }
    }
}

void ApplyFieldBaseName(FileNameTable &table, const NameFields &fields, const ListingMetadata &metadata)
{
    const NameColumn &current = table.currentNames();
    NameColumn &fresh = table.spareColumn();
    std::vector<QString> stems(size_t(current.size()));
    qsizetype total = current.totalLength();
    for (qsizetype i = 0; i < current.size(); ++i) {
        fields.expand(metadata.atRow(i), stems[size_t(i)]);
        total += stems[size_t(i)].size();
    }
    fresh.beginRewrite(current.size(), total);
    for (qsizetype i = 0; i < current.size(); ++i) {
        const QStringView name = current.at(i);
        fresh.write({stems[size_t(i)], name.last(tailLength(name))});
    }
    fresh.endRewrite();
    table.takeSpareAsNewNames();
}

} // namespace velmix
