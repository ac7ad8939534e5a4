#include "lists/NameList.h"

#include "lists/ListText.h"
#include "text/TsvField.h"

#include <QStringList>

namespace velmix {
namespace {

using namespace Qt::StringLiterals;

QString tooFewColumns(qsizetype line)
{
    return u"строка %1: нужны два столбца — старое имя и новое"_s.arg(line);
}

NameList readTsv(QStringView text)
{
    NameList list{NameList::Kind::ByOldName, {}, {}};
    const QStringList lines = listLines(text);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            continue;
        const QList<QStringView> fields = QStringView(lines[i]).split(u'\t');
        if (fields.size() < 2) {
            list.problem = tooFewColumns(i + 1);
            return list;
        }
        list.entries.push_back({i + 1, tsvFieldText(fields[0]), tsvFieldText(fields[1])});
    }
    return list;
}

// RFC 4180: a field in quotes may hold the separator, a line break and a doubled quote;
// one without quotes is taken as it stands, a stray quote in it included.
class CsvReader
{
public:
    explicit CsvReader(QStringView text)
        : m_text(text)
    {
        if (m_text.startsWith(QChar(0xFEFF)))
            m_text = m_text.sliced(1);
        const QStringView first = m_text.left(m_text.indexOf(u'\n'));
        if (first.contains(u';') && !first.contains(u','))
            m_separator = u';';
    }

    NameList read()
    {
        NameList list{NameList::Kind::ByOldName, {}, {}};
        while (m_at < m_text.size()) {
            const qsizetype line = m_line;
            QStringList fields;
            if (!record(fields)) {
                list.problem = m_problem;
                return list;
            }
            if (fields.size() == 1 && fields[0].isEmpty())
                continue; // an empty line
            if (fields.size() < 2) {
                list.problem = tooFewColumns(line);
                return list;
            }
            list.entries.push_back({line, fields[0], fields[1]});
        }
        return list;
    }

private:
    // The fields up to the end of the record, the line break after it passed.
    bool record(QStringList &fields)
    {
        for (;;) {
            QString field;
            if (m_at < m_text.size() && m_text[m_at] == u'"') {
                if (!quoted(field))
                    return false;
            } else {
                while (m_at < m_text.size() && m_text[m_at] != m_separator && m_text[m_at] != u'\n')
                    field += m_text[m_at++];
                if (field.endsWith(u'\r'))
                    field.chop(1);
            }
            fields.append(field);
            if (m_at >= m_text.size())
                return true;
            if (m_text[m_at++] == u'\n') {
                ++m_line;
                return true;
            }
        }
    }

    bool quoted(QString &field)
    {
        const qsizetype opened = m_line;
        for (++m_at; m_at < m_text.size(); ++m_at) {
            const QChar c = m_text[m_at];
            if (c == u'"' && m_at + 1 < m_text.size() && m_text[m_at + 1] == u'"') {
                field += u'"';
                ++m_at;
            } else if (c == u'"') {
                ++m_at;
                if (m_at < m_text.size() && m_text[m_at] == u'\r')
                    ++m_at;
                if (m_at < m_text.size() && m_text[m_at] != m_separator && m_text[m_at] != u'\n') {
                    m_problem = u"строка %1: после закрывающей кавычки нет «%2»"_s.arg(m_line).arg(m_separator);
                    return false;
                }
                return true;
            } else {
                if (c == u'\n')
                    ++m_line;
                field += c;
            }
        }
        m_problem = u"строка %1: кавычка не закрыта"_s.arg(opened);
        return false;
    }

    QStringView m_text;
    QChar m_separator = u',';
    qsizetype m_at = 0;
    qsizetype m_line = 1;
    QString m_problem;
};

} // namespace

NameList readNameLines(QStringView text)
{
    NameList list;
    const QStringList lines = listLines(text);
    for (qsizetype i = 0; i < lines.size(); ++i)
        list.entries.push_back({i + 1, {}, lines[i]});
    return list;
}

NameList readNameMap(QStringView text, MapFormat format)
{
    return format == MapFormat::Tsv ? readTsv(text) : CsvReader(text).read();
}

} // namespace velmix
