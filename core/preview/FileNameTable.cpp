#include "preview/FileNameTable.h"

#include "marks/RenameFailure.h"
#include "preview/HandNames.h"

#include <QLocale>

#include <algorithm>

namespace velmix {

NameMark FileNameTable::mark(qsizetype row) const
{
    if (row < 0 || size_t(row) >= m_fates.size())
        return NameMark::None;
    const RowFate fate = m_fates[size_t(row)];
    if (refusalOf(fate) || (fate == RowFate::Moves && m_folderWriteError != 0))
        return NameMark::Refused;
    if (std::binary_search(m_boundedRows.begin(), m_boundedRows.end(), row) && !editedByHand(row))
        return NameMark::ExpressionBound;
    if (fate == RowFate::Moves && m_new.at(row).startsWith(u'.'))
        return NameMark::Hidden;
    if (fate == RowFate::Moves && std::binary_search(m_fixedRows.begin(), m_fixedRows.end(), qint32(row)))
        return NameMark::TakenNameFixed;
    const bool unread = m_fieldsNeedMetadata && m_dates && !m_dates->read(row);
    return fate == RowFate::Moves && (unread || !m_unknownFields.isEmpty()) ? NameMark::FieldAsTyped : NameMark::None;
}

std::vector<bool> FileNameTable::refusedRows() const
{
    std::vector<bool> refused(static_cast<size_t>(fileCount()));
    for (qsizetype row = 0; row < fileCount(); ++row)
        refused[size_t(row)] = mark(row) == NameMark::Refused;
    return refused;
}

QString FileNameTable::markReason(qsizetype row) const
{
    switch (mark(row)) {
    case NameMark::None: return {};
    case NameMark::Hidden: return QStringLiteral("файл станет скрытым");
    case NameMark::ExpressionBound: return QStringLiteral("выражение слишком сложное для этого имени");
    case NameMark::TakenNameFixed: return QStringLiteral("имя занято — добавлен номер");
    case NameMark::FieldAsTyped:
        return m_unknownFields.isEmpty() ? QStringLiteral("дата и теги файла не прочитаны, поля оставлены как набраны")
                                         : QStringLiteral("неизвестное поле: ") + m_unknownFields.join(QStringLiteral(", "));
    case NameMark::Refused: {
        const std::optional<RenameReason> refusal = refusalOf(m_fates[size_t(row)]);
        return reasonText(refusal ? RenameFailure{row, *refusal}
                                  : RenameFailure{row, RenameReason::FileSystemError, m_folderWriteError});
    }
    }
    return {};
}

QStringView FileNameTable::cell(qsizetype row, int column) const
{
    if (row < 0 || row >= fileCount() || (column != CurrentName && column != NewName))
        return {};
    return column == CurrentName ? m_current.at(row) : m_new.at(row);
}

void FileNameTable::setFields(const RowDates *dates, QStringList unknownFields, bool needMetadata, DatesUse datesUse)
{
    m_dates = dates;
    m_unknownFields = std::move(unknownFields);
    m_fieldsNeedMetadata = needMetadata;
    m_datesUse = dates ? datesUse : DatesUse::None;
}

bool FileNameTable::editedByHand(qsizetype row) const
{
    return m_handNames && m_handNames->contains(row);
}

bool FileNameTable::showsDate(qsizetype row) const
{
    const bool used = m_datesUse == DatesUse::Order || (m_datesUse == DatesUse::Fields && !editedByHand(row));
    return used && row >= 0 && row < fileCount();
}

QString FileNameTable::dateNote(qsizetype row) const
{
    return showsDate(row) ? m_dates->note(row) : QString();
}

QString FileNameTable::dateText(qsizetype row) const
{
    if (!showsDates() || row < 0 || row >= fileCount())
        return {};
    const QDateTime date = m_dates->date(row);
    return date.isValid() ? QLocale::c().toString(date, u"yyyy-MM-dd HH:mm:ss") : QString();
}

bool FileNameTable::datedByFileTime(qsizetype row) const
{
    return showsDate(row) && m_dates->byFileTime(row);
}

qsizetype FileNameTable::groupSize(qsizetype row) const
{
    if (groupLead(row) != row)
        return 0;
    qsizetype end = row + 1;
    while (size_t(end) < m_groupLeads.size() && m_groupLeads[size_t(end)] == quint32(row))
        ++end;
    return end - row;
}

void FileNameTable::load(const NameColumn &listedNames)
{
    m_boundedRows.clear();
    m_fixedRows.clear();
    m_groupLeads.clear();
    m_current = listedNames;
    m_new = listedNames;
    m_spare.clear();
    m_fates.clear();
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
