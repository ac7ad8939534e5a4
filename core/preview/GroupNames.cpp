#include "preview/GroupNames.h"

#include "preview/FileNameTable.h"
#include "preview/HandNames.h"
#include "text/FileExtension.h"

#include <algorithm>
#include <optional>

namespace velmix {

std::vector<quint32> groupLeadsOf(const FileGroups &groups, const std::vector<quint32> &order, qsizetype rows)
{
    if (groups.isEmpty())
        return {};
    std::vector<quint32> leads(static_cast<size_t>(rows));
    for (qsizetype row = 0; row < rows; ++row) {
        const quint32 place = order.empty() ? quint32(row) : order[size_t(row)];
        // The group's rows stand together: a row whose file follows the previous row's in
        // the group's ring, or is grouped with it, joins its lead.
        const bool follows = row > 0 && groups.grouped(place) && [&] {
            const quint32 before = order.empty() ? quint32(row - 1) : order[size_t(row - 1)];
            for (quint32 member = groups.next(before); member != before; member = groups.next(member))
                if (member == place)
                    return true;
            return false;
        }();
        leads[size_t(row)] = follows ? leads[size_t(row - 1)] : quint32(row);
    }
    return leads;
}

std::vector<qsizetype> rowsNotCounted(const FileNameTable &table, const std::vector<qsizetype> &skipped)
{
    const std::vector<quint32> &leads = table.groupLeads();
    if (leads.empty())
        return skipped;
    std::vector<qsizetype> rows = skipped;
    for (size_t row = 0; row < leads.size(); ++row)
        if (leads[row] != row)
            rows.push_back(qsizetype(row));
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void shareGroupPlaces(const FileNameTable &table, std::vector<quint32> &places)
{
    const std::vector<quint32> &leads = table.groupLeads();
    for (size_t row = 0; row < leads.size() && row < places.size(); ++row)
        places[row] = places[leads[row]];
}

void carryGroupStems(FileNameTable &table, const HandNames &handNames)
{
    const std::vector<quint32> &leads = table.groupLeads();
    if (leads.empty())
        return;
    const NameColumn &built = table.newNames();
    const NameColumn &current = table.currentNames();
    std::vector<QString> carried(leads.size()); // null: the row keeps what the steps made
    bool any = false;
    for (qsizetype lead = 0; lead < qsizetype(leads.size()); ++lead) {
        const qsizetype size = table.groupSize(lead);
        if (size < 2)
            continue;
        qsizetype source = lead;
        for (qsizetype row = lead; row < lead + size; ++row)
            if (handNames.contains(row)) {
                source = row;
                break;
            }
        const QStringView sourceName = built.at(source);
        if (!handNames.contains(source) && sourceName == current.at(source))
            continue;
        const QStringView stem = sourceName.left(lengthBeforeExtension(sourceName));
        for (qsizetype row = lead; row < lead + size; ++row) {
            if (row == source)
                continue;
            const QStringView own = extensionLength(built.at(row)) > 0 ? built.at(row) : current.at(row);
            QString name = stem.toString();
            name += own.right(extensionLength(own));
            if (name != built.at(row)) {
                carried[size_t(row)] = std::move(name);
                any = true;
            }
        }
    }
    if (!any)
        return;
    qsizetype length = 0;
    for (qsizetype row = 0; row < built.size(); ++row)
        length += carried[size_t(row)].isNull() ? built.at(row).size() : carried[size_t(row)].size();
    NameColumn &spare = table.spareColumn();
    spare.beginRewrite(built.size(), length);
    for (qsizetype row = 0; row < built.size(); ++row)
        spare.write({carried[size_t(row)].isNull() ? built.at(row) : QStringView(carried[size_t(row)])});
    spare.endRewrite();
    table.takeSpareAsNewNames();
}

bool holdRefusedGroups(const FileNameTable &table, const FolderNames &folder, NameJudgement &judgement)
{
    const std::vector<quint32> &leads = table.groupLeads();
    if (leads.empty())
        return false;
    // Per row held, its fate from now on: the refusal that held its group, or PartnerStays.
    std::vector<std::optional<RowFate>> held(leads.size());
    bool anyHeld = false;
    // A file held back frees no name, so the rows waiting on it may now be refused in turn,
    // and their groups held: judged again until no group is held anew. A held group's
    // files all keep their names, the refused ones with their own reasons.
    for (;;) {
        bool heldAnew = false;
        for (qsizetype lead = 0; lead < qsizetype(leads.size()); ++lead) {
            const qsizetype size = table.groupSize(lead);
            if (size < 2)
                continue;
            const auto begin = judgement.fates.begin() + lead;
            if (std::none_of(begin, begin + size, [](RowFate fate) { return refusalOf(fate).has_value(); }))
                continue;
            for (qsizetype row = lead; row < lead + size; ++row) {
                const RowFate fate = judgement.fates[size_t(row)];
                if (fate == RowFate::Stays || held[size_t(row)])
                    continue;
                held[size_t(row)] = fate == RowFate::Moves ? RowFate::PartnerStays : fate;
                heldAnew = anyHeld = true;
            }
        }
        if (!heldAnew)
            break;
        NameColumn names;
        for (qsizetype row = 0; row < table.fileCount(); ++row)
            names.append(held[size_t(row)] ? table.currentNames().at(row) : table.newNames().at(row));
        judgeNewNames(folder, names, judgement);
        for (size_t row = 0; row < held.size(); ++row)
            if (held[row])
                judgement.fates[row] = *held[row];
    }
    return anyHeld;
}

} // namespace velmix
