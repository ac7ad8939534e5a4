#include "listing/RenamedFolders.h"

namespace velmix {

void RenamedFolders::renamed(QStringView before, QStringView after)
{
    if (before == after || after.isEmpty())
        return;
    m_newNames.insert(before.toString(), after.sliced(after.lastIndexOf(u'/') + 1).toString());
}

QString RenamedFolders::now(QStringView path) const
{
    if (m_newNames.isEmpty() || !path.contains(u'/'))
        return path.toString();
    // Each folder above, from the top, looked up by its path before the batch.
    QString result;
    qsizetype start = 0;
    for (qsizetype slash = path.indexOf(u'/'); slash >= 0; slash = path.indexOf(u'/', start)) {
        const QString before = path.first(slash).toString();
        const auto renamed = m_newNames.constFind(before);
        result += renamed != m_newNames.constEnd() ? *renamed : path.sliced(start, slash - start).toString();
        result += u'/';
        start = slash + 1;
    }
    result += path.sliced(start);
    return result;
}

} // namespace velmix
