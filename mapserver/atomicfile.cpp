#include "mapserver/atomicfile.h"

#include <atomic>
#include <cstdint>
#include <fstream>
#include <string>
#include <system_error>

namespace rundel::mapserver {
namespace fs = std::filesystem;

bool write_atomically(const fs::path& file, std::string_view bytes) {
    static std::atomic<std::uint64_t> serial{0};
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    const fs::path part = file.string() + "." + std::to_string(serial++) + ".part";
    bool written = false;
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        written =
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush().good();
    }
    if (written) {
        fs::rename(part, file, ec);
        written = !ec;
    }
    if (!written) {
        fs::remove(part, ec);
    }
    return written;
}

} // namespace rundel::mapserver
