#include "program/Logging.h"

namespace velmix {

Q_LOGGING_CATEGORY(listingLog, "velmix.listing", QtWarningMsg)
Q_LOGGING_CATEGORY(renameLog, "velmix.rename", QtWarningMsg)
Q_LOGGING_CATEGORY(workLog, "velmix.work", QtWarningMsg)

} // namespace velmix
