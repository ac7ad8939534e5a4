#include "preview/HandNames.h"

#include "preview/FileNameTable.h"

#include <QHash>

namespace velmix {

void HandNames::set(qsizetype row, const QString &name)
{
    if (name.isEmpty())
        m_names.erase(row);
    else
        m_names[row] = name;
}

std::vector<qsizetype> HandNames::rows() const
{
    std::vector<qsizetype> rows;
    rows.reserve(m_names.size());
    for (const auto &[row, name] : m_names)
        rows.push_back(row);
    return rows;
}

void HandNames::follow(const NameColumn &before, const NameColumn &after)
{
    if (m_names.empty())
        return;
    QHash<QStringView, QString> byFile;
    for (const auto &[row, name] : m_names)
        if (row < before.size())
            byFile.insert(before.at(row), name);
    m_names.clear();
    for (qsizetype row = 0; row < after.size() && !byFile.isEmpty(); ++row)
        if (const auto found = byFile.constFind(after.at(row)); found != byFile.cend()) {
            m_names.emplace(row, *found);
            byFile.erase(found);
        }
}

void HandNames::applyTo(FileNameTable &table) const
{
    if (m_names.empty())
        return;
    const NameColumn &built = table.newNames();
    qsizetype length = built.totalLength();
    for (const auto &[row, name] : m_names)
        length += name.size();
    NameColumn &spare = table.spareColumn();
    spare.beginRewrite(built.size(), length);
    auto typed = m_names.cbegin();
    for (qsizetype row = 0; row < built.size(); ++row) {
        if (typed != m_names.cend() && typed->first == row) {
            spare.write({typed->second});
            ++typed;
        } else {
            spare.write({built.at(row)});
        }
    }
    spare.endRewrite();
    table.takeSpareAsNewNames();
}

} // namespace velmix
