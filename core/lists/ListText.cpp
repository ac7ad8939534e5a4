#include "lists/ListText.h"

#include "metadata/OldTagText.h"
#include "text/FileNameCodec.h"

#include <algorithm>

namespace velmix {
namespace {

// Valid UTF-8 decodes without a single escaped byte; an incomplete sequence at the end,
// which a stream decoder would wait on, counts as not UTF-8.
bool isUtf8(QByteArrayView bytes)
{
    const QString text = FileNameCodec::decode(bytes);
    return std::none_of(text.cbegin(), text.cend(), [](QChar c) { return FileNameCodec::isEscape(c.unicode()); });
}

} // namespace

QString listText(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    if (isUtf8(bytes))
        return QString::fromUtf8(bytes);
    QList<QByteArrayView> lines;
    for (qsizetype start = 0; start <= bytes.size();) {
        const qsizetype end = bytes.indexOf('\n', start);
        lines.append(bytes.sliced(start, (end < 0 ? bytes.size() : end) - start));
        start = end < 0 ? bytes.size() + 1 : end + 1;
    }
    QByteArray foreign; // the lines that are not UTF-8, which alone the guess reads
    for (QByteArrayView line : std::as_const(lines))
        if (!isUtf8(line))
            foreign.append(line).append('\n');
    const bool cp1251 = readsAsCp1251(foreign);
    QString text;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += u'\n';
        const QByteArrayView line = lines[i];
        text += isUtf8(line) ? QString::fromUtf8(line) : cp1251 ? oldTagText(line, OldTagText::Cp1251)
                                                                : FileNameCodec::decode(line);
    }
    return text;
}

QStringList listLines(QStringView text)
{
    if (text.startsWith(QChar(0xFEFF)))
        text = text.sliced(1);
    if (text.isEmpty())
        return {};
    if (text.endsWith(u'\n'))
        text.chop(1);
    QStringList lines;
    for (QStringView line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        lines.append(line.toString());
    }
    return lines;
}

} // namespace velmix
