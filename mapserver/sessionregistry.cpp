#include "mapserver/sessionregistry.h"

#include "engine/nodefilename.h"

#include <random>
#include <system_error>
#include <utility>

namespace rundel::mapserver {
namespace fs = std::filesystem;

namespace {

using engine::kNodeFileSuffix;

std::string id_of_node_file(const std::string& name) {
    std::string id = engine::session_of_node_file(name);
    return SessionRegistry::is_session_id(id) ? id : std::string{};
}

/// "<node file>.part" or "<node file>.<n>.part": the temporary names node files are written
/// under.
bool is_leftover_part(const std::string& name) {
    constexpr std::string_view kPart = ".part";
    if (name.size() < 16 + kNodeFileSuffix.size() + kPart.size() || !name.ends_with(kPart)) {
        return false;
    }
    return !id_of_node_file(name.substr(0, 16 + kNodeFileSuffix.size())).empty();
}

} // namespace

SessionRegistry::SessionRegistry(fs::path data_dir) : data_dir_(std::move(data_dir)) {}

bool SessionRegistry::is_session_id(std::string_view text) {
    if (text.size() != 16) {
        return false;
    }
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

std::string SessionRegistry::issue() {
    static thread_local std::random_device device;
    const std::uint64_t value =
        (static_cast<std::uint64_t>(device()) << 32U) ^ static_cast<std::uint64_t>(device());
    static constexpr char kHex[] = "0123456789abcdef";
    std::string id(16, '0');
    for (int i = 0; i < 16; ++i) {
        id[static_cast<std::size_t>(i)] =
            kHex[(value >> (60U - 4U * static_cast<unsigned>(i))) & 0xFU];
    }
    const std::lock_guard lock(mutex_);
    last_active_[id] = Clock::now();
    return id;
}

bool SessionRegistry::touch(const std::string& id) {
    const std::lock_guard lock(mutex_);
    const auto found = last_active_.find(id);
    if (found == last_active_.end()) {
        return false;
    }
    found->second = Clock::now();
    return true;
}

fs::path SessionRegistry::node_file(const std::string& id) const {
    return data_dir_ / engine::node_file_name(id);
}

void SessionRegistry::adopt_existing() {
    std::error_code ec;
    const std::lock_guard lock(mutex_);
    for (fs::directory_iterator it(data_dir_, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code file_ec;
        if (is_leftover_part(name)) {
            fs::remove(it->path(), file_ec); // a write that was killed half-way
            continue;
        }
        const std::string id = id_of_node_file(name);
        const auto written = fs::last_write_time(it->path(), file_ec);
        if (!id.empty() && !file_ec) {
            // Active when last written: a restart does not make old sessions young again.
            last_active_.emplace(id, std::chrono::time_point_cast<Clock::duration>(
                                         std::chrono::file_clock::to_sys(written)));
        }
    }
}

int SessionRegistry::expire(Clock::time_point now, std::chrono::seconds max_idle) {
    int deleted = 0;
    std::error_code ec;
    const std::lock_guard lock(mutex_);
    for (auto it = last_active_.begin(); it != last_active_.end();) {
        if (now - it->second > max_idle) {
            if (fs::remove(node_file(it->first), ec)) {
                ++deleted;
            }
            it = last_active_.erase(it);
        } else {
            ++it;
        }
    }
    for (fs::directory_iterator it(data_dir_, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string id = id_of_node_file(it->path().filename().string());
        if (id.empty() || last_active_.count(id) != 0) {
            continue;
        }
        std::error_code time_ec;
        const auto written = fs::last_write_time(it->path(), time_ec);
        if (time_ec) {
            continue;
        }
        const auto written_system = std::chrono::file_clock::to_sys(written);
        if (now - written_system > max_idle && fs::remove(it->path(), time_ec)) {
            ++deleted;
        }
    }
    return deleted;
}

} // namespace rundel::mapserver
