#pragma once

#include "text/NameColumn.h"

#include <QtGlobal>

#include <vector>

namespace velmix {

// Files of one folder that belong together and are renamed as one: a raw picture with
// the JPEG, HEIC, XMP or THM the camera or an editor wrote beside it, a Live Photo's
// picture with its film and edits (HEIC or JPEG with MOV, AAE), a film with its
// subtitles, XMP sidecar or THM thumbnail. They share a stem (the name before the extension): exactly,
// or with letter case ignored where their folder's medium ignores it. Extensions match in
// any case. A file whose extension is not in its stem's group stays a file of its own.
class FileGroups
{
public:
    FileGroups() = default;
    // The groups of a listing's names; `folderOf` gives each name's folder (empty: one
    // folder), `caseBlind` per folder whether its medium ignores letter case, `folderRows`
    // per name whether it is a folder's (empty: none), which is never a member.
    FileGroups(const NameColumn &names, const std::vector<quint32> &folderOf, const std::vector<bool> &caseBlind,
               const std::vector<bool> &folderRows = {});

    // Whether any two files belong together.
    [[nodiscard]] bool isEmpty() const { return m_next.empty(); }
    // The next file of the place's group, round to its first again; the place itself for
    // a file of its own.
    [[nodiscard]] quint32 next(quint32 place) const { return place < m_next.size() ? m_next[place] : place; }
    [[nodiscard]] bool grouped(quint32 place) const { return next(place) != place; }
    // The places in `order` (the listing's order where empty, `count` places), each group's
    // files brought up behind the first of them shown, in their own order.
    [[nodiscard]] std::vector<quint32> together(const std::vector<quint32> &order, qsizetype count) const;

private:
    std::vector<quint32> m_next; // empty where no file has a partner
};

} // namespace velmix
