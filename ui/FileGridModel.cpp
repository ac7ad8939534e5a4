#include "FileGridModel.h"

#include "FileNameTable.h"

#include <QColor>

namespace velmix {

namespace {
constexpr int ColumnCount = 2;
const QColor headerText(255, 0, 0);
} // namespace

FileGridModel::FileGridModel(const FileNameTable &table, QObject *parent)
    : QAbstractTableModel(parent)
    , m_table(table)
{
}

int FileGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_table.rowCount() - 1);
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
        return m_table.text(index.row() + 1, index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignBottom);
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
        return m_table.text(0, section);
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
}

void FileGridModel::newNamesRebuilt()
{
    const int rows = rowCount();
    if (rows > 0)
        Q_EMIT dataChanged(index(0, FileNameTable::NewName), index(rows - 1, FileNameTable::NewName),
                           {Qt::DisplayRole});
}

} // namespace velmix
