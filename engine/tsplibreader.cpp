#include "engine/tsplibreader.h"

#include "engine/textlines.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace rundel::engine {
namespace {

enum class Format { Full, UpperRow, LowerRow, UpperDiagRow, LowerDiagRow };

struct Header {
    bool atsp = false;
    std::int32_t dimension = 0; ///< 0 until read
    std::optional<EdgeWeight> weight;
    std::optional<Format> format;
    bool coordinates = false; ///< NODE_COORD_SECTION read
    bool display = false;     ///< DISPLAY_DATA_SECTION read
    bool weights = false;     ///< EDGE_WEIGHT_SECTION read
};

constexpr std::string_view kBlanks = " \t\r";

std::string_view trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

/// The text read line by line, and a section's numbers token by token across lines.
class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    /// The next line (without its line end); false at the end of the text.
    bool line(std::string_view& out) {
        if (pos_ >= text_.size()) {
            return false;
        }
        const std::size_t nl = text_.find('\n', pos_);
        const std::size_t end = nl == std::string_view::npos ? text_.size() : nl;
        out = text_.substr(pos_, end - pos_);
        if (!out.empty() && out.back() == '\r') {
            out.remove_suffix(1);
        }
        last_line_ = line_;
        pos_ = end + 1;
        ++line_;
        return true;
    }

    /// The next blank-separated token, which may be on a later line; false at the end.
    bool token(std::string_view& out) {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '\n') {
                ++line_;
            } else if (c != ' ' && c != '\t' && c != '\r') {
                break;
            }
            ++pos_;
        }
        if (pos_ >= text_.size()) {
            return false;
        }
        const std::size_t end = std::min(text_.find_first_of(" \t\r\n", pos_), text_.size());
        out = text_.substr(pos_, end - pos_);
        last_line_ = line_;
        pos_ = end;
        return true;
    }

    /// Moves past the rest of the line the last token stood on; false when it held more.
    bool rest_of_line_is_blank() {
        std::string_view rest;
        const std::size_t line = line_;
        const bool at_line_start = pos_ > 0 && pos_ <= text_.size() && text_[pos_ - 1] == '\n';
        if (at_line_start || !this->line(rest)) {
            return true;
        }
        last_line_ = line;
        return trim(rest).empty();
    }

    /// The number of the line the last line or token came from.
    [[nodiscard]] std::size_t line_number() const { return last_line_; }
    [[nodiscard]] std::size_t remaining() const {
        return pos_ < text_.size() ? text_.size() - pos_ : 0;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
    std::size_t last_line_ = 0;
};

Status fail_at(std::size_t line, std::string_view what, std::string_view text) {
    return Status::failure(line_message(line, what, text));
}

Status fail(std::string_view what) {
    return Status::failure("ノードファイル: " + std::string(what));
}

