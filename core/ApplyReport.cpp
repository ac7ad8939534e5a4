#include "ApplyReport.h"

#include "VisibleText.h"

#include <QStringList>

namespace velmix::ApplyReport {
namespace {

const QString FirstLine = QStringLiteral("Произошла непредвиденная ошибка");
const QString SourceLabel = QStringLiteral("Исходный файл: ");
const QString TargetLabel = QStringLiteral("Результирующий файл: ");
const QString ReasonLabel = QStringLiteral("Причина: ");

} // namespace

QString folderUnavailable(const QString &folderPath)
{
    return FirstLine + u'\n' + folderGone(folderPath);
}

QString folderGone(const QString &folderPath)
{
    return QStringLiteral("Папка недоступна: «%1»").arg(withControlPictures(folderPath));
}

QString cancelled(qsizetype renamed, qsizetype unchanged)
{
    return QStringLiteral("Переименование прервано. Переименовано файлов: %1, осталось без изменений: %2.")
        .arg(renamed)
        .arg(unchanged);
}

QString mediumGone(qsizetype renamed)
{
    return QStringLiteral("Диск отключён или не отвечает: переименовано файлов: %1, остальные файлы не тронуты.").arg(renamed);
}

QString failedRows(const NameColumn &sources, const NameColumn &targets, const QString &folderPath,
                   const std::vector<RenameFailure> &failures)
{
    QStringList lines{FirstLine};
    const size_t shown = qMin(failures.size(), size_t(ListedRowsLimit));
    for (size_t i = 0; i < shown; ++i) {
        const qsizetype row = failures[i].row;
        lines << SourceLabel + withControlPictures(folderPath + sources.at(row).toString())
              << TargetLabel + withControlPictures(folderPath + targets.at(row).toString())
              << ReasonLabel + reasonText(failures[i]);
    }
    if (failures.size() > shown)
        lines << QStringLiteral("… и ещё %1").arg(failures.size() - shown);
    return lines.join(u'\n');
}

} // namespace velmix::ApplyReport
