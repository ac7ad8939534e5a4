#include "apply/ApplyReport.h"

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

QString failedRows(const NameColumn &sources, const NameColumn &targets, const QString &folderPath,
                   const std::vector<RenameFailure> &failures, const std::vector<bool> &markedAhead)
{
    // A reason of the folder's own is given once.
    const bool folderTrouble = failures.size() > 1 && std::all_of(failures.begin(), failures.end(), [&](const RenameFailure &f) {
        const bool folderWide = f.reason == RenameReason::FileSystemError || f.reason == RenameReason::UnsafeFolder;
        return folderWide && f.reason == failures.front().reason && f.error == failures.front().error && f.temporaryName.isEmpty();
    });
    const auto marked = std::count_if(failures.begin(), failures.end(), [&](const RenameFailure &f) {
        return size_t(f.row) < markedAhead.size() && markedAhead[size_t(f.row)];
    });
    QStringList lines{size_t(marked) == failures.size() ? MarkedFirstLine : FirstLine};
    const size_t shown = qMin(failures.size(), size_t(ListedRowsLimit));
    for (size_t i = 0; i < shown; ++i) {
        const qsizetype row = failures[i].row;
        lines << SourceLabel + withControlPictures(folderPath + sources.at(row).toString())
              << TargetLabel + withControlPictures(folderPath + targets.at(row).toString());
        if (!folderTrouble)
            lines << ReasonLabel + reasonText(failures[i]);
    }
    if (failures.size() > shown)
        lines << QStringLiteral("… и ещё %1").arg(failures.size() - shown);
    if (folderTrouble)
        lines << ReasonLabel + reasonText(failures.front());
    if (marked > 0)
        lines << QStringLiteral("Не переименовано файлов: %1, отмечены заранее: %2").arg(failures.size()).arg(marked);
    return lines.join(u'\n');
}

QString tell(MessageBox &boxes, WorkKind kind, const QString &folder, const JournaledBatch &moves,
             const RenameOutcome &outcome, const std::vector<bool> &markedAhead)
{
    if (outcome.mediumGone)
        boxes.showMessage(Title, mediumGone(outcome.renamed));
    else if (outcome.notReached > 0)
        boxes.showMessage(CancelTitle, cancelled(outcome.renamed, outcome.notReached));
    if (!outcome.failures.empty()) {
        const QString folderPath = folder.endsWith(u'/') ? folder : folder + u'/';
        boxes.showMessage(Title, failedRows(moves.from, moves.to, folderPath, outcome.failures, markedAhead));
    }
    return summary(kind, outcome.renamed, outcome.renamed + qsizetype(outcome.failures.size()) + outcome.notReached);
}

QString summary(WorkKind kind, qsizetype renamed, qsizetype meant)
{
    if (kind == WorkKind::Undoing)
        return QStringLiteral("Возвращено %1").arg(renamed);
    return QStringLiteral("Переименовано %1 из %2").arg(renamed).arg(meant);
}

} // namespace velmix::ApplyReport
