#include "listing/DirectoryReader.h"
#include "listing/NameSort.h"

#include "text/FileNameCodec.h"
#include "text/NameOrder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace velmix {
namespace {

// A deeper tree is a loop of bind mounts or a trap; its folders are passed over.
constexpr int DeepestLevel = 255;
// How many entries pass between two looks at the progress (as in the flat read).
constexpr int ProgressStep = 4096;

struct CloseDir
{
    void operator()(DIR *dir) const { closedir(dir); }
};

class TreeWalk
{
public:
    TreeWalk(const WildcardMask &mask, int levels, TreeEntries &entries, WorkProgress *progress, bool folderRows)
        : m_mask(mask), m_levels(levels), m_entries(entries), m_progress(progress), m_folderRows(folderRows)
    {
    }

    int run(const QString &folder)
    {
        const std::optional<QByteArray> path = FileNameCodec::encode(folder);
        if (!path)
            return EINVAL;
        const int fd = ::open(path->constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        struct stat info;
        if (fd < 0 || ::fstat(fd, &info) != 0) {
            const int error = errno;
            if (fd >= 0)
                ::close(fd);
            return error;
        }
        m_device = info.st_dev;
        m_entries.folders.append(QString());
        const int error = read(fd, 0, 0);
        if (m_progress && !m_cancelled)
            m_progress->advance(m_entries.names.size() - m_counted);
        return m_cancelled ? ECANCELED : error;
    }

private:
    // Reads the open folder `fd` (taken over) and, in name order, the folders inside it.
    int read(int fd, quint32 folder, int level)
    {
        const std::unique_ptr<DIR, CloseDir> dir(::fdopendir(fd));
        if (!dir) {
            ::close(fd);
            return errno;
        }
        std::vector<std::pair<QString, QByteArray>> inside;
        std::vector<QByteArray> folderRows; // its subfolders as rows of their own, after its files
        const qsizetype firstName = m_entries.names.size();
        int error = 0;
        for (;;) {
            errno = 0;
            const dirent *entry = ::readdir(dir.get());
            if (!entry) {
                error = errno;
                break;
            }
            take(fd, entry, folder, level, inside, folderRows);
            if (m_cancelled || lookAtProgress())
                return ECANCELED;
        }
        // Its files are the column's last names: sorted now, the column is in the tree's
        // order once the walk ends (a folder before the folders inside it).
        m_sorter.sortFrom(m_entries.names, firstName);
        if (!folderRows.empty()) {
            const qsizetype firstFolder = m_entries.names.size();
            for (const QByteArray &row : folderRows) {
                FileNameCodec::decodeAppend(row.constData(), row.size(), m_entries.names.pendingText());
                m_entries.names.closePendingName();
                m_entries.folderOfName.push_back(folder);
                m_entries.folderRow.push_back(true);
            }
            m_sorter.sortFrom(m_entries.names, firstFolder);
        }
        std::sort(inside.begin(), inside.end(), [](const auto &a, const auto &b) { return compareNames(a.first, b.first) < 0; });
        for (const auto &[name, bytes] : inside) {
            const int child = ::openat(fd, bytes.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            struct stat info;
            if (child < 0)
                continue; // no right to read it, or gone since: its files are not listed
            if (::fstat(child, &info) != 0 || info.st_dev != m_device) {
                ::close(child); // another file system: other rules, another drive
                continue;
            }
            const QString &parent = m_entries.folders[folder];
            m_entries.folders.append(parent.isEmpty() ? name : parent + u'/' + name);
            (void)read(child, quint32(m_entries.folders.size() - 1), level + 1);
            if (m_cancelled)
                return ECANCELED;
        }
        return error;
    }

    void take(int fd, const dirent *entry, quint32 folder, int level, std::vector<std::pair<QString, QByteArray>> &inside,
              std::vector<QByteArray> &folderRows)
    {
        const char *name = entry->d_name;
        const bool hidden = name[0] == '.';
        if (hidden && (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0))
            return;
        NameColumn &names = m_entries.names;
        FileNameCodec::decodeAppend(name, qsizetype(std::strlen(name)), names.pendingText());
        if (!hidden && m_mask.matches(names.pendingName()) && typeIs(fd, entry, DT_REG, S_IFREG, true)) {
            names.closePendingName();
            m_entries.folderOfName.push_back(folder);
            if (m_folderRows)
                m_entries.folderRow.push_back(false);
            return;
        }
        if (!hidden && m_folderRows && isOwnFolder(fd, entry)) {
            names.discardPendingName();
            folderRows.emplace_back(name);
            if (level == 0)
                m_entries.subfolders.append(FileNameCodec::decode(QByteArrayView(name)));
            if ((m_levels < 0 || level < m_levels) && level < DeepestLevel)
                inside.emplace_back(FileNameCodec::decode(QByteArrayView(name)), QByteArray(name));
            return;
        }
        names.discardPendingName();
        FileNameCodec::decodeAppend(name, qsizetype(std::strlen(name)), m_entries.unlisted.pendingText());
        m_entries.unlisted.closePendingName();
        m_entries.folderOfUnlisted.push_back(folder);
        if (hidden)
            return;
        if (level == 0 && typeIs(fd, entry, DT_DIR, S_IFDIR, true))
            m_entries.subfolders.append(FileNameCodec::decode(QByteArrayView(name)));
        // A link is never entered: it may lead out of the tree or round in a loop.
        if ((m_levels < 0 || level < m_levels) && level < DeepestLevel && typeIs(fd, entry, DT_DIR, S_IFDIR, false))
            inside.emplace_back(FileNameCodec::decode(QByteArrayView(name)), QByteArray(name));
    }

    // Whether the entry is of that type; a link counts as what it points to where `follow`.
    static bool typeIs(int fd, const dirent *entry, unsigned char type, mode_t mode, bool follow)
    {
        if (entry->d_type == type)
            return true;
        if (entry->d_type != DT_UNKNOWN && !(follow && entry->d_type == DT_LNK))
            return false;
        struct stat info;
        return ::fstatat(fd, entry->d_name, &info, follow ? 0 : AT_SYMLINK_NOFOLLOW) == 0 && (info.st_mode & S_IFMT) == mode;
    }

    // A folder of this file system, not a link to one: a mount point's name is not the
    // tree's to change.
    bool isOwnFolder(int fd, const dirent *entry) const
    {
        if (entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN)
            return false;
        struct stat info;
        return ::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode)
               && info.st_dev == m_device;
    }

    // Counts the files taken now and then; true once the user cancelled.
    bool lookAtProgress()
    {
        if (!m_progress || --m_untilLook > 0)
            return false;
        m_untilLook = ProgressStep;
        m_progress->advance(m_entries.names.size() - m_counted);
        m_counted = m_entries.names.size();
        m_cancelled = m_progress->cancelled();
        return m_cancelled;
    }

    const WildcardMask &m_mask;
    const int m_levels;
    TreeEntries &m_entries;
    WorkProgress *const m_progress;
    const bool m_folderRows;
    NameSorter m_sorter;
    dev_t m_device = 0;
    int m_untilLook = 1; // a cancel made before the read began is seen at the first entry
    qsizetype m_counted = 0;
    bool m_cancelled = false;
};

} // namespace

int readTree(const QString &folder, const WildcardMask &mask, int levels, TreeEntries &entries, WorkProgress *progress,
             bool folderRows)
{
    const int error = TreeWalk(mask, levels, entries, progress, folderRows).run(folder);
    std::sort(entries.subfolders.begin(), entries.subfolders.end(),
              [](const QString &a, const QString &b) { return compareNames(a, b) < 0; });
    return error;
}

} // namespace velmix
