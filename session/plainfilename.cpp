#include "session/plainfilename.h"

namespace rundel::session {

bool is_plain_file_name(std::string_view name) {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || byte < 0x20U || byte == 0x7FU) {
            return false;
        }
    }
    return true;
}

} // namespace rundel::session
