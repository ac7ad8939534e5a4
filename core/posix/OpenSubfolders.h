#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <QHash>

#include <utility>

namespace velmix {

// The folders below one open folder that a batch's paths ("a/b/name") lead through, each
// opened once, from its parent and without following a link, and kept open: every call
// then works on the last part of the path alone, and no link leads it out of the folder.
// A folder moved or removed through this class is closed with all below it, so a later
// path through its old name is looked up again instead of reaching it where it went.
class OpenSubfolders
{
public:
    // Where a name lies: the open folder it is in and its last part.
    struct Place
    {
        int folderFd;
        const char *name;
        int error; // 0, or why the folders on its way cannot be opened
    };

    // `rootFd` stays the caller's.
    explicit OpenSubfolders(int rootFd) : m_rootFd(rootFd) {}
    ~OpenSubfolders();
    OpenSubfolders(const OpenSubfolders &) = delete;
    OpenSubfolders &operator=(const OpenSubfolders &) = delete;

    // `path` must outlive the answer's use, and the answer the next call.
    [[nodiscard]] Place place(const QByteArray &path);
    // Both at once: the first stays good while the second is looked up.
    [[nodiscard]] std::pair<Place, Place> places(const QByteArray &from, const QByteArray &to);
    // After `path`, found at `where`, was moved or removed: forgets it, if it was a
    // folder, and all inside it.
    void forget(const QByteArray &path, const Place &where);

private:
    [[nodiscard]] Place lookUp(const QByteArray &path);
    [[nodiscard]] int opened(QByteArrayView folder, int &error);
    void keepFewOpen();
    void closeAll();

    const int m_rootFd;
    QHash<QByteArray, int> m_open; // by path below the root; a folder's parent is open too
    // The folder of the last call, looked up without hashing while a batch stays in it.
    QByteArray m_lastFolder;
    int m_lastFd = -1;
    bool m_lastHoldsOpen = false; // whether a folder inside the last one is open
};

} // namespace velmix
