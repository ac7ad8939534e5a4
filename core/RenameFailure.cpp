#include "RenameFailure.h"

namespace velmix {

QString reasonText(const RenameFailure &failure)
{
    switch (failure.reason) {
    case RenameReason::TargetExists: return QStringLiteral("файл с таким именем уже существует");
    case RenameReason::TakenByOtherRow: return QStringLiteral("это имя получает другой файл");
    case RenameReason::InvalidName: return QStringLiteral("недопустимое имя файла");
    case RenameReason::SourceMissing: return QStringLiteral("исходный файл не найден");
    case RenameReason::FileSystemError: return QStringLiteral("ошибка файловой системы, код %1").arg(failure.error);
    }
    return {};
}

} // namespace velmix
