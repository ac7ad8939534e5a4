#include "BenchFolder.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

QList<QByteArray> BenchFolder::realisticNames(qsizetype count)
{
    QList<QByteArray> names;
    names.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        const QByteArray n = QByteArray::number(i);
        switch (i % 5) {
        case 0: names.append("IMG_" + n.rightJustified(7, '0') + ".JPG"); break;
        case 1: names.append("DSC" + n.rightJustified(7, '0') + ".jpg"); break;
        case 2: names.append("Summer holiday photo " + n + ".jpeg"); break;
        case 3: names.append(QString(QStringLiteral("Фото_%1.jpg")).arg(i).toUtf8()); break;
        default: names.append("backup." + n + ".tar.gz"); break;
        }
    }
    return names;
}

BenchFolder::BenchFolder(const QString &path, qsizetype files)
    : m_path(path), m_names(realisticNames(files))
{
    QDir().mkpath(path);
    const int folder = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY);
    if (folder < 0) {
        std::perror("bench folder");
        std::exit(1);
    }
    for (const QByteArray &name : std::as_const(m_names)) {
        const int fd = ::openat(folder, name.constData(), O_CREAT | O_WRONLY, 0644);
        if (fd >= 0)
            ::close(fd);
    }
    ::close(folder);
}

BenchFolder::~BenchFolder()
{
    QDir(m_path).removeRecursively();
}
