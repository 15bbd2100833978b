// The login range from /etc/login.defs: lines of a name and a value, "#" starting a comment.
#include "platform/LoginRange.hpp"

#include <charconv>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

namespace tavrel::platform {

namespace {

std::optional<unsigned> decimal(const std::string& text) {
    unsigned value = 0;
    const auto [last, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || last != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

} // namespace

LoginRange LoginRange::ofThisSystem() {
    const LoginRange defaults;
    LoginRange range;
    std::ifstream file("/etc/login.defs");
    std::string line;
    // A real file is a few kilobytes; a line or a file far longer is not one.
    for (int lines = 0; lines < 10000 && std::getline(file, line); ++lines) {
        std::istringstream words(line);
        std::string name;
        std::string value;
        if (!(words >> name >> value) || name.starts_with('#')) {
            continue;
        }
        if (name == "UID_MIN") {
            range.first = decimal(value).value_or(defaults.first);
        } else if (name == "UID_MAX") {
            range.last = decimal(value).value_or(defaults.last);
        }
    }
    return range.first <= range.last ? range : defaults;
}

} // namespace tavrel::platform
