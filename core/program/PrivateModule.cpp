#include "program/PrivateModule.h"

#include <filesystem>
#include <system_error>

#include <dlfcn.h>

namespace velmix {

ModuleEntry privateModuleEntry(const char *file, const char *function)
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {nullptr, QStringLiteral("/proc/self/exe: %1").arg(QString::fromStdString(error.message()))};
    const std::filesystem::path folder = self.parent_path();
    QString problem;
    for (const std::filesystem::path &candidate : {folder / file, (folder / VELMIX_PRIVATE_FROM_PROGRAM / file).lexically_normal()}) {
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
