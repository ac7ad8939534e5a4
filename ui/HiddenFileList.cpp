#include "HiddenFileList.h"

#include "listing/FolderListing.h"

namespace velmix {

HiddenFileList::HiddenFileList(QWidget *parent)
    : QWidget(parent)
{
    hide();
}

QString HiddenFileList::path() const
{
    return m_listing ? m_listing->path() : QString();
}

QString HiddenFileList::pattern() const
{
    return m_listing ? m_listing->mask() : QString();
}

} // namespace velmix
