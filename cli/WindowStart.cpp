#include "WindowStart.h"

#include "ConsoleServices.h"
#include "marks/RenameFailure.h"
#include "program/PrivateModule.h"

#include <QFile>

#include <cerrno>
#include <unistd.h>

namespace velmix::cli {

using namespace Qt::StringLiterals;

int startWindow(char *argv[])
{
    // The window must be the one installed with this command line, wherever the two were put.
    std::error_code error;
    const std::filesystem::path window = installedPrivateFile("velmix-window", error);
    if (error) {
        print(stderr, u"velmix: окно не открыть: не прочитать /proc/self/exe (%1)\n"_s
                          .arg(fileSystemErrorText(error.value())));
        return 2;
    }
    ::execv(window.c_str(), argv);
    const int failure = errno;
    const QString why = failure == ENOENT ? u"не найдена"_s : u"не запускается (%1)"_s.arg(fileSystemErrorText(failure));
    print(stderr, u"velmix: окно не открыть: программа окна «%1» %2. Без окна: velmix --rename [параметры] папка\n"_s
                      .arg(QFile::decodeName(window.c_str()), why));
    return 2;
}

} // namespace velmix::cli
