#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QCommandLineParser;

namespace velmix::CommandLine {

// The arguments as the bytes they are, decoded like file names, so a folder whose name
// is not valid UTF-8 still opens.
[[nodiscard]] QStringList arguments(int argc, const char *const *argv);

// `velmix [папка]`, the window's start; the command line's options (--help among them)
// never reach it.
void describe(QCommandLineParser &parser);

// What the program prints, and its exit status, where the window cannot start: an option
// it does not know (status 2, on standard error). Nothing where the window is to start.
// Every word in Russian.
struct Reply
{
    QString text;
    int status = 0;
};
[[nodiscard]] std::optional<Reply> reply(QCommandLineParser &parser, const QStringList &arguments);

struct Start
{
    QString folder;
    QString problem; // why a named path was not taken, in one line; empty when it was
};

// The folder named, or the folder of a file named; else `workingFolder`, where the
// program starts without one.
[[nodiscard]] Start startFolder(const QStringList &named, const QString &workingFolder);

} // namespace velmix::CommandLine
