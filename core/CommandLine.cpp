#include "CommandLine.h"

#include "FileNameCodec.h"
#include "FolderToOpen.h"

#include <QCommandLineParser>

namespace velmix::CommandLine {

QStringList arguments(int argc, const char *const *argv)
{
    QStringList decoded;
    for (int i = 0; i < argc; ++i)
        decoded.append(FileNameCodec::decode(QByteArrayView(argv[i])));
    return decoded;
}

void describe(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral("Velmix: пакетное переименование файлов одной папки."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("папка"),
                                 QStringLiteral("Папка, которую открыть; для файла — папка, где он лежит."),
                                 QStringLiteral("[папка]"));
}

Start startFolder(const QStringList &named, const QString &workingFolder)
{
    if (named.isEmpty())
        return {workingFolder, {}};
    const FolderToOpen target = folderToOpen(named.first(), workingFolder);
    if (target.folder.isEmpty())
        return {workingFolder, target.problem};
    if (named.size() > 1)
        return {target.folder, QStringLiteral("открыта только первая папка, не учтено: ") + named.mid(1).join(u' ')};
    return {target.folder, {}};
}

} // namespace velmix::CommandLine
