#include "program/SettingsFile.h"

#include "program/MakeFolders.h"

#include "text/VisibleText.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmix {
namespace {

using namespace Qt::StringLiterals;

QString errorText(int error)
{
    switch (error) {
    case EROFS: return u"диск только для чтения"_s;
    case ENOSPC:
    case EDQUOT: return u"на диске нет места"_s;
    case EACCES:
    case EPERM: return u"нет прав на запись"_s;
    default: return u"ошибка %1"_s.arg(error);
    }
}

} // namespace

SettingsFile::SettingsFile(const QString &path)
{
    // Never followed, never waited on: only a regular file of the folder is read.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        m_found = errno == ENOENT || errno == ENOTDIR ? Found::None : Found::Other;
        return;
    }
    struct stat status{};
    QFile file;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)
        || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        m_found = Found::Other;
        return;
    }
    m_found = Found::Regular;
    const QByteArray bytes = file.readAll();
    if (m_copy.open() && m_copy.write(bytes) == bytes.size() && m_copy.flush())
        m_settings = std::make_unique<QSettings>(m_copy.fileName(), QSettings::IniFormat);
    else
        m_found = Found::Other; // no copy to read: told as unreadable rather than read as empty
}

QString SettingsFile::notRegular(const QString &path)
{
    return u"«%1» — не обычный файл (ссылка, канал или папка); оставлен как есть"_s.arg(withControlPictures(path));
}

QString SettingsFile::write(const QString &path, const std::function<void(QSettings &)> &fill)
{
    const QByteArray target = QFile::encodeName(path);
    if (const int error = makeFolders(target.left(std::max<qsizetype>(target.lastIndexOf('/'), 1))))
        return u"не удалось записать «%1» (%2)"_s.arg(withControlPictures(path), errorText(error));
    struct stat status{};
    if (::lstat(target.constData(), &status) == 0 && !S_ISREG(status.st_mode))
        return notRegular(path);
    // A new file of the same folder, so the rename replaces the entry itself, never what a
    // link there would point at.
    QTemporaryFile fresh(path + u".XXXXXX"_s);
    fresh.setAutoRemove(false);
    errno = 0;
    if (!fresh.open())
        return u"не удалось записать «%1» (%2)"_s.arg(withControlPictures(path), errorText(errno != 0 ? errno : EIO));
    const QString freshPath = fresh.fileName();
    fresh.close();
    int error = 0;
    {
        QSettings settings(freshPath, QSettings::IniFormat);
        fill(settings);
        settings.sync();
        if (settings.status() != QSettings::NoError)
            error = EIO;
    }
    if (error == 0 && ::rename(QFile::encodeName(freshPath).constData(), target.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(QFile::encodeName(freshPath).constData());
        return u"не удалось записать «%1» (%2)"_s.arg(withControlPictures(path), errorText(error));
    }
    return {};
}

} // namespace velmix
