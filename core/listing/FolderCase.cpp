#include "listing/FolderCase.h"

#include "text/FileNameCodec.h"

namespace velmix {
namespace {

// Every letter in the other case; with `asciiOnly`, only the ASCII letters.
QString withCaseSwapped(QStringView name, bool asciiOnly)
{
    QString swapped = name.toString();
    for (QChar &c : swapped) {
        if (asciiOnly && c.unicode() >= 0x80)
            continue;
        c = c.isLower() ? c.toUpper() : c.toLower();
    }
    return swapped;
}

bool holds(const NameColumn &names, QStringView name)
{
    for (qsizetype row = 0; row < names.size(); ++row) {
        if (names.at(row) == name)
            return true;
    }
    return false;
}

} // namespace

bool folderIgnoresCase(FolderMover &mover, const NameColumn &listedNames)
{
    // A listed file may have gone since the listing was read; a few are tried.
    int candidates = 3;
    // A name with ASCII letters first: every file system that ignores case at all ignores
    // it for those, while some FAT drivers keep other letters apart.
    for (bool asciiOnly : {true, false}) {
        for (qsizetype row = 0; row < listedNames.size() && candidates > 0; ++row) {
            const QString swapped = withCaseSwapped(listedNames.at(row), asciiOnly);
            if (swapped == listedNames.at(row))
                continue; // no letter to change
            if (mover.holdsFile(FileNameCodec::encode(swapped).value_or(QByteArray())))
                return !holds(listedNames, swapped);
            if (mover.holdsFile(FileNameCodec::encode(listedNames.at(row)).value_or(QByteArray())))
                return false;
            --candidates;
        }
    }
    return false;
}

QByteArray nameKey(const QByteArray &name, bool ignoresCase)
{
    if (!ignoresCase)
        return name;
    return FileNameCodec::encode(FileNameCodec::decode(name).toCaseFolded()).value_or(name);
}

} // namespace velmix
