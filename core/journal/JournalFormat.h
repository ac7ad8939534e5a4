#pragma once

#include "FileIdentity.h"
#include "listing/FolderRules.h"

#include <QByteArray>
#include <QString>

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
    // Of an unfinished batch, the rows whose part of the plan a crash kept from being
    // written: files the batch never touched.
    qsizetype unwrittenRows = 0;
};

// The journal's records: one line each, "<type> <fields…> <CRC-32>", names in hex, so
// that a line cut short or changed is told at once.
namespace JournalFormat {

// 2: the plan may come in parts, each closed before the first of its moves.
constexpr int Version = 2;

// One record: its fields, blank-separated, and their checksum.
[[nodiscard]] QByteArray record(QByteArrayView body);
// What comes before the plan's rows; `rows` is how many the plan may hold in all.
[[nodiscard]] QByteArray header(const JournalPlan &plan, qsizetype rows);
// One part of the plan's rows and its closing record. A part's files move only once it
// is on disk, so a row a crash kept from being written is a file that did not move.
[[nodiscard]] QByteArray planPart(const std::vector<JournalRow> &rows);
// Appends the record of a move that worked.
void appendMoved(QByteArray &out, const QByteArray &from, const QByteArray &to);
void appendFound(QByteArray &out, const FoundName &found);
[[nodiscard]] QByteArray done();
// Opens a later session of records on a journal: a line an earlier one left cut short
// before it counts as torn, not as damage.
[[nodiscard]] QByteArray resumed();

enum class Depth { Full, Summary };
// With Summary, a finished journal's rows and moves are not read (its kind, folder and
// state are); anything else is read in full.
[[nodiscard]] JournalContent parse(const QByteArray &content, Depth depth = Depth::Full);

} // namespace JournalFormat
} // namespace velmix
