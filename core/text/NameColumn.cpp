#include "text/NameColumn.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace velmix {

void NameColumn::clear()
{
    m_chars = QString();
    m_spans = QList<Span>();
    m_pendingStart = 0;
}

void NameColumn::append(QStringView name)
{
    m_pendingStart = m_chars.size();
    m_chars.append(name);
    closePendingName();
}

QStringView NameColumn::pendingName() const
{
    return QStringView(m_chars).mid(m_pendingStart);
}

void NameColumn::closePendingName()
{
    // Spans hold 32-bit offsets: four billion characters is far beyond any real folder.
    if (m_chars.size() > std::numeric_limits<quint32>::max())
        throw std::length_error("name column too large");
    m_spans.append(Span{quint32(m_pendingStart), quint32(m_chars.size() - m_pendingStart)});
    m_pendingStart = m_chars.size();
}

void NameColumn::discardPendingName()
{
    m_chars.truncate(m_pendingStart);
}

void NameColumn::beginRewrite(qsizetype names, qsizetype maxCharacters)
{
    if (maxCharacters > std::numeric_limits<quint32>::max())
        throw std::length_error("name column too large");
    if (!m_chars.isDetached() || !m_spans.isDetached()) {
        m_chars = QString();
        m_spans = QList<Span>();
    }
    m_chars.resize(maxCharacters);
    m_spans.resize(names); // as many as the last rewrite, nearly always: nothing to fill
    m_spanCursor = m_spans.data();
    m_writtenNames = 0;
    m_writeCursor = reinterpret_cast<char16_t *>(m_chars.data());
    m_pendingStart = 0;
}

void NameColumn::growRewrite(qsizetype atLeast)
{
    const qsizetype size = std::max(atLeast, m_chars.size() * 2);
    if (atLeast > std::numeric_limits<quint32>::max())
        throw std::length_error("name column too large");
    m_chars.resize(std::min<qsizetype>(size, std::numeric_limits<quint32>::max()));
    m_writeCursor = reinterpret_cast<char16_t *>(m_chars.data());
}

void NameColumn::endRewrite()
{
    m_chars.resize(m_pendingStart);
    m_spans.resize(m_writtenNames);
    m_writeCursor = nullptr;
    m_spanCursor = nullptr;
}

void NameColumn::reorder(std::span<const quint32> order)
{
    NameColumn ordered;
    ordered.beginRewrite(qsizetype(order.size()), totalLength());
    for (quint32 index : order)
        ordered.write({at(index)});
    ordered.endRewrite();
    *this = std::move(ordered);
}

void NameColumn::reorderFrom(qsizetype from, std::span<const quint32> order)
{
    if (from >= size())
        return;
    // The names from `from` on lie one after the other at the end of the buffer.
    const quint32 start = m_spans[from].offset;
    const Span last = m_spans.constLast();
    const std::u16string moved(reinterpret_cast<const char16_t *>(m_chars.constData()) + start, last.offset + last.length - start);
    const std::vector<Span> spans(m_spans.cbegin() + from, m_spans.cend());
    char16_t *out = reinterpret_cast<char16_t *>(m_chars.data()) + start;
    Span *span = m_spans.data() + from;
    quint32 offset = start;
    for (const quint32 index : order) {
        const Span name = spans[index - quint32(from)];
        out = std::copy_n(moved.data() + (name.offset - start), name.length, out);
        *span++ = {offset, name.length};
        offset += name.length;
    }
}

} // namespace velmix
