#include "FileNameTable.h"

#include "RenameFailure.h"

namespace velmix {

QString markReason(NameMark mark)
{
    switch (mark) {
    case NameMark::None: return {};
    case NameMark::Hidden: return QStringLiteral("файл станет скрытым");
    case NameMark::TargetExists: return reasonText({0, RenameReason::TargetExists});
    case NameMark::TakenByOtherRow: return reasonText({0, RenameReason::TakenByOtherRow});
    case NameMark::InvalidName: return reasonText({0, RenameReason::InvalidName});
    }
    return {};
}

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
    m_spare.clear();
    m_marks.clear();
}

void FileNameTable::keepCurrentNames()
{
    if (!m_new.sharesStorageWith(m_current))
        std::swap(m_new, m_spare); // keeps the rewritten buffer for the next rebuild
    m_new = m_current;
}

NameColumn &FileNameTable::newNamesForEdit()
{
    if (m_new.sharesStorageWith(m_current)) {
        m_spare.beginRewrite(m_current.size(), m_current.totalLength());
        for (qsizetype i = 0; i < m_current.size(); ++i)
            m_spare.write({m_current.at(i)});
        m_spare.endRewrite();
        takeSpareAsNewNames();
    }
    return m_new;
}

} // namespace velmix
