#pragma once

#include "BusyPointer.h"
#include "LongWork.h"
#include "MessageBox.h"

#include <QString>

#include <cstdio>
#include <optional>

namespace velmix::cli {

// Writes the text as UTF-8 to the stream.
void print(std::FILE *stream, const QString &text);

// No pointer to show on a console.
class NoBusyPointer : public BusyPointer
{
public:
    void showBusy() override {}
    void restore() override {}
};

// The boxes' texts on standard error; every question gets the answer the command line
// gave, and is printed with it.
class ConsoleMessageBox : public MessageBox
{
public:
    explicit ConsoleMessageBox(bool answer)
        : m_answer(answer)
    {
    }
    void showMessage(const QString &title, const QString &text) override;
    bool ask(const QString &title, const QString &text) override;

private:
    bool m_answer;
};

// A long piece of work's progress on one line of standard error, where that is a terminal.
class ConsoleWorkDisplay : public WorkDisplay
{
public:
    ConsoleWorkDisplay();
    void workStarted(WorkKind kind, WorkProgress &progress) override;
    void showProgress() override;
    void workFinished() override;
    // Stops the work under way, and any started later, as a cancel in the window does.
    void stop();

private:
    const bool m_terminal;
    bool m_stopped = false;
    WorkKind m_kind = WorkKind::ReadingFolder;
    WorkProgress *m_progress = nullptr;
    bool m_shown = false;
};

} // namespace velmix::cli
