// Writes the command line's man page and shell completions into the folder named, from
// the option table the program parses with; run by the build.
#include "CliDocuments.h"

#include <QFile>
#include <QString>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fputs("usage: write_cli_documents FOLDER\n", stderr);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const std::pair<const char *, QString> documents[]{
        {"velmix.1", velmix::cli::manPage()},
        {"velmix.bash", velmix::cli::bashCompletion()},
        {"_velmix", velmix::cli::zshCompletion()},
    };
    for (const auto &[name, text] : documents) {
        QFile file(folder + u'/' + QLatin1StringView(name));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toUtf8()) < 0 || !file.flush()) {
            std::fprintf(stderr, "write_cli_documents: cannot write %s\n", qPrintable(file.fileName()));
            return 1;
        }
    }
    return 0;
}
