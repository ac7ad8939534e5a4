#include "metadata/TagModule.h"

#include "metadata/LibraryTagReader.h"

extern "C" Q_DECL_EXPORT velmix::TagReader *velmixNewTagReader()
{
    return velmix::makeLibraryTagReader().release();
}
