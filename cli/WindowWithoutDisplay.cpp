#include "WindowWithoutDisplay.h"

#include "CliCommand.h"
#include "ConsoleServices.h"

namespace velmix::cli {

using namespace Qt::StringLiterals;

std::optional<int> refuseWindowWithoutDisplay(const QStringList &arguments)
{
    // Qt's own choice of a platform ("-platform offscreen") needs no display either.
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (!qEnvironmentVariableIsEmpty(name))
            return std::nullopt;
    }
    if (arguments.contains(u"-platform"_s))
        return std::nullopt;
    QString problem = u"дисплей не задан (нет DISPLAY и WAYLAND_DISPLAY), окно не открыть. "
                      "Без окна: velmix --rename [параметры] папка — показать новые имена, "
                      "с --apply — переименовать"_s;
    for (const QString &argument : arguments) {
        if (argument == u"--")
            break;
        if (argument.startsWith(u'-') && argument != u"-") {
            problem = unknownOptionProblem(argument);
            break;
        }
    }
    print(stderr, u"velmix: %1\nСправка: velmix --help\n"_s.arg(problem));
    return 2;
}

} // namespace velmix::cli
