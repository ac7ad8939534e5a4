#include "program/ConfigFolder.h"

#include <QDir>

namespace velmix {

QString configFolder()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/velmix");
}

} // namespace velmix
