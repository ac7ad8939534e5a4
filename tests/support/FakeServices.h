#pragma once

#include "DriveList.h"
#include "MessageBox.h"
#include "PosixFileMover.h"
#include "RenamerCore.h"
#include "TestSupport.h"

#include <QStringList>

namespace velmix::test {

class FixedDriveList : public DriveList
{
public:
    explicit FixedDriveList(QStringList mountPoints = {QStringLiteral("/")})
        : m_mountPoints(std::move(mountPoints))
    {
    }
    QList<Drive> drives() const override
    {
        QList<Drive> result;
        for (const QString &point : m_mountPoints)
            result.append({point});
        return result;
    }

private:
    QStringList m_mountPoints;
};

// Keeps what would have been shown, for the test to read; questions are answered as
// the test told in advance, and "Нет" when it told nothing.
class RecordingMessageBox : public MessageBox
{
public:
    void showMessage(const QString &title, const QString &text) override { shown.append({title, text}); }
    bool ask(const QString &title, const QString &text) override
    {
        asked.append({title, text});
        return !answers.isEmpty() && answers.takeFirst();
    }
    QList<std::pair<QString, QString>> shown;
    QList<std::pair<QString, QString>> asked;
    QList<bool> answers;
};

// A core on real folders with services a test can inspect.
struct CoreFixture
{
    explicit CoreFixture(const QString &startFolder, QStringList mountPoints = {QStringLiteral("/")})
        : drives(std::move(mountPoints))
        , core({busy, messages, drives, mover}, startFolder)
    {
    }
    CountingBusyPointer busy;
    RecordingMessageBox messages;
    FixedDriveList drives;
    PosixFileMover mover;
    RenamerCore core;
};

} // namespace velmix::test
