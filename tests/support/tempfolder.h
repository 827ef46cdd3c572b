#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace rundel::test {

/// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }

    /// Writes @p bytes to @p relative (parent folders created).
    void write(const std::filesystem::path& relative, std::string_view bytes) const;
    /// The bytes of @p relative; empty when it does not exist.
    [[nodiscard]] std::string read(const std::filesystem::path& relative) const;

private:
    std::filesystem::path path_;
};

} // namespace rundel::test
