#pragma once

#include <QString>

namespace velmix {
class BusyPointer;
}

// The figures of a tree: 100,000 files in 1,000 folders, two levels deep.
struct TreeFigures
{
    double listMs = 0;
    double listFloorMs = 0;
    double applyMs = 0;
    double applyBareMs = 0;
};

// Makes the tree under `path`, measures the listing with subfolders against a floor of
// openat and getdents over the same tree, and the journaled apply (in a child process, see
// treeApplyChild) against a plain loop of renameat2 per folder; removes the tree.
[[nodiscard]] TreeFigures treeFigures(const QString &path, velmix::BusyPointer &busy, int runs);

// Run in a child process whose heap is readied as the command line's: lists the tree at
// `path`, upper-cases its names with the journal and back, `runs` times in turn with the
// plain loop, and prints the two medians in milliseconds.
int treeApplyChild(const QString &path, int runs);
// Run in a child process: lists and previews the tree at `path` with subfolders, prints the
// peak resident memory in KiB.
int treePeakMemoryChild(const QString &path);
// Makes the tree of `files` files (none: an empty folder) for the memory figure.
void makeTree(const QString &path, int files);
constexpr int TreeFiles = 100000;
