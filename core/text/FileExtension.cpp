#include "text/FileExtension.h"

#include <QChar>

namespace velmix {
namespace {

// The compound extensions kept whole; each ends in a dot and one more extension.
constexpr QStringView Compound[] = {u".tar.gz", u".tar.bz2", u".tar.xz", u".tar.zst", u".tar.lz", u".tar.lzma", u".tar.Z"};

bool holdsBlank(QStringView text)
{
    for (const QChar c : text) {
        if (c.isSpace())
            return true;
    }
    return false;
}

} // namespace

int FindExtensionDot(QStringView name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0 || dot == name.size() - 1)
        return 0;
    for (const QStringView compound : Compound) {
        const qsizetype start = name.size() - compound.size();
        if (start > 0 && name.endsWith(compound, Qt::CaseInsensitive))
            return int(compound.size() - 1);
    }
    const QStringView suffix = name.sliced(dot + 1);
    return holdsBlank(suffix) ? 0 : int(suffix.size());
}

} // namespace velmix
