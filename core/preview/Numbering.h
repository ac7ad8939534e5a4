#pragma once

#include "preview/FileNameTable.h"

#include <QString>
#include <QStringView>

#include <vector>

namespace velmix {

// A start or step text read as a whole decimal number in the C locale and floored. Text
// that is no such number, or that overflows a double, counts as 1.
[[nodiscard]] double fieldNumber(QStringView text);

// The running number as the general double format with at most 15 significant digits,
// zero-filled to `width` characters (after the sign of a negative value), written into
// `out`, which holds NumberTextCapacity units. Returns the length, or -1 (no text) for a
// value that is not finite.
constexpr int NumberTextCapacity = 40;
int writeNumberText(double value, int width, char16_t *out);

// The running number of each row, start + step * place (places from 0), as the numbering
// options give it; a row's place is its row, less the rows before it that take no number,
// or its place in a count that restarts.
class RunningNumber
{
public:
    RunningNumber(QStringView startText, QStringView stepText, int digitWidthIndex);

    // The rows, in increasing order, that take no number (named by hand): the others stay
    // consecutive.
    void skipRows(std::vector<qsizetype> rows) { m_skipped = std::move(rows); }
    // Each row's place given outright, where the number starts again by folder or day.
    void setPlaces(std::vector<quint32> places) { m_places = std::move(places); }
    // The width the options chose, in digits.
    [[nodiscard]] int width() const { return m_width; }
    // Writes the row's number zero-filled to `width` into `out` (NumberTextCapacity units)
    // and returns its length; from 10^15 on, a null character instead, so the row is refused.
    int write(qsizetype row, int width, char16_t *out) const;

private:
    double m_start;
    double m_step;
    int m_width;
    std::vector<qsizetype> m_skipped;
    std::vector<quint32> m_places; // empty: the row less the rows skipped before it
};

// Every new name afresh from its current name: unchanged for the base names "*" and "-",
// otherwise the base name followed by the current name's tail.
void ApplyBaseName(FileNameTable &table, const QString &baseName);

// Puts the running number between the stem and the tail of every new name.
void ApplyNumbering(FileNameTable &table, const RunningNumber &number);

[[nodiscard]] bool keepsOwnNames(QStringView baseName);

} // namespace velmix
