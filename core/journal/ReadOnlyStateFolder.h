#pragma once

#include "StateFolder.h"

#include <cerrno>

namespace velmix {

// The state folder as a dry run sees it: read, never changed. A journal that cannot be
// trusted is told and left where it is; nothing is made, set aside or removed.
class ReadOnlyStateFolder : public StateFolder
{
public:
    explicit ReadOnlyStateFolder(StateFolder &folder)
        : m_folder(folder)
    {
    }
    [[nodiscard]] QString path() const override { return m_folder.path(); }
    std::unique_ptr<StateFile> create(const QString &, int &error) override
    {
        error = EROFS;
        return nullptr;
    }
    std::unique_ptr<StateFile> reopen(const QString &, int &error) override
    {
        error = EROFS;
        return nullptr;
    }
    [[nodiscard]] QStringList journals() override { return m_folder.journals(); }
    int read(const QString &name, QByteArray &content) override { return m_folder.read(name, content); }
    int readEnds(const QString &name, qsizetype headBytes, qsizetype tailBytes, QByteArray &head, QByteArray &tail) override
    {
        return m_folder.readEnds(name, headBytes, tailBytes, head, tail);
    }
    [[nodiscard]] bool heldElsewhere(const QString &name) override { return m_folder.heldElsewhere(name); }
    int rename(const QString &, const QString &) override { return EROFS; }
    int remove(const QString &) override { return EROFS; }

private:
    StateFolder &m_folder;
};

} // namespace velmix
