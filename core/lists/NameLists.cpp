#include "lists/NameLists.h"

#include "lists/ListText.h"
#include "preview/FileNameTable.h"
#include "preview/PreviewSession.h"
#include "text/TsvField.h"
#include "text/VisibleText.h"

#include <QFile>
#include <QSaveFile>

#include <cstdio>

namespace velmix::NameLists {

using namespace Qt::StringLiterals;

QString editorText(const FileNameTable &table)
{
    QString text;
    text.reserve(table.newNames().totalLength() + table.fileCount());
    for (qsizetype row = 0; row < table.fileCount(); ++row) {
        if (row > 0)
            text += u'\n';
        text += withControlPictures(table.newNames().at(row));
    }
    return text;
}

ListOutcome take(PreviewSession &preview, const NameList &list, ListPlace place)
{
    const FileNameTable &table = preview.table();
    RowPrefix prefixOf;
    if (table.tree())
        prefixOf = [&table](qsizetype row) { return table.folderPrefix(row); };
    ListOutcome outcome = checkList(list, table.currentNames(), table.newNames(), place, prefixOf);
    if (outcome.taken() && !outcome.changed.empty())
        preview.setHandNames(outcome.changed);
    return outcome;
}

NameList readText(const QString &text, const QString &fileName, FileKind kind)
{
    if (kind == FileKind::Names)
        return readNameLines(text);
    if (fileName.endsWith(u".csv"_s, Qt::CaseInsensitive))
        return readNameMap(text, MapFormat::Csv);
    const bool tab = QStringView(text).left(text.indexOf(u'\n')).contains(u'\t');
    if (kind == FileKind::Map)
        return readNameMap(text, tab || fileName.endsWith(u".tsv"_s, Qt::CaseInsensitive) ? MapFormat::Tsv : MapFormat::Csv);
    if (tab || fileName.endsWith(u".tsv"_s, Qt::CaseInsensitive))
        return readNameMap(text, MapFormat::Tsv);
    return readNameLines(text);
}

NameList readFile(const QString &path, FileKind kind)
{
    QFile file(path);
    const bool standardInput = path.isEmpty() || path == u"-";
    const bool opened = standardInput ? file.open(stdin, QIODevice::ReadOnly) : file.open(QIODevice::ReadOnly);
    QByteArray bytes;
    if (opened)
        bytes = file.readAll();
    if (!opened || file.error() != QFileDevice::NoError) {
        NameList unread;
        unread.problem = standardInput ? u"список не прочитать со стандартного ввода: %1"_s.arg(file.errorString())
                                       : u"файл «%1» не прочитать: %2"_s.arg(withControlPictures(path), file.errorString());
        return unread;
    }
    return readText(listText(bytes), standardInput ? QString() : path, kind);
}

QByteArray tableTsv(const FileNameTable &table)
{
    QByteArray bytes;
    for (qsizetype row = 0; row < table.fileCount(); ++row) {
        const QString reason = table.mark(row) != NameMark::None ? table.markReason(row) : QString();
        const QString folder = table.folderPrefix(row); // with subfolders, paths below the chosen folder
        bytes += tsvRow(ListedTree::withPrefix(folder, table.currentNames().at(row)),
                        ListedTree::withPrefix(folder, table.newNames().at(row)), reason);
    }
    return bytes;
}

QString writeTsv(const QString &path, const FileNameTable &table)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(tableTsv(table));
        if (file.commit())
            return {};
    }
    return u"Список не сохранён в «%1»: %2"_s.arg(withControlPictures(path), file.errorString());
}

} // namespace velmix::NameLists
