// A fresh folder under the system's temporary folder, removed with everything in it at the end.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tavrel::testing {

class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const noexcept { return path_; }
    [[nodiscard]] std::string string() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

/// The whole content of a file; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);
/// The lines of a text, without their line feeds.
std::vector<std::string> splitLines(const std::string& text);
/// Writes the text to a file, replacing it; creates missing parent folders.
void writeFile(const std::filesystem::path& path, const std::string& text);

} // namespace tavrel::testing
