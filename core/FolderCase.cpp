#include "FolderCase.h"

#include "FileNameCodec.h"

namespace velmix {
namespace {

// Only ASCII letters change: every file system that ignores case at all ignores it for
// those, while some (fusefat among them) keep other letters apart.
QString withAsciiCaseSwapped(QStringView name)
{
    QString swapped = name.toString();
    for (QChar &c : swapped) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - u'a' + u'A');
        else if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() - u'A' + u'a');
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
    for (qsizetype row = 0; row < listedNames.size(); ++row) {
        const QString swapped = withAsciiCaseSwapped(listedNames.at(row));
        if (swapped == listedNames.at(row))
            continue; // no letter to change
        const std::optional<QByteArray> bytes = FileNameCodec::encode(swapped);
        return bytes && mover.holdsFile(*bytes) && !holds(listedNames, swapped);
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
