#pragma once

#include "rules/NameRules.h"
#include "rules/TextBuffer.h"

#include <QStringView>

#include <memory>

namespace velmix {

// Cyrillic to Latin by one scheme. GOST 7.79-2000 system B and the passport scheme (ICAO
// 9303) are tables of our own, for Russian letters; BGN/PCGN is ICU's "Russian-Latin/BGN",
// whose rules depend on the letters around. Everything that is not Cyrillic stays.
class Transliterator
{
public:
    explicit Transliterator(Transliteration scheme = Transliteration::Off);
    ~Transliterator();
    Transliterator(Transliterator &&) noexcept;
    Transliterator &operator=(Transliterator &&) noexcept;

    [[nodiscard]] bool isOn() const { return m_scheme != Transliteration::Off; }
    // Whether appendLatin() would give anything but `text` itself: some letter the scheme
    // spells in Latin.
    [[nodiscard]] bool changes(QStringView text) const;
    void appendLatin(QStringView text, TextBuffer &out) const;

private:
    void appendFromTable(QStringView text, TextBuffer &out) const;
    void appendFromIcu(QStringView text, TextBuffer &out) const;

    struct IcuRules; // ICU's transliterator, kept out of this header
    Transliteration m_scheme;
    std::unique_ptr<IcuRules> m_icu;
};

} // namespace velmix
