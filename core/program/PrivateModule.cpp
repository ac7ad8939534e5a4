#include "program/PrivateModule.h"

#include <dlfcn.h>

namespace velmix {
namespace {

// The program's own file is read, never PATH nor argv[0].
std::filesystem::path programFolder(std::error_code &error)
{
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : self.parent_path();
}

std::filesystem::path installedIn(const std::filesystem::path &programFolder, const char *file)
{
    return (programFolder / VELMIX_PRIVATE_FROM_PROGRAM / file).lexically_normal();
}

} // namespace

std::filesystem::path installedPrivateFile(const char *file, std::error_code &error)
{
    const std::filesystem::path folder = programFolder(error);
    return error ? folder : installedIn(folder, file);
}

ModuleEntry privateModuleEntry(const char *file, const char *function)
{
    std::error_code error;
    const std::filesystem::path folder = programFolder(error);
    if (error)
        return {nullptr, QStringLiteral("/proc/self/exe: %1").arg(QString::fromStdString(error.message()))};
    QString problem;
    for (const std::filesystem::path &candidate : {folder / file, installedIn(folder, file)}) {
        void *module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            problem = QString::fromLocal8Bit(::dlerror());
            continue;
        }
        if (void *entry = ::dlsym(module, function))
            return {entry, {}};
        return {nullptr, QString::fromLocal8Bit(::dlerror())};
    }
    return {nullptr, problem};
}

} // namespace velmix
