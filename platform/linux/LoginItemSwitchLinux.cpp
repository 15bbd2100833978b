// Login items as XDG autostart entries: ${XDG_CONFIG_HOME:-~/.config}/autostart/<id>.desktop.
// Switching one off sets Hidden=true in its [Desktop Entry] group; on, removes that key.
#include "platform/LoginItemSwitch.hpp"
#include "platform/UntrustedFile.hpp"
#include "platform/linux/DesktopEntry.hpp"
#include "platform/linux/FileText.hpp"

#include <cerrno>
#include <cstdlib>

namespace tavrel::platform {

std::string LoginItemSwitch::loginItemsFolder(const std::string& home) {
    // A relative XDG_CONFIG_HOME is invalid and must be ignored.
    if (const char* value = std::getenv("XDG_CONFIG_HOME"); // NOLINT(concurrency-mt-unsafe)
        value != nullptr && value[0] == '/') {
        return std::string(value) + "/autostart";
    }
    std::string_view trimmed = home;
    while (trimmed.size() > 1 && trimmed.back() == '/') {
        trimmed.remove_suffix(1);
    }
    return std::string(trimmed) + "/.config/autostart";
}

namespace {

bool isEntryName(const std::string& bundleIdentifier) {
    return !bundleIdentifier.empty() && bundleIdentifier != "." && bundleIdentifier != ".." &&
           bundleIdentifier.find('/') == std::string::npos;
}

bool isMissing(const FileError& error) {
    const int code = error.code();
    return code == ENOENT || code == ENOTDIR || code == ELOOP;
}

} // namespace

Result<LoginItemSwitch::State> LoginItemSwitch::state(const std::string& loginItemsFolder,
                                                      const std::string& bundleIdentifier) {
    if (!isEntryName(bundleIdentifier)) {
        return State::notFound;
    }
    const std::string path = loginItemsFolder + "/" + bundleIdentifier + ".desktop";
    const auto text = UntrustedFile::read(path, UntrustedFile::Kind::desktopEntry);
    if (!text.ok()) {
        if (isMissing(text.error())) {
            return State::notFound;
        }
        return text.error();
    }
    return linux_desktop::mainGroupValue(*text, "Hidden") == "true" ? State::disabled
                                                                    : State::enabled;
}

Result<LoginItemSwitch::Outcome> LoginItemSwitch::setEnabled(const std::string& loginItemsFolder,
                                                             const std::string& bundleIdentifier,
                                                             bool enabled) {
    if (!isEntryName(bundleIdentifier)) {
        return Outcome::notFound;
    }
    const std::string path = loginItemsFolder + "/" + bundleIdentifier + ".desktop";
    auto text = UntrustedFile::read(path, UntrustedFile::Kind::desktopEntry);
    if (!text.ok()) {
        if (isMissing(text.error())) {
            return Outcome::notFound;
        }
        return FileError(text.error().code(), path, FileError::Operation::change,
                         text.error().reason());
    }
    const bool hidden = linux_desktop::mainGroupValue(*text, "Hidden") == "true";
    if (hidden == !enabled) {
        return Outcome::alreadySwitched;
    }
    const auto newText = linux_desktop::withMainGroupValue(
        *text, "Hidden", enabled ? std::nullopt : std::optional<std::string>("true"));
    // A link to a shared entry is replaced by the user's own copy rather than changing the
    // shared one.
    if (auto written = linux_files::replaceText(path, newText); !written.ok()) {
        return FileError(written.error().code(), path, FileError::Operation::change);
    }
    return Outcome::switched;
}

} // namespace tavrel::platform
