#include "CommandLine.h"

#include "CliOptions.h"

#include "listing/FolderToOpen.h"
#include "text/FileNameCodec.h"

#include <QCommandLineParser>

namespace velmix::CommandLine {

QStringList arguments(int argc, const char *const *argv)
{
    QStringList decoded;
    for (int i = 0; i < argc; ++i)
        decoded.append(FileNameCodec::decode(QByteArrayView(argv[i])));
    return decoded;
}

namespace {

const QString FolderHelp = QStringLiteral("Папка, которую открыть; для файла — папка, где он лежит.");
} // namespace

void describe(QCommandLineParser &parser)
{
    parser.setApplicationDescription(cli::programDescription()); // the command line's help says the same
    parser.addPositionalArgument(QStringLiteral("папка"), FolderHelp, QStringLiteral("[папка]"));
}

std::optional<Reply> reply(QCommandLineParser &parser, const QStringList &arguments)
{
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        const QString problem = unknown.isEmpty() ? parser.errorText()
                                                  : QStringLiteral("неизвестный параметр «%1»").arg(unknown.first());
        return Reply{QStringLiteral("velmix: %1\nСправка: velmix --help\n").arg(problem), 2};
    }
    return std::nullopt;
}

Start startFolder(const QStringList &named, const QString &workingFolder)
{
    if (named.isEmpty())
        return {workingFolder, {}};
    const FolderToOpen target = folderToOpen(named.first(), workingFolder);
    if (target.folder.isEmpty())
        return {workingFolder, target.problem};
    // A file manager's action hands over every selected file; those of the same folder open it.
    QStringList elsewhere;
    for (const QString &path : named.mid(1))
        if (folderToOpen(path, workingFolder).folder != target.folder)
            elsewhere.append(path);
    if (!elsewhere.isEmpty())
        return {target.folder, QStringLiteral("открыта только первая папка, не учтено: ") + elsewhere.join(u' ')};
    return {target.folder, {}};
}

} // namespace velmix::CommandLine
