#include "marks/RenameFailure.h"

#include "text/VisibleText.h"

#include <cerrno>

namespace velmix {

// EPERM for a name the file system refuses is told apart before it gets here.
QString fileSystemErrorText(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("на диске нет места");
    case EROFS:
        return QStringLiteral("диск только для чтения");
    case EACCES:
    case EPERM:
        return QStringLiteral("нет прав на изменение папки");
    case ENOTCONN:
    case ENODEV:
    case ENXIO:
    case EIO:
    case ECONNABORTED:
    case ESHUTDOWN:
        return QStringLiteral("диск отключён или не отвечает");
    default:
        return QStringLiteral("ошибка файловой системы, код %1").arg(error);
    }
}

namespace {

QString reasonOnly(const RenameFailure &failure)
{
    switch (failure.reason) {
    case RenameReason::TargetExists: return QStringLiteral("файл с таким именем уже существует");
    case RenameReason::TakenByOtherRow: return QStringLiteral("это имя получает другой файл");
    case RenameReason::InvalidName: return QStringLiteral("недопустимое имя файла");
    case RenameReason::NotForWindows: return QStringLiteral("имя недопустимо в Windows");
    case RenameReason::UnsafeFolder:
        return QStringLiteral("в подпапках FAT16 драйвер fusefat может повредить файлы; подключите диск драйвером vfat");
    case RenameReason::PartnerStays: return QStringLiteral("связанный файл не переименован");
    case RenameReason::SourceMissing: return QStringLiteral("исходный файл не найден");
    case RenameReason::SourceLost: return QStringLiteral("файл утрачен при переименовании (ошибка файловой системы)");
    case RenameReason::FileSystemError: return fileSystemErrorText(failure.error);
    }
    return {};
}

} // namespace

QString reasonText(const RenameFailure &failure)
{
    const QString reason = reasonOnly(failure);
    if (failure.temporaryName.isEmpty())
        return reason;
    return reason + QStringLiteral("; файл остался под временным именем «") + withControlPictures(failure.temporaryName)
           + u'»';
}

} // namespace velmix
