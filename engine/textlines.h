#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Line handling shared by the node file readers (internal to the engine).
namespace rundel::engine {

/// Walks the lines of a text. A line ends at LF; a CR right before it belongs to the line end.
class LineCursor {
public:
    explicit LineCursor(std::string_view text) : text_(text) {}

    bool next(std::string_view& line) {
        if (pos_ > text_.size() || (pos_ == text_.size() && !pending_)) {
            return false;
        }
        const std::size_t nl = text_.find('\n', pos_);
        const std::size_t end = nl == std::string_view::npos ? text_.size() : nl;
        line = text_.substr(pos_, end - pos_);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        pending_ = false;
        pos_ = nl == std::string_view::npos ? text_.size() + 1 : nl + 1;
        ++number_;
        return true;
    }

    [[nodiscard]] std::size_t number() const { return number_; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t number_ = 0;
    bool pending_ = true; // an empty text still has one (empty) line
};

inline std::string_view skip_blanks(std::string_view line) {
    const std::size_t first = line.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view{} : line.substr(first);
}

inline std::string_view first_field(std::string_view line) {
    const std::string_view rest = skip_blanks(line);
    return rest.substr(0, rest.find(' '));
}

/// A short, printable excerpt of a line for a message.
inline std::string excerpt(std::string_view line) {
    constexpr std::size_t kMax = 60;
    std::string out;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (i >= kMax && (static_cast<unsigned char>(line[i]) & 0xC0U) != 0x80U) {
            out += "…";
            break;
        }
        const auto c = static_cast<unsigned char>(line[i]);
        out += (c < 0x20U || c == 0x7FU) ? '?' : line[i];
    }
    return out;
}

inline std::string line_message(std::size_t number, std::string_view what, std::string_view line) {
    return "ノードファイル " + std::to_string(number) + " 行目: " + std::string(what) + ": \"" +
           excerpt(line) + "\"";
}

} // namespace rundel::engine
