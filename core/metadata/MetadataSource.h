#pragma once

#include "metadata/DateChain.h"
#include "text/NameColumn.h"

#include <optional>
#include <vector>

namespace velmix {

// Each listed file's date and tags, once a name field or the numbering order asks for
// them; read at most once per file per listing.
class MetadataSource
{
public:
    virtual ~MetadataSource() = default;
    // Reads the files named `names[rows[i]]` of the listed folder; one entry per row,
    // empty for the rows a cancel left unread.
    [[nodiscard]] virtual std::vector<std::optional<RowMetadata>> read(const NameColumn &names,
                                                                      const std::vector<quint32> &rows) = 0;
};

} // namespace velmix
