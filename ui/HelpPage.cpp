#include "HelpPage.h"

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

bool open(const QString &page)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(page));
}

QString notOpened(const QString &page)
{
    return QStringLiteral("Не удалось открыть справку: нет программы, которая открывает страницы HTML.\n"
                          "Справка лежит здесь: %1").arg(page);
}

} // namespace velmix::HelpPage
