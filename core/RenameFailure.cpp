#include "RenameFailure.h"

namespace velmix {
namespace {

QString reasonOnly(const RenameFailure &failure)
{
    switch (failure.reason) {
    case RenameReason::TargetExists: return QStringLiteral("файл с таким именем уже существует");
    case RenameReason::TakenByOtherRow: return QStringLiteral("это имя получает другой файл");
    case RenameReason::InvalidName: return QStringLiteral("недопустимое имя файла");
    case RenameReason::NotForWindows: return QStringLiteral("имя недопустимо в Windows");
    case RenameReason::SourceMissing: return QStringLiteral("исходный файл не найден");
    case RenameReason::SourceLost: return QStringLiteral("файл утрачен при переименовании (ошибка файловой системы)");
    case RenameReason::FileSystemError: return QStringLiteral("ошибка файловой системы, код %1").arg(failure.error);
    }
    return {};
}

} // namespace

QString reasonText(const RenameFailure &failure)
{
    const QString reason = reasonOnly(failure);
    if (failure.temporaryName.isEmpty())
        return reason;
    return reason + QStringLiteral("; файл остался под временным именем «") + failure.temporaryName + u'»';
}

} // namespace velmix
