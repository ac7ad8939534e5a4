#include "FileGridModel.h"

#include "preview/FileNameTable.h"
#include "text/NameDifference.h"
#include "text/VisibleText.h"

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

namespace velmix {

namespace {
constexpr int ColumnCount = 3; // the last shown only while dates are used
const QString headers[ColumnCount] = {QStringLiteral("Оригинальные"), QStringLiteral("Переименованные"),
                                      QStringLiteral("Дата съёмки")};
const QColor headerText(255, 0, 0);
// Light enough for black text: a row the apply will refuse, and a row that will hide its file.
const QColor refusedTint(255, 204, 204);
const QColor hiddenTint(255, 240, 190);
// A new name that keeps a field as typed, or that the expression did not finish.
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

// A small pencil, drawn rather than shipped, sharp at any scale of the screen.
const QIcon &pencilSign()
{
    static const QIcon pencil = [] {
        QIcon icon;
        for (const int side : {16, 32}) {
            QPixmap picture(side, side);
            picture.fill(Qt::transparent);
            QPainter painter(&picture);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.scale(side / 16.0, side / 16.0);
            painter.translate(8, 8);
            painter.rotate(45);
            painter.setPen(QPen(QColor(60, 60, 60), 0.8));
            painter.setBrush(QColor(240, 180, 40));
            painter.drawRect(QRectF(-2, -7, 4, 10)); // the body
            painter.setBrush(QColor(230, 205, 160));
            painter.drawPolygon(QPolygonF({QPointF(-2, 3), QPointF(2, 3), QPointF(0, 7)})); // the point
            icon.addPixmap(picture);
        }
        return icon;
    }();
    return pencil;
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
    return parent.isValid() ? 0 : m_dateColumn ? ColumnCount : ColumnCount - 1;
}

QVariant FileGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == NoteRole) {
        if (index.column() != FileNameTable::NewName)
            return data(index, Qt::AccessibleDescriptionRole);
        const QString says = describe(index.row(), {});
        return says.isEmpty() ? QVariant() : says;
    }
    if (index.column() == FileNameTable::DateTaken) {
        switch (role) {
        case Qt::DisplayRole: return m_table.dateText(index.row());
        case Qt::TextAlignmentRole: return QVariant::fromValue(Qt::AlignLeft | Qt::AlignBottom);
        case Qt::ToolTipRole:
        case Qt::AccessibleDescriptionRole: return m_table.dateNote(index.row());
        default: return {};
        }
    }
    switch (role) {
    case Qt::DisplayRole: {
        // With subfolders, a file's folder below the chosen one stands before its name; a
        // folder's row ends in "/" as a path to a folder does; a file that goes with the
        // row above stands indented under it.
        const QString name = withControlPictures(m_table.text(index.row(), index.column()))
                             + (m_table.isFolderRow(index.row()) ? QStringLiteral("/") : QString());
        if (index.column() == FileNameTable::CurrentName)
            return (m_table.groupLead(index.row()) != index.row() ? GroupIndent : QString())
                   + m_table.folderPrefix(index.row()) + name;
        return name;
    }
    case Qt::EditRole: // the name itself, without pictures of its control characters
        return m_table.text(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignBottom);
    case Qt::ToolTipRole: // where the row's date came from, the grid's tooltip adds it
        return m_table.dateNote(index.row());
    default:
        break;
    }
    if (index.column() == FileNameTable::CurrentName) {
        if (role == Qt::AccessibleDescriptionRole) {
            QStringList says{groupNote(index.row())};
            if (m_table.datedByFileTime(index.row()))
                says.append(m_table.dateNote(index.row()));
            says.removeAll(QString());
            return says.isEmpty() ? QVariant() : says.join(QStringLiteral("; "));
        }
        if (!m_table.datedByFileTime(index.row()))
            return {};
        switch (role) {
        case Qt::ForegroundRole: return fileTimeText;
        case Qt::FontRole: {
            QFont italic;
            italic.setItalic(true);
            return italic;
        }
        default: return {};
        }
    }
    if (role == ChangedRunsRole || role == Qt::AccessibleDescriptionRole) {
        const QStringView oldName = m_table.cell(index.row(), FileNameTable::CurrentName);
        const QStringView newName = m_table.cell(index.row(), FileNameTable::NewName);
        const NameDifference difference = differenceOf(oldName, newName);
        if (role == Qt::AccessibleDescriptionRole) {
            const QString says = describe(index.row(), describeChange(oldName, newName, difference));
            return says.isEmpty() ? QVariant() : says;
        }
        QList<int> runs;
        for (const TextRun &run : difference.added)
            runs << int(run.start) << int(run.length);
        return runs.isEmpty() ? QVariant() : QVariant::fromValue(runs);
    }
    const NameMark mark = m_table.mark(index.row());
    const bool byHand = m_table.editedByHand(index.row());
    if (mark == NameMark::None && !byHand)
        return {};
    switch (role) {
    case Qt::BackgroundRole:
        if (mark == NameMark::None)
            return {};
        return mark == NameMark::Hidden ? hiddenTint : mark == NameMark::Refused ? refusedTint : fieldTint;
    case Qt::DecorationRole:
        return mark == NameMark::None ? pencilSign() : markSign(mark);
    default:
        return {};
    }
}

