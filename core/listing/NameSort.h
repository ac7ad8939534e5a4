#pragma once

#include "text/NameColumn.h"

#include <QtGlobal>

#include <memory>
#include <vector>

namespace velmix {

// The positions of `names` in the listing's order, the order compareNames gives. Each
// name is folded once into a key that compares byte by byte, and a large column is
// sorted on two threads.
[[nodiscard]] std::vector<quint32> sortedOrder(const NameColumn &names);

// The same order for the names a tree's walk has just read from one folder, the last
// ones of its column, folder by folder (one sort of all the names would be slowed by the
// same names met again in every folder); the buffers are kept from one folder to the next.
class NameSorter
{
public:
    NameSorter();
    ~NameSorter();
    NameSorter(const NameSorter &) = delete;
    NameSorter &operator=(const NameSorter &) = delete;

    // Puts the names of `names` from `from` on into the order sortedOrder gives, in place.
    void sortFrom(NameColumn &names, qsizetype from);

private:
    struct Buffers;
    std::unique_ptr<Buffers> m_buffers;
};

} // namespace velmix
