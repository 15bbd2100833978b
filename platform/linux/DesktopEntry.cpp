// Desktop entry texts, line by line.
#include "platform/linux/DesktopEntry.hpp"

namespace tavrel::platform::linux_desktop {

namespace {

constexpr std::string_view kMainGroup = "[Desktop Entry]";

// The value when `line` is "key = value" for exactly this key; none otherwise.
std::optional<std::string_view> valueOf(std::string_view line, std::string_view key) {
    if (!line.starts_with(key)) {
        return std::nullopt;
    }
    line.remove_prefix(key.size());
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!line.empty() && blank(line.front())) {
        line.remove_prefix(1);
    }
    if (!line.starts_with('=')) {
        return std::nullopt;
    }
    line.remove_prefix(1);
    while (!line.empty() && blank(line.front())) {
        line.remove_prefix(1);
    }
    while (!line.empty() && (blank(line.back()) || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    return line;
}

// Calls visit(line, inMainGroup) for each line of the text, without its line feed.
template <class Visit>
void eachLine(std::string_view text, Visit visit) {
    bool inMainGroup = false;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.starts_with('[')) {
            inMainGroup = line == kMainGroup;
        }
        visit(line, inMainGroup); // the group's header counts as in it; it holds no key
    }
}

} // namespace

std::optional<std::string> mainGroupValue(std::string_view text, std::string_view key) {
    std::optional<std::string> found;
    eachLine(text, [&](std::string_view line, bool inMainGroup) {
        if (const auto value = inMainGroup && !found ? valueOf(line, key) : std::nullopt) {
            found = std::string(*value);
        }
    });
    return found;
}

std::string unescaped(std::string_view value) {
    std::string text;
    text.reserve(value.size());
    for (std::size_t index = 0; index < value.size(); ++index) {
        if (value[index] != '\\' || index + 1 == value.size()) {
            text += value[index];
            continue;
        }
        switch (const char c = value[++index]) {
        case 's':
            text += ' ';
            break;
        case 'n':
            text += '\n';
            break;
        case 't':
            text += '\t';
            break;
        case 'r':
            text += '\r';
            break;
        default:
            text += c;
        }
    }
    return text;
}

std::string withMainGroupValue(std::string_view text, std::string_view key,
                               const std::optional<std::string>& value) {
    std::string result;
    result.reserve(text.size() + key.size() + 16);
    bool written = !value;
    bool wasInMainGroup = false;
    const auto writeKey = [&] {
        if (!written) {
            result.append(key).append("=").append(*value).append("\n");
            written = true;
        }
    };
    eachLine(text, [&](std::string_view line, bool inMainGroup) {
        if (wasInMainGroup && !inMainGroup) {
            writeKey(); // the main group ends here
        }
        wasInMainGroup = inMainGroup;
        if (inMainGroup && valueOf(line, key)) {
            writeKey(); // in place of the first line of the key; later ones go
            return;
        }
        result.append(line).append("\n");
    });
    if (wasInMainGroup) {
        writeKey();
    }
    return result;
}

} // namespace tavrel::platform::linux_desktop
