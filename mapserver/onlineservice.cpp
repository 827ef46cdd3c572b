#include "mapserver/onlineservice.h"

namespace rundel::mapserver {

std::optional<ServiceAddress> ServiceAddress::parse(std::string_view url) {
    const std::size_t scheme_end = url.find("://");
    if (scheme_end == std::string_view::npos ||
        (url.substr(0, scheme_end) != "http" && url.substr(0, scheme_end) != "https")) {
        return std::nullopt;
    }
    const std::size_t path_start = url.find('/', scheme_end + 3);
    ServiceAddress address;
    address.scheme_host = std::string(url.substr(0, path_start));
    if (address.scheme_host.size() <= scheme_end + 3) {
        return std::nullopt;
    }
    address.path = path_start == std::string_view::npos ? "" : std::string(url.substr(path_start));
    while (!address.path.empty() && address.path.back() == '/') {
        address.path.pop_back();
    }
    return address;
}

Preset split_preset(std::string_view text) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        return {std::string(text), {}};
    }
    return {std::string(text.substr(0, equals)), std::string(text.substr(equals + 1))};
}

std::string url_encoded(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= '0' && byte <= '9') || c == '-' || c == '_' || c == '.' ||
                           c == '~';
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4U];
            out += kHex[byte & 0xFU];
        }
    }
    return out;
}

} // namespace rundel::mapserver
