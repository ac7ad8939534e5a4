#include "text/TsvField.h"

#include "text/FileNameCodec.h"

namespace velmix {

QByteArray tsvField(const QString &name)
{
    QByteArray bytes = FileNameCodec::encode(name).value_or(name.toUtf8());
    return bytes.replace('\\', "\\\\").replace('\t', "\\t").replace('\n', "\\n").replace('\r', "\\r");
}

QByteArray tsvRow(const QString &oldName, const QString &newName, const QString &reason)
{
    return tsvField(oldName) + '\t' + tsvField(newName) + '\t' + tsvField(reason) + '\n';
}

QString tsvFieldText(QStringView field)
{
    QString text;
    text.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QChar c = field[i];
        const QChar next = i + 1 < field.size() ? field[i + 1] : QChar();
        const QChar meant = next == u't' ? QChar(u'\t') : next == u'n' ? QChar(u'\n') : next == u'r' ? QChar(u'\r')
                            : next == u'\\' ? QChar(u'\\') : QChar();
        if (c == u'\\' && !meant.isNull()) {
            text.append(meant);
            ++i;
        } else {
            text.append(c);
        }
    }
    return text;
}

} // namespace velmix