template <typename T> bool parse_whole(std::string_view field, T& value) {
    const auto [ptr, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
    if constexpr (std::is_floating_point_v<T>) {
        if (ec == std::errc{} && !std::isfinite(value)) {
            return false;
        }
    }
    return ec == std::errc{} && ptr == field.data() + field.size() && !field.empty();
}

std::optional<EdgeWeight> weight_named(std::string_view name) {
    if (name == "EUC_2D") {
        return EdgeWeight::Euc2D;
    }
    if (name == "CEIL_2D") {
        return EdgeWeight::Ceil2D;
    }
    if (name == "ATT") {
        return EdgeWeight::Att;
    }
    if (name == "GEO") {
        return EdgeWeight::Geo;
    }
    if (name == "EXPLICIT") {
        return EdgeWeight::Explicit;
    }
    return std::nullopt;
}

std::optional<Format> format_named(std::string_view name) {
    // A column format of a symmetric matrix lists the same numbers as the row format of the
    // other triangle.
    if (name == "FULL_MATRIX") {
        return Format::Full;
    }
    if (name == "UPPER_ROW" || name == "LOWER_COL") {
        return Format::UpperRow;
    }
    if (name == "LOWER_ROW" || name == "UPPER_COL") {
        return Format::LowerRow;
    }
    if (name == "UPPER_DIAG_ROW" || name == "LOWER_DIAG_COL") {
        return Format::UpperDiagRow;
    }
    if (name == "LOWER_DIAG_ROW" || name == "UPPER_DIAG_COL") {
        return Format::LowerDiagRow;
    }
    return std::nullopt;
}

/// Takes one "KEY : VALUE" line into the header.
Status apply_key(std::string_view key, std::string_view value, Header& header, std::size_t line,
                 std::string_view text) {
    const bool has_data = header.coordinates || header.weights || header.display;
    if (key == "TYPE") {
        if (value != "TSP" && value != "ATSP") {
            return fail_at(line, "TYPE は TSP か ATSP だけです", text);
        }
        header.atsp = value == "ATSP";
    } else if (key == "DIMENSION") {
        std::int64_t dimension = 0;
        if (header.dimension != 0 || has_data) {
            return fail_at(line, "DIMENSION はセクションの前に一度だけ書きます", text);
        }
        if (!parse_whole(value, dimension) || dimension < 1 ||
            dimension > std::numeric_limits<std::int32_t>::max() - 1) {
            return fail_at(line, "DIMENSION が正の整数ではないか大きすぎます", text);
        }
        header.dimension = static_cast<std::int32_t>(dimension);
    } else if (key == "EDGE_WEIGHT_TYPE") {
        header.weight = weight_named(value);
        if (!header.weight) {
            return fail_at(
                line, "対応していない EDGE_WEIGHT_TYPE です (EUC_2D, CEIL_2D, ATT, GEO, EXPLICIT)",
                text);
        }
    } else if (key == "EDGE_WEIGHT_FORMAT") {
        header.format = format_named(value);
        if (!header.format) {
            return fail_at(line, "対応していない EDGE_WEIGHT_FORMAT です", text);
        }
    } else if (key == "NODE_COORD_TYPE" && value == "THREED_COORDS") {
        return fail_at(line, "3次元の座標には対応していません", text);
    }
    return std::monostate{}; // NAME, COMMENT, DISPLAY_DATA_TYPE and keys of other problems
}

/// The smallest text a section of @p numbers numbers can be: one digit and one separator each.
bool too_short_for(const Scanner& in, std::uint64_t numbers) {
    return in.remaining() / 2 + 1 < numbers;
}

/// Reads "number x y" lines into @p nodes (slot 0 unused) and, when asked, @p exact.
Status read_nodes(Scanner& in, const Header& header, std::size_t section_line,
                  std::vector<NodeRec>& nodes, std::vector<Point>* exact) {
    const auto count = static_cast<std::size_t>(header.dimension);
    if (too_short_for(in, std::uint64_t{count} * 3)) {
        return fail_at(section_line, "ノードの行が DIMENSION より少なくなっています",
                       std::to_string(count));
    }
    nodes.assign(count + 1, NodeRec{});
    if (exact != nullptr) {
        exact->assign(count, Point{});
    }
    std::vector<bool> seen(count + 1, false);
    std::string_view line;
    for (std::size_t read = 0; read < count;) {
        if (!in.line(line)) {
            return fail_at(in.line_number(), "ノードの行が DIMENSION より少なくなっています", "");
        }
        const std::size_t number_line = in.line_number();
        Scanner fields(line);
        std::string_view f[4];
        std::size_t n = 0;
        while (n < 4 && fields.token(f[n])) {
            ++n;
        }
        if (n == 0) {
            continue; // a blank line
        }
        std::int64_t number = 0;
        if (n != 3 || !parse_whole(f[0], number)) {
            return fail_at(number_line,
                           read < count
                               ? "ノードの行 (番号 x y) が DIMENSION より少ないか形が違います"
                               : "ノードの行の形が違います",
                           line);
        }
        if (number < 1 || static_cast<std::size_t>(number) > count ||
            seen[static_cast<std::size_t>(number)]) {
            return fail_at(number_line, "ノード番号が 1 から DIMENSION の外にあるか重複しています",
                           line);
        }
        NodeRec& node = nodes[static_cast<std::size_t>(number)];
        Point point;
        if (!parse_whole(f[1], node.x) || !parse_whole(f[2], node.y) ||
            !parse_whole(f[1], point.x) || !parse_whole(f[2], point.y)) {
            return fail_at(number_line, "座標が数値ではないか範囲外です", line);
        }
        if (exact != nullptr) {
            if (header.weight == EdgeWeight::Geo) {
                point = {tsplib::geo_radians(point.x), tsplib::geo_radians(point.y)};
            }
            (*exact)[static_cast<std::size_t>(number) - 1] = point;
        }
        seen[static_cast<std::size_t>(number)] = true;
        ++read;
    }
    return std::monostate{};
}

std::uint64_t numbers_of(Format format, std::uint64_t n) {
    switch (format) {
    case Format::Full:
        return n * n;
    case Format::UpperRow:
    case Format::LowerRow:
        return n * (n - 1) / 2;
    case Format::UpperDiagRow:
    case Format::LowerDiagRow:
        return n * (n + 1) / 2;
    }
    return 0;
}

/// Reads the numbers of an EDGE_WEIGHT_SECTION into @p matrix.
Status read_weights(Scanner& in, const Header& header, Format format, std::size_t section_line,
                    CostMatrix& matrix) {
    const std::int32_t n = header.dimension;
    if (n > TsplibReader::kMaxMatrixNodes) {
        return fail_at(section_line,
                       "行列が大きすぎます (DIMENSION の上限 " +
                           std::to_string(TsplibReader::kMaxMatrixNodes) + ")",
                       std::to_string(n));
    }
    const std::uint64_t wanted = numbers_of(format, static_cast<std::uint64_t>(n));
    if (too_short_for(in, wanted)) {
        return fail_at(section_line,
                       "EDGE_WEIGHT_SECTION の数が足りません (" + std::to_string(wanted) + " 個)",
                       "");
    }
    matrix = CostMatrix(n);
    std::string_view token;
    const auto take = [&](std::int32_t from, std::int32_t to, std::uint64_t index) -> Status {
        double value = 0;
        // A keyword where a number should be is the end of a section that is too short.
        if (!in.token(token) || token == "EOF" || token.ends_with("_SECTION")) {
            return fail_at(in.line_number(),
                           "EDGE_WEIGHT_SECTION の数が足りません (" + std::to_string(wanted) +
                               " 個のうち " + std::to_string(index) + " 個)",
                           "");
        }
        if (!parse_whole(token, value)) {
            return fail_at(in.line_number(), "重みが数値ではありません", token);
        }
        if (from == to) {
            return std::monostate{}; // the diagonal holds a placeholder, never a real arc
        }
        if (value < 0) {
            return fail_at(in.line_number(), "負の重みです", token);
        }
        matrix.at(from, to) = static_cast<float>(value);
        if (format != Format::Full) {
            matrix.at(to, from) = static_cast<float>(value);
        }
        return std::monostate{};
    };
    std::uint64_t index = 0;
    for (std::int32_t row = 0; row < n; ++row) {
        std::int32_t first = 0;
        std::int32_t last = n - 1;
        switch (format) {
        case Format::Full:
            break;
        case Format::UpperRow:
            first = row + 1;
            break;
        case Format::UpperDiagRow:
            first = row;
            break;
        case Format::LowerRow:
            last = row - 1;
            break;
        case Format::LowerDiagRow:
            last = row;
            break;
        }
        for (std::int32_t column = first; column <= last; ++column) {
            if (Status status = take(row, column, index++); !status) {
                return status;
            }
        }
    }
    if (!in.rest_of_line_is_blank()) {
        return fail_at(in.line_number(), "EDGE_WEIGHT_SECTION の数が多すぎます", "");
    }
    return std::monostate{};
}

Status read_section(std::string_view name, Scanner& in, Header& header, Problem& problem) {
    const std::size_t line = in.line_number();
    if (header.dimension == 0) {
        return fail_at(line, "DIMENSION がセクションより前にありません", name);
    }
    if (name == "EDGE_WEIGHT_SECTION") {
        if (header.weight != EdgeWeight::Explicit) {
            return fail_at(
                line, "EDGE_WEIGHT_SECTION は EDGE_WEIGHT_TYPE: EXPLICIT のときだけ読みます", name);
        }
        if (!header.format && !header.atsp) {
            return fail_at(line, "EDGE_WEIGHT_FORMAT がありません", name);
        }
        const Format format = header.format.value_or(Format::Full);
        if (header.atsp && format != Format::Full) {
            return fail_at(line, "ATSP の行列は FULL_MATRIX で書きます", name);
        }
        header.weights = true;
        return read_weights(in, header, format, line, problem.matrix);
    }
    const bool coordinates = name == "NODE_COORD_SECTION";
    if (!header.weight) {
        return fail_at(line, "EDGE_WEIGHT_TYPE がセクションより前にありません", name);
    }
    // Display data only shows a matrix's nodes; coordinates of a matrix do the same.
    const bool measured = header.weight != EdgeWeight::Explicit;
    if ((coordinates && header.coordinates) || (!coordinates && header.display)) {
        return fail_at(line, "同じセクションが2回あります", name);
    }
    (coordinates ? header.coordinates : header.display) = true;
    if (!coordinates && measured) {
        std::vector<NodeRec> ignored;
        return read_nodes(in, header, line, ignored, nullptr);
    }
    if (!measured && problem.located && problem.nodes.size() > 1) {
        return std::monostate{}; // the second of two display sections: nothing more to learn
    }
    return read_nodes(in, header, line, problem.nodes, measured ? &problem.exact : nullptr);
}

Status finish(const Header& header, Problem& problem) {
    if (header.dimension == 0) {
        return fail("DIMENSION がありません");
    }
    if (!header.weight) {
        return fail("EDGE_WEIGHT_TYPE がありません");
    }
    problem.weight = *header.weight;
    if (problem.weight != EdgeWeight::Explicit) {
        if (!header.coordinates) {
            return fail("NODE_COORD_SECTION がありません");
        }
        return std::monostate{};
    }
    if (!header.weights) {
        return fail("EDGE_WEIGHT_SECTION がありません");
    }
    problem.asymmetric = !problem.matrix.symmetric();
    if (problem.nodes.size() != static_cast<std::size_t>(header.dimension) + 1) {
        problem.nodes.assign(static_cast<std::size_t>(header.dimension) + 1, NodeRec{});
        problem.located = false;
    }
    return std::monostate{};
}

bool is_section(std::string_view word) {
    return word == "NODE_COORD_SECTION" || word == "EDGE_WEIGHT_SECTION" ||
           word == "DISPLAY_DATA_SECTION";
}

} // namespace

