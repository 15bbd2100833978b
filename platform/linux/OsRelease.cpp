// os-release values.
#include "platform/linux/OsRelease.hpp"

namespace tavrel::platform::linux_proc {

std::string prettyName(std::string_view osRelease) {
    constexpr std::string_view kKey = "PRETTY_NAME=";
    while (!osRelease.empty()) {
        const auto end = osRelease.find('\n');
        std::string_view line = osRelease.substr(0, end);
        osRelease.remove_prefix(end == std::string_view::npos ? osRelease.size() : end + 1);
        if (!line.starts_with(kKey)) {
            continue;
        }
        line.remove_prefix(kKey.size());
        if (line.size() >= 2 && (line.front() == '"' || line.front() == '\'') &&
            line.back() == line.front()) {
            line = line.substr(1, line.size() - 2);
        }
        std::string value;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '\\' && i + 1 < line.size()) {
                ++i;
            }
            value += line[i];
        }
        return value;
    }
    return {};
}

} // namespace tavrel::platform::linux_proc
