#include "metadata/OldTagText.h"

namespace velmix {
namespace {

// cp1251's bytes 0x80 to 0xBF; from 0xC0 on it is А to я in order.
constexpr char16_t Cp1251Middle[64] = {
    u'\u0402', u'\u0403', u'\u201A', u'\u0453', u'\u201E', u'\u2026', u'\u2020', u'\u2021', u'\u20AC', u'\u2030',
    u'\u0409', u'\u2039', u'\u040A', u'\u040C', u'\u040B', u'\u040F', u'\u0452', u'\u2018', u'\u2019', u'\u201C',
    u'\u201D', u'\u2022', u'\u2013', u'\u2014', u'\uFFFD', u'\u2122', u'\u0459', u'\u203A', u'\u045A', u'\u045C',
    u'\u045B', u'\u045F', u'\u00A0', u'\u040E', u'\u045E', u'\u0408', u'\u00A4', u'\u0490', u'\u00A6', u'\u00A7',
    u'\u0401', u'\u00A9', u'\u0404', u'\u00AB', u'\u00AC', u'\u00AD', u'\u00AE', u'\u0407', u'\u00B0', u'\u00B1',
    u'\u0406', u'\u0456', u'\u0491', u'\u00B5', u'\u00B6', u'\u00B7', u'\u0451', u'\u2116', u'\u0454', u'\u00BB',
    u'\u0458', u'\u0405', u'\u0455', u'\u0457'};

constexpr uchar CapitalYo = 0xA8;
constexpr uchar SmallYo = 0xB8;

bool isRussianByte(uchar b)
{
    return b >= 0xC0 || b == CapitalYo || b == SmallYo;
}

bool isPlainLetter(uchar b)
{
    return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z');
}

} // namespace

bool readsAsCp1251(QByteArrayView bytes)
{
    int russianWords = 0, latinWords = 0, russianLetters = 0, plainLetters = 0;
    int high = 0, plain = 0; // letters of the word so far
    const auto endWord = [&] {
        // A lone letter proves nothing: "à" is a French word, "я" a Russian one.
        if (high >= 2 && plain == 0)
            ++russianWords;
        else if (high > 0 && plain > 0)
            ++latinWords;
        high = plain = 0;
    };
    for (const char c : bytes) {
        const auto b = uchar(c);
        if (isRussianByte(b)) {
            ++high;
            ++russianLetters;
        } else if (isPlainLetter(b)) {
            ++plain;
            ++plainLetters;
        } else {
            endWord();
        }
    }
    endWord();
    if (russianWords == 0 && latinWords == 0)
        return russianLetters > 0 && plainLetters == 0; // "Я", "В и Ж"
    return russianWords > latinWords;
}

QString oldTagText(QByteArrayView bytes, OldTagText choice)
{
    const bool cp1251 = choice == OldTagText::Cp1251 || (choice == OldTagText::Detect && readsAsCp1251(bytes));
    if (!cp1251)
        return QString::fromLatin1(bytes);
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = uchar(c);
        if (b < 0x80)
            text.append(QLatin1Char(char(b)));
        else if (b < 0xC0)
            text.append(QChar(Cp1251Middle[b - 0x80]));
        else
            text.append(QChar(char16_t(u'А' + (b - 0xC0))));
    }
    return text;
}

} // namespace velmix
