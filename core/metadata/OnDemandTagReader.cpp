#include "metadata/LibraryTagReader.h"
#include "metadata/TagModule.h"

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>
#include <vector>

#include <dlfcn.h>

namespace velmix {
namespace {

// The programs' reader: Exiv2, TagLib and libheif (with the codecs libheif pulls in) take
// about as long to load as the rest of a command's start, and most starts read no tags. So
// the module holding them is loaded on the first file read, and never unloaded: the reader
// it made lives in it.
class OnDemandTagReader final : public TagReader
{
public:
    MediaTags read(const QByteArray &path) override
    {
        std::call_once(m_loaded, [this] { load(); });
        return m_reader ? m_reader->read(path) : MediaTags{};
    }

    void setOldTagText(OldTagText choice) override
    {
        // Stored before the reader is looked at, and the loader looks at it after making
        // the reader known: either way the reader gets the last choice.
        m_choice.store(choice);
        if (TagReader *reader = m_ready.load())
            reader->setOldTagText(choice);
    }

private:
    void load()
    {
        void *module = nullptr;
        QString problem;
        for (const std::filesystem::path &file : candidates()) {
            module = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (module)
                break;
            problem = QString::fromLocal8Bit(::dlerror());
        }
        auto *entry = module ? reinterpret_cast<NewTagReader *>(::dlsym(module, TagModuleEntry)) : nullptr;
        if (!entry) {
            // Names and numbers still work; only the tag fields and the date order stay empty.
            qWarning("velmix: метаданные файлов не прочитать: модуль %s не загружается (%s)", TagModuleFile,
                     qUtf8Printable(module ? QString::fromLocal8Bit(::dlerror()) : problem));
            return;
        }
        m_reader.reset(entry());
        m_ready.store(m_reader.get());
        m_reader->setOldTagText(m_choice.load());
    }

    // Beside the window's program, which sits in the private folder; from `velmix`, in
    // that folder. Found from the program's own file, never from a search path.
    static std::vector<std::filesystem::path> candidates()
    {
        std::error_code error;
        const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
        if (error)
            return {};
        const std::filesystem::path folder = self.parent_path();
        return {folder / TagModuleFile, (folder / VELMIX_PRIVATE_FROM_PROGRAM / TagModuleFile).lexically_normal()};
    }

    std::once_flag m_loaded;
    std::unique_ptr<TagReader> m_reader;
    std::atomic<TagReader *> m_ready = nullptr;
    std::atomic<OldTagText> m_choice = OldTagText::Detect;
};

} // namespace

std::unique_ptr<TagReader> makeLibraryTagReader()
{
    return std::make_unique<OnDemandTagReader>();
}

} // namespace velmix
