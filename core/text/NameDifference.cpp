#include "text/NameDifference.h"

#include <QStringList>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace velmix {
namespace {

using namespace Qt::StringLiterals;

// Beyond this many cells the table of common runs is not built.
constexpr qsizetype TableLimit = 256 * 256;

// The characters of a name as a reader sees them, as runs of units.
std::vector<TextRun> graphemes(QStringView name)
{
    std::vector<TextRun> runs;
    // Plain names need no boundary finder: a unit below the combining marks and
    // surrogates, followed by another such, ends a character.
    const auto simple = [](char16_t unit) { return unit < 0x300; };
    if (std::all_of(name.begin(), name.end(), [&](QChar c) { return simple(c.unicode()); })) {
        runs.reserve(size_t(name.size()));
        for (qsizetype i = 0; i < name.size(); ++i)
            runs.push_back({i, 1});
        return runs;
    }
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, name);
    qsizetype start = 0;
    for (qsizetype end = finder.toNextBoundary(); end > 0; end = finder.toNextBoundary()) {
        runs.push_back({start, end - start});
        start = end;
    }
    return runs;
}

bool same(QStringView a, const TextRun &x, QStringView b, const TextRun &y)
{
    return a.sliced(x.start, x.length) == b.sliced(y.start, y.length);
}

// Joins runs that touch.
void addRun(std::vector<TextRun> &runs, const TextRun &run)
{
    if (!runs.empty() && runs.back().start + runs.back().length == run.start)
        runs.back().length += run.length;
    else
        runs.push_back(run);
}

} // namespace

NameDifference differenceOf(QStringView oldName, QStringView newName)
{
    NameDifference difference;
    if (oldName == newName)
        return difference;
    const std::vector<TextRun> a = graphemes(oldName), b = graphemes(newName);
    size_t front = 0;
    while (front < a.size() && front < b.size() && same(oldName, a[front], newName, b[front]))
        ++front;
    size_t backA = a.size(), backB = b.size();
    while (backA > front && backB > front && same(oldName, a[backA - 1], newName, b[backB - 1]))
        --backA, --backB;
    const size_t rows = backA - front, columns = backB - front;
    std::vector<bool> keptA(rows, false), keptB(columns, false);
    if (rows > 0 && columns > 0 && qsizetype(rows * columns) <= TableLimit) {
        // Lengths of the longest common runs of the middles' tails, then one walk forward.
        std::vector<quint16> table((rows + 1) * (columns + 1), 0);
        const auto at = [&](size_t i, size_t j) -> quint16 & { return table[i * (columns + 1) + j]; };
        for (size_t i = rows; i-- > 0;) {
            for (size_t j = columns; j-- > 0;) {
                at(i, j) = same(oldName, a[front + i], newName, b[front + j]) ? quint16(at(i + 1, j + 1) + 1)
                                                                             : std::max(at(i + 1, j), at(i, j + 1));
            }
        }
        for (size_t i = 0, j = 0; i < rows && j < columns;) {
            if (same(oldName, a[front + i], newName, b[front + j])) {
                keptA[i++] = true;
                keptB[j++] = true;
            } else if (at(i + 1, j) >= at(i, j + 1)) {
                ++i;
            } else {
                ++j;
            }
        }
    }
    for (size_t i = 0; i < rows; ++i) {
        if (!keptA[i])
            addRun(difference.removed, a[front + i]);
    }
    for (size_t j = 0; j < columns; ++j) {
        if (!keptB[j])
            addRun(difference.added, b[front + j]);
    }
    return difference;
}

QString describeChange(QStringView oldName, QStringView newName, const NameDifference &difference)
{
    const auto quoted = [](QStringView name, const std::vector<TextRun> &runs) {
        QStringList parts;
        for (const TextRun &run : runs)
            parts.append(u"«"_s + name.sliced(run.start, run.length).toString() + u"»"_s);
        return parts.join(u", "_s);
    };
    if (!difference.added.empty())
        return u"изменено: "_s + quoted(newName, difference.added);
    if (!difference.removed.empty())
        return u"удалено: "_s + quoted(oldName, difference.removed);
    return {};
}

} // namespace velmix
