#include "FileNameTable.h"

namespace velmix {

const QString FileNameTable::CurrentHeader = QStringLiteral("Оригинальные");
const QString FileNameTable::NewHeader = QStringLiteral("Переименованные");

QStringView FileNameTable::cell(qsizetype row, int column) const
{
    if (!holdsFiles() || row < 0 || row > fileCount() || (column != CurrentName && column != NewName))
        return {};
    if (row == 0)
        return column == CurrentName ? QStringView(CurrentHeader) : QStringView(NewHeader);
    return column == CurrentName ? m_current.at(row - 1) : m_new.at(row - 1);
}

void FileNameTable::load(const NameColumn &listedNames)
{
    m_current = listedNames;
    m_new = listedNames;
}

} // namespace velmix
