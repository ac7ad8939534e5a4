#include "text/FileExtension.h"

#include <QChar>

namespace velmix {
namespace {

// The compound extensions' second parts, after ".tar", kept whole with it in any case.
constexpr QStringView CompoundEnds[] = {u"gz", u"bz2", u"xz", u"zst", u"lz", u"lzma", u"z"};
constexpr QStringView Tar = u".tar";

// ASCII letters alone compared, which is all these extensions hold; a call per name and
// step, so no case folding of Unicode's.
bool equalIgnoringAsciiCase(QStringView text, QStringView lower)
{
    if (text.size() != lower.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if ((c >= u'A' && c <= u'Z' ? c + 32 : c) != lower[i].unicode())
            return false;
    }
    return true;
}

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
    const QStringView suffix = name.sliced(dot + 1);
    if (dot > Tar.size() && equalIgnoringAsciiCase(name.sliced(dot - Tar.size(), Tar.size()), Tar)) {
        for (const QStringView end : CompoundEnds) {
            if (equalIgnoringAsciiCase(suffix, end))
                return int(Tar.size() + suffix.size());
        }
    }
    return holdsBlank(suffix) ? 0 : int(suffix.size());
}

} // namespace velmix
