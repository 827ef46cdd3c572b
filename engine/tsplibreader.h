#pragma once

#include "engine/problem.h"
#include "engine/result.h"

#include <cstdint>
#include <string_view>

namespace rundel::engine {

/// Reads TSPLIB 95 files of the types TSP and ATSP as the library defines them.
///
/// Header lines "KEY : VALUE" (blanks around the colon optional) in any order: TYPE (TSP or
/// ATSP), DIMENSION, EDGE_WEIGHT_TYPE (EUC_2D, CEIL_2D, ATT, GEO or EXPLICIT) and, for EXPLICIT,
/// EDGE_WEIGHT_FORMAT (FULL_MATRIX, UPPER_ROW, LOWER_ROW, UPPER_DIAG_ROW, LOWER_DIAG_ROW and
/// their column twins); NAME, COMMENT and other keys are not read. Then NODE_COORD_SECTION
/// (a line "number x y" per node, numbered 1 to DIMENSION in any order, any white space
/// between), EDGE_WEIGHT_SECTION (the numbers of the format, wrapping across lines in any way),
/// an optional DISPLAY_DATA_SECTION and an optional "EOF" line. Anything else is refused with
/// a message that names the line.
class TsplibReader {
public:
    /// The largest matrix read: 10,000 nodes are 400 MB of costs.
    static constexpr std::int32_t kMaxMatrixNodes = 10000;

    /// True when the header of @p text (the lines before its first section) declares an
    /// EDGE_WEIGHT_TYPE: the text is then read here; without one it is a plain node file.
    [[nodiscard]] static bool declares_weights(std::string_view text);

    [[nodiscard]] static Result<Problem> read(std::string_view text);
};

} // namespace rundel::engine
