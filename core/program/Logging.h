#pragma once

#include <QLoggingCategory>

namespace velmix {

// Silent unless turned on, e.g. QT_LOGGING_RULES="velmix.*=true": enough for a bug report
// to show what the program saw and chose.
Q_DECLARE_LOGGING_CATEGORY(listingLog) // velmix.listing: folders read, their rules, failed reads
Q_DECLARE_LOGGING_CATEGORY(renameLog)  // velmix.rename: move methods, failed system calls
Q_DECLARE_LOGGING_CATEGORY(workLog)    // velmix.work: long work, its cancel and time

} // namespace velmix
