#include "posix/MountTable.h"

#include "text/FileNameCodec.h"

#include <QFile>

#include <sys/sysmacros.h>

namespace velmix {
namespace {

// The table escapes blanks, tabs, newlines and backslashes as \ooo.
QByteArray unescaped(const QByteArray &field)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                bytes.append(char(code));
                i += 3;
                continue;
            }
        }
        bytes.append(field[i]);
    }
    return bytes;
}

} // namespace

QList<Mount> readMountTable(const QString &path)
{
    QFile file(path);
    QList<Mount> mounts;
    if (!file.open(QIODevice::ReadOnly))
        return mounts;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype separator = fields.indexOf("-");
        if (fields.size() < 5 || separator < 0 || separator + 2 >= fields.size())
            continue;
        mounts.append({FileNameCodec::decode(unescaped(fields[4])), fields[2], fields[separator + 1],
                       unescaped(fields[separator + 2]), unescaped(fields[3])});
    }
    return mounts;
}

QByteArray deviceField(dev_t device)
{
    return QByteArray::number(major(device)) + ':' + QByteArray::number(minor(device));
}

} // namespace velmix
