#include "NoticesModule.h"

#include "DBusNotices.h"

extern "C" Q_DECL_EXPORT velmix::DesktopNotices *velmixSessionNotices()
{
    return velmix::cli::DBusNotices::ofSession().release();
}
