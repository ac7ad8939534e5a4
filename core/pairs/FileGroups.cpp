#include "pairs/FileGroups.h"

#include "text/FileExtension.h"

#include <QHash>
#include <QStringList>

#include <algorithm>
#include <numeric>

namespace velmix {

namespace {

// What an extension is to a group, as bits: a file of a kind joins the group its stem's
// files make where the group takes that kind.
enum Kind : quint8 { Raw = 1, Picture = 2, Live = 4, Film = 8, Sidecar = 16, Subtitles = 32, Thumbnail = 64 };

quint8 kindOf(QStringView extension)
{
    static const QHash<QString, quint8> kinds{
        {QStringLiteral("CR2"), Raw}, {QStringLiteral("CR3"), Raw}, {QStringLiteral("NEF"), Raw},
        {QStringLiteral("ARW"), Raw}, {QStringLiteral("DNG"), Raw}, {QStringLiteral("ORF"), Raw},
        {QStringLiteral("RW2"), Raw}, {QStringLiteral("RAF"), Raw}, {QStringLiteral("PEF"), Raw},
        {QStringLiteral("SRW"), Raw}, {QStringLiteral("JPG"), Picture}, {QStringLiteral("JPEG"), Picture},
        {QStringLiteral("HEIC"), Picture}, {QStringLiteral("THM"), Thumbnail}, {QStringLiteral("XMP"), Sidecar},
        {QStringLiteral("AAE"), Live}, {QStringLiteral("MOV"), Film | Live}, {QStringLiteral("MP4"), Film},
        {QStringLiteral("AVI"), Film}, {QStringLiteral("MTS"), Film}, {QStringLiteral("M2TS"), Film},
        {QStringLiteral("SRT"), Subtitles}};
    if (extension.size() > 4)
        return 0;
    return kinds.value(extension.toString().toUpper(), 0);
}

// Which of the stem's files go together, from the kinds they hold: the kinds the group
// takes, or 0 for none. A raw picture leads its group; without one, a picture with a
// Live Photo's film or edits; without either, a film with its subtitles, sidecar or the
// thumbnail some cameras write beside a film.
quint8 groupKinds(quint8 held)
{
    if ((held & Raw) && (held & (Picture | Sidecar | Thumbnail)))
        return Raw | Picture | Sidecar | Thumbnail;
    if ((held & Picture) && (held & Live))
        return Picture | Live;
    if ((held & Film) && (held & (Subtitles | Sidecar | Thumbnail)))
        return Film | Subtitles | Sidecar | Thumbnail;
    return 0;
}

} // namespace

FileGroups::FileGroups(const NameColumn &names, const std::vector<quint32> &folderOf, const std::vector<bool> &caseBlind,
                       const std::vector<bool> &folderRows)
{
    // The stems of one folder, keyed with the folder: only files with a known extension take part.
    QHash<QString, std::vector<quint32>> stems;
    std::vector<quint8> kinds(size_t(names.size()), 0);
    for (qsizetype place = 0; place < names.size(); ++place) {
        const QStringView name = names.at(place);
        const qsizetype stemLength = lengthBeforeExtension(name);
        if (stemLength == name.size() || (size_t(place) < folderRows.size() && folderRows[size_t(place)]))
            continue;
        const quint8 kind = kindOf(name.mid(stemLength + 1));
        if (kind == 0)
            continue;
        kinds[size_t(place)] = kind;
        const quint32 folder = folderOf.empty() ? 0 : folderOf[size_t(place)];
        const bool blind = folder < caseBlind.size() && caseBlind[folder];
        QString key = QString::number(folder) + u'/';
        key += blind ? name.left(stemLength).toString().toCaseFolded() : name.left(stemLength).toString();
        stems[key].push_back(quint32(place));
    }
    for (const std::vector<quint32> &places : std::as_const(stems)) {
        if (places.size() < 2)
            continue;
        quint8 held = 0;
        for (const quint32 place : places)
            held |= kinds[place];
        const quint8 taken = groupKinds(held);
        std::vector<quint32> members;
        for (const quint32 place : places)
            if (kinds[place] & taken)
                members.push_back(place);
        if (members.size() < 2)
            continue;
        if (m_next.empty()) {
            m_next.resize(size_t(names.size()));
            std::iota(m_next.begin(), m_next.end(), 0u);
        }
        for (size_t i = 0; i < members.size(); ++i)
            m_next[members[i]] = members[(i + 1) % members.size()];
    }
}

std::vector<quint32> FileGroups::together(const std::vector<quint32> &order, qsizetype count) const
{
    if (isEmpty())
        return order;
    std::vector<quint32> shown = order;
    if (shown.empty()) {
        shown.resize(size_t(count));
        std::iota(shown.begin(), shown.end(), 0u);
    }
    std::vector<qsizetype> position(shown.size());
    for (size_t i = 0; i < shown.size(); ++i)
        position[shown[i]] = qsizetype(i);
    std::vector<bool> placed(shown.size(), false);
    std::vector<quint32> result;
    result.reserve(shown.size());
    std::vector<quint32> members;
    for (const quint32 place : shown) {
        if (placed[place])
            continue;
        members.clear();
        quint32 member = place;
        do {
            members.push_back(member);
            member = next(member);
        } while (member != place);
        std::sort(members.begin(), members.end(), [&](quint32 a, quint32 b) { return position[a] < position[b]; });
        for (const quint32 m : members) {
            placed[m] = true;
            result.push_back(m);
        }
    }
    return result;
}

} // namespace velmix
