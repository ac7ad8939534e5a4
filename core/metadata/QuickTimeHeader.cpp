#include "metadata/QuickTimeHeader.h"

#include <QtEndian>

#include <fcntl.h>
#include <unistd.h>

namespace velmix {
namespace {

// Seconds from 1904-01-01 (the format's epoch) to 1970-01-01.
constexpr qint64 EpochOffset = 2082844800;
// A broken file must not make us walk a long chain of tiny boxes.
constexpr int BoxLimit = 256;

class Fd
{
public:
    explicit Fd(const QByteArray &path)
        : m_fd(::open(path.constData(), O_RDONLY | O_CLOEXEC))
    {
    }
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    [[nodiscard]] bool read(qint64 at, void *into, size_t size) const
    {
        return m_fd >= 0 && ::pread(m_fd, into, size, at) == ssize_t(size);
    }
    [[nodiscard]] qint64 size() const { return m_fd >= 0 ? qint64(::lseek(m_fd, 0, SEEK_END)) : -1; }

private:
    int m_fd;
};

struct Box
{
    qint64 start = 0;
    qint64 body = 0; // where its content starts
    qint64 end = 0;
    char type[4] = {};
};

// The box at `at` within `limit`; false where its header is cut or nonsensical.
bool boxAt(const Fd &file, qint64 at, qint64 limit, Box &box)
{
    uchar header[16];
    if (at + 8 > limit || !file.read(at, header, 8))
        return false;
    qint64 size = qFromBigEndian<quint32>(header);
    box.start = at;
    box.body = at + 8;
    std::copy_n(header + 4, 4, box.type);
    if (size == 1) {
        if (!file.read(at + 8, header + 8, 8))
            return false;
        size = qint64(qFromBigEndian<quint64>(header + 8));
        box.body += 8;
    } else if (size == 0) {
        size = limit - at; // runs to the end
    }
    if (size < box.body - at || size > limit - at)
        return false;
    box.end = at + size;
    return true;
}

bool isType(const Box &box, const char (&type)[5])
{
    return std::equal(box.type, box.type + 4, type);
}

// The first box of `type` between `from` and `limit`.
bool findBox(const Fd &file, qint64 from, qint64 limit, const char (&type)[5], Box &found)
{
    for (int i = 0; i < BoxLimit && boxAt(file, from, limit, found); ++i) {
        if (isType(found, type))
            return true;
        from = found.end;
    }
    return false;
}

} // namespace

QDateTime quickTimeCreation(const QByteArray &path)
{
    const Fd file(path);
    const qint64 size = file.size();
    Box moov, mvhd;
    if (size <= 0 || !findBox(file, 0, size, "moov", moov) || !findBox(file, moov.body, moov.end, "mvhd", mvhd))
        return {};
    uchar head[12];
    if (mvhd.end - mvhd.body < 12 || !file.read(mvhd.body, head, sizeof head))
        return {};
    const qint64 seconds = head[0] == 1 ? qint64(qFromBigEndian<quint64>(head + 4)) : qFromBigEndian<quint32>(head + 4);
    if (seconds <= EpochOffset) // unset (0), or before 1970: not a camera's date
        return {};
    const QDateTime local = QDateTime::fromSecsSinceEpoch(seconds - EpochOffset, Qt::UTC).toLocalTime();
    return wallClock(local.date(), local.time());
}

} // namespace velmix
