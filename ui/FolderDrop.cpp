#include "FolderDrop.h"

#include "text/FileNameCodec.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace velmix {
namespace {

// The first local path among the URLs, percent-decoded to its bytes: a name that is not
// valid UTF-8 arrives as its bytes escaped, which QUrl's own decoding would lose.
QString firstLocalPath(const QMimeData *data)
{
    for (const QUrl &url : data->urls())
        if (url.isLocalFile())
            return FileNameCodec::decode(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
    return {};
}

} // namespace

FolderDrop::FolderDrop(QWidget *window)
    : QObject(window)
{
    window->setAcceptDrops(true);
    window->installEventFilter(this);
    for (QWidget *child : window->findChildren<QWidget *>())
        if (child->acceptDrops())
            child->installEventFilter(this);
}

bool FolderDrop::eventFilter(QObject *, QEvent *event)
{
    if (event->type() != QEvent::DragEnter && event->type() != QEvent::DragMove && event->type() != QEvent::Drop)
        return false;
    auto *drop = static_cast<QDropEvent *>(event);
    const QString path = firstLocalPath(drop->mimeData());
    if (path.isEmpty())
        return false;
    drop->acceptProposedAction();
    if (event->type() == QEvent::Drop)
        Q_EMIT dropped(path);
    return true;
}

} // namespace velmix
