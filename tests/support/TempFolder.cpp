#include "TempFolder.h"

#include "RenameFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

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

void TempFolder::createFile(const QByteArray &name, const QByteArray &content) const
{
    test::createFile(QFile::encodeName(path()), name, content);
}

QStringList TempFolder::files(const QString &subfolder) const
{
    return QDir(filePath(subfolder)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace velmix::test
