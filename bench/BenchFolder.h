#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A folder of empty files with realistic names, made for one measurement and removed
// with the object.
class BenchFolder
{
public:
    BenchFolder(const QString &path, qsizetype files);
    ~BenchFolder();
    BenchFolder(const BenchFolder &) = delete;
    BenchFolder &operator=(const BenchFolder &) = delete;

    [[nodiscard]] const QString &path() const { return m_path; }
    [[nodiscard]] const QList<QByteArray> &names() const { return m_names; }

    // Camera names, names with blanks, Cyrillic names and names with several dots.
    [[nodiscard]] static QList<QByteArray> realisticNames(qsizetype count);

private:
    QString m_path;
    QList<QByteArray> m_names;
};
