#pragma once

#include "engine/noderec.h"
#include "engine/result.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rundel::engine {

/// Parses the node file format: header lines, a "NODE_COORD_SECTION" line, one line per node
/// ("number x y", single blanks), and an optional "EOF" line. Lines end at CR LF or LF.
class NodeTextReader {
public:
    /// Fills @p nodes (slot 0 unused) and @p node_count. A text without the section leaves
    /// the table untouched; any later failure has re-dimensioned it, and it holds what was
    /// parsed before the failing line.
    [[nodiscard]] static Status read(std::string_view text, std::vector<NodeRec>& nodes,
                                     std::int32_t& node_count);

    /// Converts one field the way node coordinates are converted: the locale's decimal
    /// separator, or "." as every node file producer writes it; the whole field must be a
    /// finite number that fits a float.
    [[nodiscard]] static bool to_float(std::string_view field, float& value);
};

} // namespace rundel::engine
