// Links the core alone, so that its shared library dependencies can be inspected.
#include "listing/FolderListing.h"

int main()
{
    velmix::FolderListing listing;
    listing.setPath(QStringLiteral("."));
    return listing.stale() ? 0 : 1;
}
