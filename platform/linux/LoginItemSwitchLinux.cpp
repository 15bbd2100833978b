// Login items as XDG autostart entries: ${XDG_CONFIG_HOME:-~/.config}/autostart/<id>.desktop.
// Switching one off sets Hidden=true in its [Desktop Entry] group; on, removes that key.
#include "platform/HomeFolder.hpp"
#include "platform/LoginItemSwitch.hpp"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrel::platform {

namespace {

std::string autostartFolder() {
    // A relative XDG_CONFIG_HOME is invalid and must be ignored.
    if (const char* value = std::getenv("XDG_CONFIG_HOME");
        value != nullptr && value[0] == '/') { // NOLINT
        return std::string(value) + "/autostart";
    }
    std::string home = homeFolder();
    if (home.size() > 1 && home.back() == '/') {
        home.pop_back();
    }
    return (home == "/" ? "" : home) + "/.config/autostart";
}

bool readAll(int descriptor, std::string& text) {
    char buffer[8192];
    for (;;) {
        const ssize_t count = read(descriptor, buffer, sizeof buffer);
        if (count == 0) {
            return true;
        }
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        text.append(buffer, static_cast<std::size_t>(count));
    }
}

bool writeAll(int descriptor, std::string_view text) {
    while (!text.empty()) {
        const ssize_t count = write(descriptor, text.data(), text.size());
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
}

bool isKey(std::string_view line, std::string_view key) {
    if (!line.starts_with(key)) {
        return false;
    }
    line.remove_prefix(key.size());
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
        line.remove_prefix(1);
    }
    return line.starts_with('=');
}

// The entry's text with Hidden set (or removed) in its [Desktop Entry] group; other groups and
// lines stay as they are.
std::string withHidden(std::string_view text, bool hidden) {
    std::string result;
    result.reserve(text.size() + 16);
    bool inMainGroup = false;
    bool written = false;
    auto finishGroup = [&] {
        if (inMainGroup && hidden && !written) {
            result += "Hidden=true\n";
            written = true;
        }
    };
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.starts_with('[')) {
            finishGroup();
            inMainGroup = line == "[Desktop Entry]";
        } else if (inMainGroup && isKey(line, "Hidden")) {
            if (hidden && !written) {
                result += "Hidden=true\n";
                written = true;
            }
            continue;
        }
        result.append(line);
        result += '\n';
    }
    finishGroup();
    return result;
}

} // namespace

LoginItemSwitch::Result LoginItemSwitch::setEnabled(const std::string& bundleIdentifier,
                                                    bool enabled) {
    if (bundleIdentifier.empty() || bundleIdentifier == "." || bundleIdentifier == ".." ||
        bundleIdentifier.find('/') != std::string::npos) {
        return Result{};
    }
    const std::string path = autostartFolder() + "/" + bundleIdentifier + ".desktop";
    const int input = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (input < 0) {
        if (errno == ENOENT || errno == ENOTDIR || errno == ELOOP) {
            return Result{};
        }
        return Result{true, FileError(errno, path, FileError::Operation::change)};
    }
    std::string text;
    const bool read = readAll(input, text);
    const int readError = errno;
    close(input);
    if (!read) {
        return Result{true, FileError(readError, path, FileError::Operation::change)};
    }
    // Write beside it and rename over it, so the entry is never half written; a link to a
    // shared entry is replaced by the user's own copy rather than changing the shared one.
    std::string pattern = path + ".tavrel-XXXXXX";
    const int output = mkostemp(pattern.data(), O_CLOEXEC);
    if (output < 0) {
        return Result{true, FileError(errno, path, FileError::Operation::change)};
    }
    const bool written = writeAll(output, withHidden(text, !enabled)) && fsync(output) == 0;
    const int writeError = errno;
    close(output);
    if (!written) {
        unlink(pattern.c_str());
        return Result{true, FileError(writeError, path, FileError::Operation::change)};
    }
    (void)fchmodat(AT_FDCWD, pattern.c_str(), 0644, 0);
    if (rename(pattern.c_str(), path.c_str()) != 0) {
        const int renameError = errno;
        unlink(pattern.c_str());
        return Result{true, FileError(renameError, path, FileError::Operation::change)};
    }
    return Result{true, std::nullopt};
}

} // namespace tavrel::platform