QString FileGridModel::groupNote(int row) const
{
    const qsizetype lead = m_table.groupLead(row);
    if (lead != row)
        return QStringLiteral("связан с файлом «%1», переименуется вместе с ним")
            .arg(withControlPictures(m_table.text(lead, FileNameTable::CurrentName)));
    const qsizetype size = m_table.groupSize(row);
    return size > 1 ? QStringLiteral("связанных файлов вместе с ним: %1").arg(size - 1) : QString();
}

QString FileGridModel::describe(int row, const QString &change) const
{
    QStringList says;
    if (m_table.mark(row) != NameMark::None)
        says.append(m_table.markReason(row));
    if (m_table.editedByHand(row))
        says.append(HandEditedText);
    if (!change.isEmpty())
        says.append(change);
    return says.join(QStringLiteral("; "));
}

Qt::ItemFlags FileGridModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && m_table.holdsFiles())
        flags |= Qt::ItemIsDragEnabled; // rows are moved by hand; the grid takes the drop itself
    const bool editable = index.isValid() && index.column() == FileNameTable::NewName && m_table.holdsFiles();
    return editable ? flags | Qt::ItemIsEditable : flags;
}

bool FileGridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const QString name = value.toString();
    if (name == m_table.cell(index.row(), FileNameTable::NewName))
        return false; // Enter on an unchanged name keeps the row as the options make it
    Q_EMIT newNameTyped(index.row(), name);
    return true;
}

QVariant FileGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
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
    m_dateColumn = m_table.showsDates();
    endResetModel();
    countMarkedRows();
}

void FileGridModel::followDates()
{
    if (m_table.showsDates() == m_dateColumn)
        return;
    const int date = FileNameTable::DateTaken;
    if (m_dateColumn)
        beginRemoveColumns({}, date, date);
    else
        beginInsertColumns({}, date, date);
    m_dateColumn = !m_dateColumn;
    if (m_dateColumn)
        endInsertColumns();
    else
        endRemoveColumns();
}

void FileGridModel::newNamesRebuilt()
{
    followDates();
    const int rows = rowCount();
    if (rows > 0)
        Q_EMIT dataChanged(index(0, FileNameTable::CurrentName), index(rows - 1, columnCount() - 1),
                           {Qt::DisplayRole, Qt::BackgroundRole, Qt::DecorationRole, Qt::AccessibleDescriptionRole,
                            Qt::ToolTipRole, Qt::ForegroundRole, Qt::FontRole, ChangedRunsRole});
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
