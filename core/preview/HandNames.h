#pragma once

#include "text/NameColumn.h"

#include <QString>

#include <map>
#include <vector>

namespace velmix {

class FileNameTable;

// The new names the user typed into the grid, by row. Each one stands over whatever the
// options and rules make of its row, on every rebuild, until the listing is loaded again
// (Reset, an apply, another folder).
class HandNames
{
public:
    [[nodiscard]] bool isEmpty() const { return m_names.empty(); }
    [[nodiscard]] qsizetype size() const { return qsizetype(m_names.size()); }
    [[nodiscard]] bool contains(qsizetype row) const { return m_names.contains(row); }
    // The rows named by hand, in increasing order.
    [[nodiscard]] std::vector<qsizetype> rows() const;
    // An empty name gives the row back to the options and rules.
    void set(qsizetype row, const QString &name);
    void clear() { m_names.clear(); }
    // The rows were put in another order: each typed name follows its file, found by its
    // current name (unique within a folder).
    void follow(const NameColumn &before, const NameColumn &after);
    // Writes the typed names over the table's new names.
    void applyTo(FileNameTable &table) const;

private:
    std::map<qsizetype, QString> m_names;
};

} // namespace velmix
