#include "listing/CurrentFolder.h"

#include "text/FileNameCodec.h"

#include <QByteArray>

#include <cerrno>
#include <unistd.h>

namespace velmix {

QString currentFolder()
{
    QByteArray buffer(4096, Qt::Uninitialized);
    while (::getcwd(buffer.data(), size_t(buffer.size())) == nullptr) {
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
    return FileNameCodec::decode(QByteArray(buffer.constData()));
}

} // namespace velmix
