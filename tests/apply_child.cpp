// A separate process for the tests that kill an apply half-way or race it:
//   apply_child apply <folder> <base> <start> <step>  renames the folder's files with a
//       base name and numbering, printing "ready" just before the moves start;
//   apply_child write <folder> <prefix> <count>  creates <prefix>1.txt … as fast as it can
//       without ever replacing a file, printing each name it created.
#include "FakeServices.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using namespace velmix;

namespace {

int apply(const QString &folder, const QString &base, const QString &start, const QString &step)
{
    test::CoreFixture fixture(folder);
    fixture.core.startUp();
    PreviewSession &preview = fixture.core.preview();
    preview.setBaseName(base);
    preview.setStartText(start);
    preview.setStepText(step);
    preview.baseNameKeyReleased();
    std::printf("ready\n");
    std::fflush(stdout);
    fixture.core.applyNewNames();
    std::printf("done %lld\n", static_cast<long long>(fixture.messages.shown.size()));
    return 0;
}

int write(const QString &folder, const QString &prefix, int count)
{
    for (int i = 1; i <= count; ++i) {
        const QByteArray name = QFile::encodeName(prefix + QString::number(i) + QStringLiteral(".txt"));
        const QByteArray path = QFile::encodeName(folder) + '/' + name;
        const int fd = ::open(path.constData(), O_CREAT | O_EXCL | O_WRONLY, 0644);
        if (fd < 0)
            continue;
        if (::write(fd, "writer", 6) != 6)
            return 1;
        ::close(fd);
        std::printf("%s\n", name.constData());
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 6 && args[1] == u"apply")
        return apply(args[2], args[3], args[4], args[5]);
    if (args.size() == 5 && args[1] == u"write")
        return write(args[2], args[3], args[4].toInt());
    return 2;
}
