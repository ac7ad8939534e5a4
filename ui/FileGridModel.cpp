#include "FileGridModel.h"

#include "preview/FileNameTable.h"
#include "text/VisibleText.h"

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QIcon>
#include <QStyle>

namespace velmix {

namespace {
constexpr int ColumnCount = 2;
const QString headers[ColumnCount] = {QStringLiteral("Оригинальные"), QStringLiteral("Переименованные")};
const QColor headerText(255, 0, 0);
// Light enough for black text: a row the apply will refuse, and a row that will hide its file.
const QColor refusedTint(255, 204, 204);
const QColor hiddenTint(255, 240, 190);
// A new name that keeps a field as typed.
const QColor fieldTint(210, 225, 255);
// The current name of a file dated only by its modification time, which a copy resets.
const QColor fileTimeText(110, 110, 110);

// Drawn once, the size of a row's text.
const QIcon &markSign(NameMark mark)
{
    static const QIcon warning = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    static const QIcon information = QApplication::style()->standardIcon(QStyle::SP_MessageBoxInformation);
    return mark == NameMark::Refused ? warning : information;
}
} // namespace

FileGridModel::FileGridModel(const FileNameTable &table, QObject *parent)
    : QAbstractTableModel(parent)
    , m_table(table)
{
}

int FileGridModel::rowCount(const QModelIndex &parent) const
{
    // An empty listing still shows one blank row, under a blank header.
    return parent.isValid() ? 0 : int(qMax<qsizetype>(m_table.fileCount(), 1));
}

int FileGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FileGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return withControlPictures(m_table.text(index.row(), index.column()));
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignBottom);
    case Qt::ToolTipRole: // where the row's date came from, the grid's tooltip adds it
        return m_table.dateNote(index.row());
    default:
        break;
    }
    if (index.column() == FileNameTable::CurrentName) {
        if (!m_table.datedByFileTime(index.row()))
            return {};
        switch (role) {
        case Qt::ForegroundRole: return fileTimeText;
        case Qt::FontRole: {
            QFont italic;
            italic.setItalic(true);
            return italic;
        }
        case Qt::AccessibleDescriptionRole: return m_table.dateNote(index.row());
        default: return {};
        }
    }
    const NameMark mark = index.column() == FileNameTable::NewName ? m_table.mark(index.row()) : NameMark::None;
    if (mark == NameMark::None)
        return {};
    switch (role) {
    case Qt::BackgroundRole:
        return mark == NameMark::Hidden ? hiddenTint : mark == NameMark::FieldAsTyped ? fieldTint : refusedTint;
    case Qt::DecorationRole:
        return markSign(mark);
    case Qt::AccessibleDescriptionRole:
        return m_table.markReason(index.row());
    default:
        return {};
    }
}

QVariant FileGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_table.holdsFiles() ? headers[section] : QString();
    case Qt::ForegroundRole:
        return headerText;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

void FileGridModel::tableAboutToReload()
{
    beginResetModel();
}

void FileGridModel::tableReloaded()
{
    endResetModel();
    countMarkedRows();
}

void FileGridModel::newNamesRebuilt()
{
    const int rows = rowCount();
    if (rows > 0)
        Q_EMIT dataChanged(index(0, FileNameTable::CurrentName), index(rows - 1, FileNameTable::NewName),
                           {Qt::DisplayRole, Qt::BackgroundRole, Qt::DecorationRole, Qt::AccessibleDescriptionRole,
                            Qt::ToolTipRole, Qt::ForegroundRole, Qt::FontRole});
    countMarkedRows();
}

void FileGridModel::countMarkedRows()
{
    int marked = 0;
    for (qsizetype row = 0; row < m_table.fileCount(); ++row)
        marked += m_table.mark(row) != NameMark::None;
    if (marked != m_markedRows) {
        m_markedRows = marked;
        Q_EMIT markedRowsChanged(marked);
    }
}

} // namespace velmix
