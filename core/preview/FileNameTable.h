#pragma once

#include "listing/ListedTree.h"
#include "marks/NameConflicts.h"
#include "text/FileExtension.h"
#include "text/NameColumn.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace velmix {

class HandNames;

// How a row's new name is marked in the grid before apply: not at all, as a name that
// will hide the file, as one the apply will refuse, as one that keeps a field in braces
// as typed, as one the expression was too complex to finish on, or as one given a free
// name in place of a taken one.
enum class NameMark : quint8 { None, Hidden, Refused, FieldAsTyped, ExpressionBound, TakenNameFixed };

// What the files' own dates and tags say of a row, for its mark and its date's note.
class RowDates
{
public:
    virtual ~RowDates() = default;
    // Whether the row's file was read.
    [[nodiscard]] virtual bool read(qsizetype row) const = 0;
    // Where the row's date came from, in words; empty for a row not read.
    [[nodiscard]] virtual QString note(qsizetype row) const = 0;
    // Whether the row's date came from its file's modification time alone.
    [[nodiscard]] virtual bool byFileTime(qsizetype row) const = 0;
    // The row's date as the names take it (its camera's shift applied); invalid where none.
    [[nodiscard]] virtual QDateTime date(qsizetype row) const = 0;
};

// The table the grid shows: one row per listed file, column 0 the current name and
// column 1 the new name; while dates are used, column 2 the date taken.
class FileNameTable
{
public:
    enum Column { CurrentName = 0, NewName = 1, DateTaken = 2 };

    [[nodiscard]] qsizetype fileCount() const { return m_current.size(); }
    [[nodiscard]] bool holdsFiles() const { return !m_current.isEmpty(); }

    // The cell's text; blank past the files.
    [[nodiscard]] QStringView cell(qsizetype row, int column) const;
    [[nodiscard]] QString text(qsizetype row, int column) const
    {
        return column == DateTaken ? dateText(row) : cell(row, column).toString();
    }

    // The new-name cell's mark in a row, and its reason as the apply's box words it;
    // none past the files.
    [[nodiscard]] NameMark mark(qsizetype row) const;
    [[nodiscard]] QString markReason(qsizetype row) const;
    // What the apply will make of the row's new name, as last judged.
    [[nodiscard]] RowFate fate(qsizetype row) const
    {
        return size_t(row) < m_fates.size() ? m_fates[size_t(row)] : RowFate::Stays;
    }
    // Per row, whether the apply is known to refuse its new name.
    [[nodiscard]] std::vector<bool> refusedRows() const;
    // What the apply will make of each row's new name, as last judged.
    void setFates(const std::vector<RowFate> &fates) { m_fates = fates; }
    // Why no file of the folder can be renamed (an error number), or 0: every row that
    // would move is marked with it; the apply still tries them.
    void setFolderWriteError(int error) { m_folderWriteError = error; }

    // While the new names or the order use the files' dates and tags: those (else null),
    // the typed fields no field is named so, whether the fields need the files' own
    // metadata (a row not read then keeps them as typed), and what takes the dates: each
    // row then tells where its date came from (a row named by hand only in the order).
    enum class DatesUse : quint8 { None, Fields, Order };
    void setFields(const RowDates *dates, QStringList unknownFields, bool needMetadata, DatesUse datesUse);
    // The names the user typed into the grid; whether the row's new name is one of them.
    void setHandNames(const HandNames *names) { m_handNames = names; }
    [[nodiscard]] bool editedByHand(qsizetype row) const;
    // The rows, in increasing order, whose names the expression did not finish.
    void setBoundedRows(std::vector<qsizetype> rows) { m_boundedRows = std::move(rows); }
    // The rows, in increasing order, whose taken new names were given free ones.
    void setFixedRows(std::vector<qint32> rows) { m_fixedRows = std::move(rows); }

    // Where the row's date came from, in words; empty while no date is used.
    [[nodiscard]] QString dateNote(qsizetype row) const;
    // Whether the names or the order use the files' dates, which the grid then shows in a
    // column of their own; each row's date ("yyyy-MM-dd HH:mm:ss", empty where none).
    [[nodiscard]] bool showsDates() const { return m_datesUse != DatesUse::None; }
    [[nodiscard]] QString dateText(qsizetype row) const;
    // Whether the row's date came from its file's modification time alone.
    [[nodiscard]] bool datedByFileTime(qsizetype row) const;

