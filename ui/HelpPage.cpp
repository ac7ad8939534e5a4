#include "HelpPage.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace velmix::HelpPage {

QString locate(const QString &programFolder)
{
    const QDir folder(programFolder);
    const QString beside = folder.filePath(QStringLiteral("help/help.html"));
    if (QFileInfo::exists(beside))
        return beside;
    const QString installed = folder.filePath(QStringLiteral(VELMIX_HELP_FROM_PROGRAM "/help.html"));
    return QFileInfo::exists(installed) ? QDir::cleanPath(installed) : beside;
}

void open()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(locate(QCoreApplication::applicationDirPath())));
}

} // namespace velmix::HelpPage
