#include "metadata/LibraryTagReader.h"
#include "metadata/TagModule.h"
#include "program/PrivateModule.h"

#include <atomic>
#include <memory>
#include <mutex>

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
        const ModuleEntry module = privateModuleEntry(TagModuleFile, TagModuleEntry);
        if (!module.function) {
            // Names and numbers still work; only the tag fields and the date order stay empty.
            qWarning("velmix: метаданные файлов не прочитать: модуль %s не загружается (%s)", TagModuleFile,
                     qUtf8Printable(module.problem));
            return;
        }
        m_reader.reset(reinterpret_cast<NewTagReader *>(module.function)());
        m_ready.store(m_reader.get());
        m_reader->setOldTagText(m_choice.load());
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
