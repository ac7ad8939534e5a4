#include "metadata/HeifBoxes.h"

namespace velmix {
namespace {

// Reads big-endian numbers of 0 to 8 bytes, every read checked against the end.
class Reader
{
public:
    explicit Reader(QByteArrayView data) : m_data(data) {}
    [[nodiscard]] bool ok() const { return m_ok; }
    [[nodiscard]] qsizetype at() const { return m_at; }
    quint64 number(int bytes)
    {
        if (bytes < 0 || bytes > 8 || m_at + bytes > m_data.size()) {
            m_ok = false;
            return 0;
        }
        quint64 value = 0;
        for (int i = 0; i < bytes; ++i)
            value = value << 8 | uchar(m_data[m_at++]);
        return value;
    }

private:
    QByteArrayView m_data;
    qsizetype m_at = 0;
    bool m_ok = true;
};

// Calls `box(type, body)` for each box in `data` until it returns true; false where none
// did or a box runs past the data.
template<typename Box>
bool eachBox(QByteArrayView data, Box box)
{
    while (data.size() >= 8) {
        Reader reader(data);
        quint64 size = reader.number(4);
        const QByteArrayView type = data.sliced(4, 4);
        (void)reader.number(4);
        if (size == 1)
            size = reader.number(8);
        else if (size == 0)
            size = quint64(data.size()); // the last box, to the end
        const qsizetype header = reader.at();
        if (!reader.ok() || size < quint64(header) || size > quint64(data.size()))
            return false;
        if (box(type, data.sliced(header, qsizetype(size) - header)))
            return true;
        data = data.sliced(qsizetype(size));
    }
    return false;
}

} // namespace

std::optional<FileRange> heifExifRange(QByteArrayView head)
{
    QByteArrayView meta;
    if (!eachBox(head, [&](QByteArrayView type, QByteArrayView body) {
            if (type != "meta")
                return false;
            meta = body.size() >= 4 ? body.sliced(4) : QByteArrayView(); // after its version and flags
            return true;
        }))
        return std::nullopt;
    QByteArrayView iinf, iloc;
    (void)eachBox(meta, [&](QByteArrayView type, QByteArrayView body) {
        if (type == "iinf")
            iinf = body;
        else if (type == "iloc")
            iloc = body;
        return false;
    });
    // The item info: each infe box (version 2 or 3) names an item's type.
    std::optional<quint64> exifItem;
    const qsizetype firstEntry = iinf.size() > 0 && iinf[0] == 0 ? 6 : 8; // after the version and the count
    if (iinf.size() < firstEntry)
        return std::nullopt;
    (void)eachBox(iinf.sliced(firstEntry), [&](QByteArrayView type, QByteArrayView body) {
        Reader infe(body);
        const quint64 version = infe.number(1);
        (void)infe.number(3);
        if (type != "infe" || version < 2)
            return false;
        const quint64 id = infe.number(version == 2 ? 2 : 4);
        (void)infe.number(2); // protection index
        if (infe.ok() && infe.at() + 4 <= body.size() && body.sliced(infe.at(), 4) == "Exif")
            exifItem = id;
        return exifItem.has_value();
    });
    if (!exifItem)
        return std::nullopt;
    // The item locations: the EXIF item in one extent of this file.
    Reader r(iloc);
    const quint64 version = r.number(1);
    (void)r.number(3);
    const quint64 sizes = r.number(1), moreSizes = r.number(1);
    const int offsetSize = int(sizes >> 4), lengthSize = int(sizes & 15), baseSize = int(moreSizes >> 4);
    const int indexSize = version == 1 || version == 2 ? int(moreSizes & 15) : 0;
    const quint64 items = r.number(version < 2 ? 2 : 4);
    for (quint64 item = 0; r.ok() && item < items; ++item) {
        const quint64 id = r.number(version < 2 ? 2 : 4);
        const quint64 method = version == 1 || version == 2 ? r.number(2) & 15 : 0;
        const quint64 dataReference = r.number(2);
        const quint64 base = r.number(baseSize);
        const quint64 extents = r.number(2);
        quint64 offset = 0, length = 0;
        for (quint64 extent = 0; r.ok() && extent < extents; ++extent) {
            (void)r.number(indexSize);
            offset = r.number(offsetSize);
            length = r.number(lengthSize);
        }
        if (r.ok() && id == *exifItem) {
            if (method != 0 || dataReference != 0 || extents != 1 || length == 0 || length > MaxHeifExifSize)
                return std::nullopt;
            return FileRange{base + offset, length};
        }
    }
    return std::nullopt;
}

} // namespace velmix
