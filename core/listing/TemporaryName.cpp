#include "listing/TemporaryName.h"

#include "text/FileExtension.h"
#include "text/FileNameCodec.h"
#include "text/Surrogates.h"

#include <QString>

namespace velmix {

QByteArray temporaryName(QStringView currentName, int attempt, const FolderRules &rules)
{
    // A file of a subfolder, named by its path, steps aside in its own folder.
    if (const qsizetype slash = currentName.lastIndexOf(u'/'); slash >= 0) {
        const QByteArray name = temporaryName(currentName.sliced(slash + 1), attempt, rules);
        const std::optional<QByteArray> folder = FileNameCodec::encode(currentName.first(slash + 1));
        return name.isEmpty() || !folder ? QByteArray() : *folder + name;
    }
    constexpr qsizetype ShortStem = 8;
    const qsizetype tail = extensionLength(currentName);
    const QString mark = QStringLiteral("~velmix%1").arg(attempt);
    // Later attempts leave the old name out: msdos keeps 8.3 names and cuts a longer
    // temporary name back to the file's own, so only a short one gets the file aside.
    QStringView stem = attempt > 1 ? QStringView() : currentName.first(currentName.size() - tail);
    // Eight letters of the old name at most: fusefat can fail the rename of a long name to
    // another long one in a folder of long names, and then drops the file; a short name
    // always fits where the long one was.
    const qsizetype longest = mark.size() + tail + ShortStem;
    for (;;) {
        const QString text = stem.toString() + mark + currentName.last(tail).toString();
        const std::optional<QByteArray> name = FileNameCodec::encode(text);
        if (!name)
            return {};
        if (text.size() <= longest && nameFits(text, name->size(), rules) && !name->startsWith('.'))
            return *name;
        if (stem.isEmpty())
            return {};
        stem.chop(lastCharacterUnits(stem));
    }
}

} // namespace velmix
