#include "engine/nodetextreader.h"

#include "engine/textlines.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace rundel::engine {

bool NodeTextReader::to_float(std::string_view field, float& value) {
    if (field.empty()) {
        return false;
    }
    const char* begin = field.data();
    const char* end = begin + field.size();
    float parsed = 0.0F;
    // "." first: it is what node file producers write and it is locale-independent and fast.
    const auto [ptr, ec] = std::from_chars(begin, end, parsed);
    if (ec == std::errc{} && ptr == end) {
        if (!std::isfinite(parsed)) {
            return false;
        }
        value = parsed;
        return true;
    }
    // The locale's own conversion, for the locale's decimal separator. It would skip leading
    // white space, which a node field must not have.
    if (std::isspace(static_cast<unsigned char>(field.front())) != 0) {
        return false;
    }
    const std::string copy(field);
    char* stop = nullptr;
    errno = 0;
    parsed = std::strtof(copy.c_str(), &stop);
    if (stop != copy.c_str() + copy.size() || !std::isfinite(parsed)) {
        return false; // not a whole-field number, or an overflow (HUGE_VALF)
    }
    value = parsed; // an underflow to a tiny or zero value is still a number
    return true;
}

Status NodeTextReader::read(std::string_view text, std::vector<NodeRec>& nodes,
                            std::int32_t& node_count) {
    LineCursor cursor(text);
    std::string_view line;
    bool found = false;
    while (cursor.next(line)) {
        if (line == "NODE_COORD_SECTION") {
            found = true;
            break;
        }
    }
    if (!found) {
        return Status::failure("ノードファイルに NODE_COORD_SECTION の行がありません");
    }

    // Count the node lines first: up to the "EOF" line, or to the end of the text less the
    // empty lines that close it.
    const std::size_t section_line = cursor.number();
    LineCursor counter = cursor;
    std::size_t lines = 0;
    std::size_t nonempty_lines = 0;
    bool eof_seen = false;
    while (counter.next(line)) {
        if (first_field(line) == "EOF") {
            eof_seen = true;
            break;
        }
        ++lines;
        if (!line.empty()) {
            nonempty_lines = lines;
        }
    }
    const std::size_t count = eof_seen ? lines : nonempty_lines;
    if (count < 1) {
        return Status::failure("ノードファイルにノードの行がありません（NODE_COORD_SECTION の後）");
    }
    if (count > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() - 1)) {
        return Status::failure("ノードファイルのノードが多すぎます");
    }

    nodes.assign(count + 1, NodeRec{});
    node_count = static_cast<std::int32_t>(count);
    for (std::size_t i = 1; i <= count; ++i) {
        cursor.next(line);
        std::string_view rest = skip_blanks(line);
        std::string_view fields[3];
        std::size_t n = 0;
        while (n < 3) {
            const std::size_t blank = rest.find(' ');
            fields[n++] = rest.substr(0, blank);
            if (blank == std::string_view::npos) {
                break;
            }
            rest.remove_prefix(blank + 1);
        }
        if (n < 3) {
            return Status::failure(line_message(
                section_line + i, "番号・x・y の3項目（1個の空白で区切る）がありません", line));
        }
        if (!to_float(fields[1], nodes[i].x)) {
            return Status::failure(
                line_message(section_line + i, "x が数値ではないか範囲外です", line));
        }
        if (!to_float(fields[2], nodes[i].y)) {
            return Status::failure(
                line_message(section_line + i, "y が数値ではないか範囲外です", line));
        }
    }
    return std::monostate{};
}

} // namespace rundel::engine
