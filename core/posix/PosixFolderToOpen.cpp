#include "listing/FolderToOpen.h"

#include "text/FileNameCodec.h"

#include <QDir>

#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

namespace velmix {
namespace {

QString reason(int error)
{
    switch (error) {
    case ENOENT: return QStringLiteral("нет такого файла или папки");
    case ENOTDIR: return QStringLiteral("часть пути — не папка");
    case EACCES:
    case EPERM: return QStringLiteral("нет прав на чтение");
    default: return QStringLiteral("ошибка файловой системы, код %1").arg(error);
    }
}

FolderToOpen refused(const QString &path, int error)
{
    return {{}, QStringLiteral("«%1» не открыть: %2").arg(path, reason(error))};
}

} // namespace

FolderToOpen folderToOpen(const QString &path, const QString &workingFolder)
{
    if (path.isEmpty())
        return refused(path, ENOENT);
    const QString absolute = QDir::cleanPath(path.startsWith(u'/') ? path : workingFolder + u'/' + path);
    const std::optional<QByteArray> bytes = FileNameCodec::encode(absolute);
    struct stat info;
    if (!bytes)
        return refused(path, EINVAL);
    if (::stat(bytes->constData(), &info) != 0)
        return refused(path, errno);
    QByteArray folderBytes = *bytes;
    if (!S_ISDIR(info.st_mode))
        folderBytes.truncate(qMax(qsizetype(1), folderBytes.lastIndexOf('/')));
    DIR *dir = ::opendir(folderBytes.constData());
    if (!dir)
        return refused(path, errno);
    ::closedir(dir);
    return {FileNameCodec::decode(folderBytes), {}};
}

} // namespace velmix
