#include "mapserver/querytext.h"

#include <regex>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

namespace rundel::mapserver {
namespace {

std::string to_utf8(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
}

icu::UnicodeString from_utf8(std::string_view text) {
    return icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<std::int32_t>(text.size())));
}

} // namespace

std::string normalise_query(std::string_view query) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfkc = icu::Normalizer2::getNFKCInstance(status);
    std::string text;
    if (U_SUCCESS(status)) {
        const icu::UnicodeString normal = nfkc->normalize(from_utf8(query), status);
        text = U_SUCCESS(status) ? to_utf8(normal) : std::string(query);
    } else {
        text = std::string(query);
    }
    static const std::regex postcode(R"((〒|^|\s)\s*\d{3}-?\d{4}(?=\s|$))");
    static const std::regex postal_mark("〒");
    static const std::regex blanks(R"(\s+)");
    text = std::regex_replace(text, postcode, " ");
    text = std::regex_replace(text, postal_mark, " ");
    text = std::regex_replace(text, blanks, " ");
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string without_blanks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
            out += c;
        }
    }
    return out;
}

std::string lower_case(std::string_view text) {
    icu::UnicodeString unicode = from_utf8(text);
    unicode.toLower();
    return to_utf8(unicode);
}

} // namespace rundel::mapserver
