#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <initializer_list>
#include <span>

namespace velmix {

// One column of names kept in a single character buffer with one span per name, so a
// million names cost two allocations instead of a million. Copies share the buffer
// (implicit sharing): a new-name column that equals the current names costs nothing
// until a transform writes to it.
class NameColumn
{
public:
    [[nodiscard]] qsizetype size() const { return m_spans.size(); }
    [[nodiscard]] bool isEmpty() const { return m_spans.isEmpty(); }
    [[nodiscard]] QStringView at(qsizetype index) const
    {
        const Span span = m_spans[index];
        return QStringView(m_chars).mid(span.offset, span.length);
    }
    [[nodiscard]] qsizetype totalLength() const { return m_chars.size(); }
    [[nodiscard]] bool sharesStorageWith(const NameColumn &other) const
    {
        return m_chars.constData() == other.m_chars.constData() && !m_chars.isNull();
    }

    void clear();
    void append(QStringView name);

    // Writes a whole new set of names over this column, in the memory it already holds
    // where nobody shares it: a preview rebuilt on every key release then reuses the same
    // pages instead of faulting in fresh ones. `names` is how many names are written,
    // `maxCharacters` bounds their characters.
    void beginRewrite(qsizetype names, qsizetype maxCharacters);
    void write(std::initializer_list<QStringView> parts)
    {
        const qsizetype start = m_pendingStart;
        for (QStringView part : parts) {
            Q_ASSERT(m_pendingStart + part.size() <= m_chars.size()); // within beginRewrite's bound
            std::copy_n(part.utf16(), part.size(), m_writeCursor + m_pendingStart);
            m_pendingStart += part.size();
        }
        // Into the spans beginRewrite sized: a store, where QList's append checks its
        // sharing and room on every name.
        Q_ASSERT(m_writtenNames < m_spans.size()); // no more names than beginRewrite said
        m_spanCursor[m_writtenNames++] = Span{quint32(start), quint32(m_pendingStart - start)};
    }
    // Like write(), for a name whose length no bound foresaw: the buffer grows to take it.
    void writeGrowing(QStringView name)
    {
        if (m_pendingStart + name.size() > m_chars.size())
            growRewrite(m_pendingStart + name.size());
        write({name});
    }
    void endRewrite();

    // Appends raw text as the start of a name whose end is fixed later by
    // closePendingName() or dropped by discardPendingName(); lets the listing decode a
    // name in place and keep it only when the mask matches.
    [[nodiscard]] QString &pendingText() { return m_chars; }
    [[nodiscard]] QStringView pendingName() const;
    void closePendingName();
    void discardPendingName();

    // Puts the names in the given order, laid out front to back: every later pass over a
    // large folder then reads memory in sequence instead of jumping across it.
    void reorder(std::span<const quint32> order);
    // The same for the names from `from` on, in place: `order` lists each of their
    // positions once.
    void reorderFrom(qsizetype from, std::span<const quint32> order);

    // Rewrites the names from `from` up to `to` in place; `edit` gets a pointer to the
    // name's first unit and its length, and must not change the length. Two threads may
    // edit rows of their own at once after detach().
    template<typename Edit>
    void editRows(qsizetype from, qsizetype to, Edit edit)
    {
        char16_t *chars = reinterpret_cast<char16_t *>(m_chars.data());
        for (qsizetype row = from; row < to; ++row) {
            const Span span = std::as_const(m_spans)[row];
            edit(chars + span.offset, qsizetype(span.length));
        }
    }
    // Takes a copy of the characters of its own where another column shares them.
    void detach() { m_chars.detach(); }

private:
    struct Span
    {
        quint32 offset;
        quint32 length;
    };
    void growRewrite(qsizetype atLeast);

    QString m_chars;
    QList<Span> m_spans;
    qsizetype m_pendingStart = 0;
    char16_t *m_writeCursor = nullptr;
    Span *m_spanCursor = nullptr; // the spans' memory while a rewrite is under way
    qsizetype m_writtenNames = 0;
};

} // namespace velmix
