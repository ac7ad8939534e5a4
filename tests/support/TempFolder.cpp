#include "TempFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

namespace velmix::test {

void TempFolder::createFiles(const QStringList &names, const QByteArray &content) const
{
    for (const QString &name : names) {
        const QString path = filePath(name);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        QVERIFY2(file.open(QIODevice::NewOnly), qPrintable(path));
        QCOMPARE(file.write(content), content.size());
    }
}

// Through open(2): Qt's file names cannot carry bytes that are not valid UTF-8.
void TempFolder::createFile(const QByteArray &name, const QByteArray &content) const
{
    const QByteArray path = QFile::encodeName(this->path()) + '/' + name;
    const int fd = ::open(path.constData(), O_CREAT | O_EXCL | O_WRONLY, 0644);
    QVERIFY2(fd >= 0, path.constData());
    const ssize_t written = ::write(fd, content.constData(), size_t(content.size()));
    ::close(fd);
    QCOMPARE(written, ssize_t(content.size()));
}

QStringList TempFolder::files(const QString &subfolder) const
{
    return QDir(filePath(subfolder)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace velmix::test
