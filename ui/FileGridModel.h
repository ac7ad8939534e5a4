#pragma once

#include "preview/TableObserver.h"

#include <QAbstractTableModel>

namespace velmix {

class FileNameTable;

// The grid's view of the core's table, cell by cell without copies, under the grid's
// own header. A rebuild of the new names is one dataChanged over that column, so selection and scroll
// position stay; only a reload resets the model. A new name typed by hand shows a pencil
// and says so in its description. A new name tells what it changes of the old one, in
// ChangedRunsRole and in its description, computed only for the cells asked for: those
// drawn or read. While the names or the order use the files' dates, a third column shows
// each row's date, and tells where it came from.
class FileGridModel : public QAbstractTableModel, public TableObserver
{
    Q_OBJECT

public:
    explicit FileGridModel(const FileNameTable &table, QObject *parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // A new-name cell takes a name typed in the grid; the core decides what becomes of it.
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    [[nodiscard]] Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }

    void tableAboutToReload() override;
    void tableReloaded() override;
    void newNamesRebuilt() override;

    static inline const QString HandEditedText = QStringLiteral("изменено вручную");
    // Before the name of a file that goes with the row above.
    static inline const QString GroupIndent = QStringLiteral("    ↳ ");
    // The runs of a new name's characters that differ from its old name: start and length
    // in turn, in UTF-16 units of the text shown.
    static constexpr int ChangedRunsRole = Qt::UserRole + 1;
    // The description without what the name changes, which the colours show: the tooltip's.
    static constexpr int NoteRole = Qt::UserRole + 2;

    // How many rows have a marked new name, as last rebuilt.
    [[nodiscard]] int markedRows() const { return m_markedRows; }

Q_SIGNALS:
    void markedRowsChanged(int count);
    // A name other than the one shown was typed into a row's new-name cell (empty: erased).
    void newNameTyped(int row, const QString &name);

private:
    void countMarkedRows();
    // The date column comes and goes with the dates' use.
    void followDates();
    // A new name's description: its mark's reason, whether typed by hand, what it changes.
    [[nodiscard]] QString describe(int row, const QString &change) const;
    // What the row's file goes together with, in words; empty for a file of its own.
    [[nodiscard]] QString groupNote(int row) const;

    const FileNameTable &m_table;
    int m_markedRows = 0;
    bool m_dateColumn = false;
};

} // namespace velmix
