#include "apply/ApplyReport.h"

#include "text/CappedList.h"
#include "text/VisibleText.h"

#include <QStringList>

#include <algorithm>

namespace velmix::ApplyReport {
namespace {

const QString FirstLine = QStringLiteral("Произошла непредвиденная ошибка");
// When every row the report holds was marked in the grid before the apply: nothing
// unforeseen happened, each row's mark says why.
const QString MarkedFirstLine = QStringLiteral("Не переименованы файлы, отмеченные заранее");
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

QString failedRows(const std::vector<BatchReport::RefusedRow> &rows, const QString &folderPath)
{
    // A reason of the folder's own is given once.
    const RenameFailure &first = rows.front().failure;
    const bool folderTrouble = rows.size() > 1 && std::all_of(rows.begin(), rows.end(), [&](const BatchReport::RefusedRow &row) {
        const RenameFailure &f = row.failure;
        const bool folderWide = f.reason == RenameReason::FileSystemError || f.reason == RenameReason::UnsafeFolder;
        return folderWide && f.reason == first.reason && f.error == first.error && f.temporaryName.isEmpty();
    });
    const auto marked = std::count_if(rows.begin(), rows.end(), [](const BatchReport::RefusedRow &row) { return row.markedAhead; });
    QStringList lines{size_t(marked) == rows.size() ? MarkedFirstLine : FirstLine};
    lines += cappedList(qsizetype(rows.size()), [&](qsizetype i) {
        const BatchReport::RefusedRow &row = rows[size_t(i)];
        QStringList entry{SourceLabel + withControlPictures(folderPath + row.from),
                          TargetLabel + withControlPictures(folderPath + row.to)};
        if (!folderTrouble)
            entry << ReasonLabel + reasonText(row.failure);
        return entry;
    });
    if (folderTrouble)
        lines << ReasonLabel + reasonText(first);
    if (marked > 0)
        lines << QStringLiteral("Не переименовано файлов: %1, отмечены заранее: %2").arg(rows.size()).arg(marked);
    return lines.join(u'\n');
}

QString summary(WorkKind kind, qsizetype renamed, qsizetype meant)
{
    if (kind == WorkKind::Undoing)
        return QStringLiteral("Возвращено %1").arg(renamed);
    return QStringLiteral("Переименовано %1 из %2").arg(renamed).arg(meant);
}

} // namespace velmix::ApplyReport
