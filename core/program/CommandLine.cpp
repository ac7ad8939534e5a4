#include "program/CommandLine.h"

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

const QString Description = QStringLiteral("Velmix: пакетное переименование файлов одной папки.");
const QString FolderHelp = QStringLiteral("Папка, которую открыть; для файла — папка, где он лежит.");
const QCommandLineOption HelpOption({QStringLiteral("h"), QStringLiteral("help")},
                                    QStringLiteral("Показать эту справку и выйти."));
const QCommandLineOption VersionOption({QStringLiteral("v"), QStringLiteral("version")},
                                       QStringLiteral("Показать версию программы и выйти."));

// Qt's own help text has English headings; this one is written out.
QString helpText()
{
    return QStringLiteral("Использование: velmix [параметры] [папка]\n%1\n\nПараметры:\n"
                          "  -h, --help     %2\n  -v, --version  %3\n\nАргументы:\n  папка          %4\n")
        .arg(Description, HelpOption.description(), VersionOption.description(), FolderHelp);
}

} // namespace

void describe(QCommandLineParser &parser)
{
    parser.setApplicationDescription(Description);
    parser.addOption(HelpOption);
    parser.addOption(VersionOption);
    parser.addPositionalArgument(QStringLiteral("папка"), FolderHelp, QStringLiteral("[папка]"));
}

std::optional<Reply> reply(QCommandLineParser &parser, const QStringList &arguments)
{
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        const QString problem = unknown.isEmpty() ? parser.errorText()
                                                  : QStringLiteral("неизвестный параметр «%1»").arg(unknown.first());
        return Reply{QStringLiteral("velmix: %1\nСправка: velmix --help\n").arg(problem), 1};
    }
    if (parser.isSet(HelpOption))
        return Reply{helpText()};
    if (parser.isSet(VersionOption))
        return Reply{QStringLiteral("velmix " VELMIX_VERSION "\n")};
    return std::nullopt;
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