    // With subfolders: the folders, and per row the index of its file's folder (the rows'
    // order). Without, null and empty: every file is in the chosen folder.
    void setFolders(std::shared_ptr<const ListedTree> tree, std::vector<quint32> folderOfRow)
    {
        m_tree = std::move(tree);
        m_folderOfRow = std::move(folderOfRow);
    }
    [[nodiscard]] const std::shared_ptr<const ListedTree> &tree() const { return m_tree; }
    [[nodiscard]] const std::vector<quint32> &folderOfRow() const { return m_folderOfRow; }
    // The row's folder below the chosen one ("" for the chosen folder itself), and the
    // same with a trailing "/" before a name.
    [[nodiscard]] QString folderText(qsizetype row) const
    {
        return m_tree && size_t(row) < m_folderOfRow.size() ? m_tree->folders[m_folderOfRow[size_t(row)]] : QString();
    }
    [[nodiscard]] QString folderPrefix(qsizetype row) const
    {
        return m_tree && size_t(row) < m_folderOfRow.size() ? m_tree->prefix(m_folderOfRow[size_t(row)]) : QString();
    }

    // Where folders are rows: per row, whether it is a folder (the rows' order); empty
    // where they are not. A folder's name has no extension: the steps take it whole.
    void setFolderRows(std::vector<bool> rows) { m_folderRows = std::move(rows); }
    [[nodiscard]] const std::vector<bool> &folderRows() const { return m_folderRows; }
    [[nodiscard]] bool isFolderRow(qsizetype row) const
    {
        return size_t(row) < m_folderRows.size() && m_folderRows[size_t(row)];
    }
    // The row's name's extension with its dot, in characters; 0 for a folder's.
    [[nodiscard]] qsizetype extensionLengthAt(qsizetype row, QStringView name) const
    {
        return isFolderRow(row) ? 0 : extensionLength(name);
    }
    // Files that go together: per row the row of its group's first file (the row itself
    // for a file of its own), a group's rows standing together; empty where none do.
    void setGroupLeads(std::vector<quint32> leads) { m_groupLeads = std::move(leads); }
    [[nodiscard]] const std::vector<quint32> &groupLeads() const { return m_groupLeads; }
    [[nodiscard]] qsizetype groupLead(qsizetype row) const
    {
        return size_t(row) < m_groupLeads.size() ? qsizetype(m_groupLeads[size_t(row)]) : row;
    }
    // The rows of the group the row leads, itself included; 1 for a file of its own, 0 for
    // a row that follows its group's first.
    [[nodiscard]] qsizetype groupSize(qsizetype row) const;

    [[nodiscard]] const NameColumn &currentNames() const { return m_current; }
    [[nodiscard]] const NameColumn &newNames() const { return m_new; }

    // Both columns take the listed names; the new-name column shares their storage.
    void load(const NameColumn &listedNames);

    // The steps that rebuild the new names write into a spare column and then make it
    // the new-name column; the two swap roles on every rebuild, so their memory is reused.
    [[nodiscard]] NameColumn &spareColumn() { return m_spare; }
    void takeSpareAsNewNames() { std::swap(m_new, m_spare); }
    void keepCurrentNames();
    // The new-name column for a step that edits it in place (never shared with column 0).
    [[nodiscard]] NameColumn &newNamesForEdit();

private:
    [[nodiscard]] bool showsDate(qsizetype row) const;

    NameColumn m_current;
    NameColumn m_new;
    NameColumn m_spare;
    std::vector<RowFate> m_fates; // per file; empty before the first rebuild
    int m_folderWriteError = 0;
    const RowDates *m_dates = nullptr;
    QStringList m_unknownFields;
    bool m_fieldsNeedMetadata = false;
    DatesUse m_datesUse = DatesUse::None;
    const HandNames *m_handNames = nullptr;
    std::vector<qsizetype> m_boundedRows;
    std::shared_ptr<const ListedTree> m_tree;
    std::vector<quint32> m_folderOfRow;
    std::vector<bool> m_folderRows;
    std::vector<qint32> m_fixedRows;
    std::vector<quint32> m_groupLeads;
};

} // namespace velmix
