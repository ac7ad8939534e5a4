#pragma once

#include "FileIdentity.h"
#include "listing/FolderRules.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace velmix {

// One file of a batch as planned: its name before, its name after, and what it is.
struct JournalRow
{
    QByteArray from;
    QByteArray to;
    FileIdentity identity;
    // Whether no other entry held the new name when the batch was planned: only then can
    // an empty file found there be a placeholder the move left.
    bool targetFree = true;
    // Whether `identity` was written before the file's move. The whole batch is written
    // before the first move and the identities follow in parts, each before its moves: a
    // row whose part a crash cut short is a file that did not move, one looked at and not
    // found was not there to move.
    enum class Seen { File, NotThere, NotYet };
    Seen seen = Seen::File;
};

enum class BatchKind { Apply, Undo };

// Where a repair found a file whose last moves the journal missed: row `row` of the plan
// is under `name`. Found names stand all at once, so cycles among them need no order.
struct FoundName
{
    size_t row;
    QByteArray name;
};

struct JournalPlan
{
    BatchKind kind = BatchKind::Apply;
    QString undoes; // for an undo, the journal of the apply it takes back
    QByteArray folder;
    FolderRules rules;
    std::vector<JournalRow> rows;
};

// What a journal file says.
struct JournalContent
{
    enum class State {
        Finished,   // the batch ended
        Unfinished, // the plan is whole, the end mark missing: files may have moved
        NotStarted, // the plan was cut short, so no file was moved
        Damaged,
        Newer, // written by a later version of the program
    };
    State state = State::Damaged;
    JournalPlan plan;
    // Per row, the name the records leave the file under (read in full only).
    std::vector<QByteArray> namesNow;
};

// The journal's records: one line each, "<type> <fields…> <CRC-32>", so that a line cut
// short or changed is told at once. The batch's names are written as they are, blanks,
// line ends and backslashes escaped; other names in hex.
namespace JournalFormat {

// 2: the plan may come in parts, each closed before the first of its moves.
// 3: the whole batch's names first, the files' identities in parts.
// 4: a name may be a path below the batch's folder (a batch over its subfolders).
// 5: a move's names as the batch's names are written, not in hex (half the bytes, written
//    by the mover between its moves).
// 6: the moves made under their rows' planned names as runs of row numbers (a large
//    batch's moves are then a few kilobytes, not megabytes to sync at its end); a row
//    within one folder below the batch's as its last parts, the folder given once.
constexpr int Version = 6;

// Whether a name read from a journal stays inside the batch's folder: not empty, not
// absolute, and no part of it empty, "." or "..". A journal whose names do not is damaged:
// a repair or an undo must never move a file elsewhere.
[[nodiscard]] bool staysInFolder(const QByteArray &name);

// One record: its fields, blank-separated, and their checksum.
[[nodiscard]] QByteArray record(QByteArrayView body);
// What comes before the plan's rows; `rows` is how many the plan may hold in all.
[[nodiscard]] QByteArray header(const JournalPlan &plan, qsizetype rows);
// A row's names as the batch's first records give them, pointing into names kept elsewhere:
// a large batch's plan is not copied for them.
struct NameRow
{
    const QByteArray *from;
    const QByteArray *to;
    bool targetFree;
};
// Every row's names and whether its new name was free, then the mark that they are all
// there: nothing moves before that is on disk.
[[nodiscard]] QByteArray wholeBatch(const std::vector<NameRow> &rows);
[[nodiscard]] QByteArray wholeBatch(const std::vector<JournalRow> &rows);
// The identities of the files of rows up to `covered` (by index) and the part's closing
// record. A part's files move only once it is on disk.
[[nodiscard]] QByteArray identityPart(const std::vector<std::pair<size_t, FileIdentity>> &seen, size_t covered);
// Appends the record of a move that worked.
void appendMoved(QByteArray &out, const QByteArray &from, const QByteArray &to);
// The same for the moves of the rows `first` to `first + count - 1` (by index), in that
// order, each from its planned name to its new one.
void appendMovedRows(QByteArray &out, size_t first, size_t count);
void appendFound(QByteArray &out, const FoundName &found);
[[nodiscard]] QByteArray done();
// Opens a later session of records on a journal: a line an earlier one left cut short
// before it counts as torn, not as damage.
[[nodiscard]] QByteArray resumed();

[[nodiscard]] JournalContent parse(const QByteArray &content);
// A finished journal's kind, folder and state from its first bytes (`head`, its header
// in whole lines) and its last (`tail`, ending in the end mark), its rows not read: what
// a start needs of the history. Nothing where these do not tell a finished journal:
// it is then to be read in full.
[[nodiscard]] std::optional<JournalContent> finishedSummary(const QByteArray &head, const QByteArray &tail);
// What finishedSummary reads of each end.
constexpr qsizetype SummaryHeadBytes = 16384; // the header's hex folder: up to 8 KiB
constexpr qsizetype SummaryTailBytes = 64;

} // namespace JournalFormat
} // namespace velmix
