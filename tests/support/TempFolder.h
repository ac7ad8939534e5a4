#pragma once

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

namespace velmix::test {

// A temporary folder of files for one test, removed with everything in it.
class TempFolder
{
public:
    [[nodiscard]] QString path() const { return m_folder.path(); }
    [[nodiscard]] QString filePath(const QString &name) const { return m_folder.filePath(name); }

    // Creates the files, and the folders their names lead through, each holding `content`.
    void createFiles(const QStringList &names, const QByteArray &content = {}) const;
    // Creates one file under a name given as bytes, which need not be valid UTF-8.
    void createFile(const QByteArray &name, const QByteArray &content = {}) const;

    // The files in the folder or in one of its subfolders, hidden ones included, by name.
    [[nodiscard]] QStringList files(const QString &subfolder = {}) const;

private:
    QTemporaryDir m_folder;
};

} // namespace velmix::test
