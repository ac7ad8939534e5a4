#include "journal/JournalReport.h"

#include "marks/RenameFailure.h"
#include "text/CappedList.h"
#include "text/VisibleText.h"

namespace velmix::JournalReport {

QString setAside(const QString &path, Trouble trouble, const QString &aside, const QString &folder)
{
    QString what;
    switch (trouble) {
    case Trouble::Unreadable:
        what = QStringLiteral("не читается");
        break;
    case Trouble::Truncated:
        what = QStringLiteral("оборван до первого переименования (файлы не тронуты)");
        break;
    case Trouble::Damaged:
        what = QStringLiteral("повреждён");
        break;
    case Trouble::Newer:
        what = QStringLiteral("записан более новой версией Velmix");
        break;
    }
    const QString done = aside.isEmpty() ? QStringLiteral("он не учитывается")
                                         : QStringLiteral("отложен как «%1»").arg(withControlPictures(aside));
    const QString of = folder.isEmpty() ? QString() : QStringLiteral(" (папка «%1»)").arg(withControlPictures(folder));
    return QStringLiteral("Журнал «%1»%2 %3, %4.").arg(withControlPictures(path), of, what, done);
}

QString repairQuestion(bool undo, const QString &folder, qsizetype moved, qsizetype notMoved, qsizetype missing)
{
    QString text = undo ? QStringLiteral("Возврат прежних имён в папке «%1» был прерван.\n"
                                         "Возвращено файлов: %2, не возвращено: %3.")
                        : QStringLiteral("Переименование в папке «%1» было прервано.\n"
                                         "Переименовано файлов: %2, не переименовано: %3.");
    text = text.arg(withControlPictures(folder)).arg(moved).arg(notMoved);
    if (missing > 0)
        text += QStringLiteral("\nНе найдено файлов: %1.").arg(missing);
    return text + (undo ? QStringLiteral("\n«Да» — завершить возврат, «Нет» — оставить файлам новые имена.")
                        : QStringLiteral("\n«Да» — завершить переименование, «Нет» — вернуть всем файлам прежние имена."));
}

QString repaired(bool namesBack, qsizetype files)
{
    return namesBack ? QStringLiteral("Возвращено %1").arg(files)
                     : QStringLiteral("Завершено переименование: %1 файлов").arg(files);
}

QString folderUnreachable(const QString &folder)
{
    return QStringLiteral("Папка «%1» недоступна: прерванное переименование в ней будет исправлено при следующем "
                          "запуске, когда она появится.")
        .arg(withControlPictures(folder));
}

QString temporaryNamesLeft(const QString &folder, const QStringList &names)
{
    QStringList lines{QStringLiteral("В папке «%1» есть временные имена Velmix; их прежние имена неизвестны, "
                                     "файлы оставлены как есть:")
                          .arg(withControlPictures(folder))};
    lines += cappedList(names.size(), [&](qsizetype i) { return QStringList{withControlPictures(names[i])}; });
    return lines.join(u'\n');
}

QString repairOff(const QString &stateFolder, int error)
{
    return QStringLiteral("Журнал не записать в «%1» (%2): восстановление после сбоя отключено.")
        .arg(withControlPictures(stateFolder), fileSystemErrorText(error));
}

QString changedSinceApply(const QStringList &paths)
{
    QStringList lines{QStringLiteral("Изменены после переименования и оставлены как есть:")};
    lines += cappedList(paths.size(), [&](qsizetype i) { return QStringList{withControlPictures(paths[i])}; });
    return lines.join(u'\n');
}

QString keptForUndo(qsizetype files)
{
    return QStringLiteral("Не возвращено файлов: %1. Их прежние имена сохранены: Ctrl+Z (или velmix --undo) "
                          "вернёт их, когда это станет возможно.")
        .arg(files);
}

} // namespace velmix::JournalReport
