#pragma once

#include <QStringView>

#include <algorithm>
#include <vector>

namespace velmix {

// A name being rebuilt by the rules, unit by unit. Everything is inline and the memory
// stays from row to row, so a rule costs a few nanoseconds per character on 100,000 rows.
class TextBuffer
{
public:
    void clear() { m_size = 0; }
    // Drops what was appended after the buffer held `size` units.
    void truncate(qsizetype size) { m_size = qMin(m_size, size); }
    [[nodiscard]] qsizetype size() const { return m_size; }
    [[nodiscard]] QStringView view() const { return QStringView(m_units.data(), m_size); }

    void append(QStringView text)
    {
        reserve(m_size + text.size());
        std::copy_n(text.utf16(), text.size(), m_units.data() + m_size);
        m_size += text.size();
    }
    void append(char16_t unit)
    {
        reserve(m_size + 1);
        m_units[size_t(m_size++)] = unit;
    }
    void appendCodePoint(char32_t c)
    {
        if (!QChar::requiresSurrogates(c)) {
            append(char16_t(c));
            return;
        }
        append(QChar::highSurrogate(c));
        append(QChar::lowSurrogate(c));
    }

private:
    void reserve(qsizetype units)
    {
        if (size_t(units) > m_units.size())
            m_units.resize(std::max(size_t(units), 2 * m_units.size() + 64));
    }

    std::vector<char16_t> m_units;
    qsizetype m_size = 0;
};

} // namespace velmix