bool TsplibReader::declares_weights(std::string_view text) {
    Scanner in(text);
    std::string_view line;
    while (in.line(line)) {
        const std::string_view trimmed = trim(line);
        const std::string_view key = trim(trimmed.substr(0, trimmed.find(':')));
        if (key == "EDGE_WEIGHT_TYPE") {
            return true;
        }
        if (is_section(key) || key == "EOF") {
            return false;
        }
    }
    return false;
}

Result<Problem> TsplibReader::read(std::string_view text) {
    Scanner in(text);
    Header header;
    Problem problem;
    problem.located = true;
    std::string_view line;
    while (in.line(line)) {
        const std::string_view trimmed = trim(line);
        const std::size_t colon = trimmed.find(':');
        const std::string_view key = trim(trimmed.substr(0, colon));
        const std::string_view value =
            colon == std::string_view::npos ? std::string_view{} : trim(trimmed.substr(colon + 1));
        Status status = std::monostate{};
        if (trimmed.empty()) {
            continue;
        }
        if (key == "EOF") {
            break;
        }
        if (is_section(key) && value.empty()) {
            status = read_section(key, in, header, problem);
        } else if (colon == std::string_view::npos) {
            status = fail_at(in.line_number(),
                             key.ends_with("_SECTION")
                                 ? "対応していないセクションです"
                                 : "読めない行です (キー : 値 でも、セクションでもありません)",
                             line);
        } else {
            status = apply_key(key, value, header, in.line_number(), line);
        }
        if (!status) {
            return Result<Problem>::failure(status.error());
        }
    }
    if (Status status = finish(header, problem); !status) {
        return Result<Problem>::failure(status.error());
    }
    return problem;
}

} // namespace rundel::engine
