// File error texts from the C library's error strings.
#include "platform/FileError.hpp"

#include <array>
#include <string.h> // NOLINT: the GNU strerror_r lives here

namespace tavrel::platform {

std::string errorText(int code) {
    std::array<char, 256> buffer{};
    // GNU strerror_r returns the text, which may or may not be the buffer.
    const char* text = strerror_r(code, buffer.data(), buffer.size());
    return text != nullptr && text[0] != '\0' ? text : "Unknown error " + std::to_string(code);
}

std::string FileError::reason() const {
    return reason_.empty() ? errorText(code_) : reason_;
}

std::string FileError::localizedDescription() const {
    // Name the item by its last component, as a person would see it in a folder window.
    std::string_view name = path_;
    while (name.size() > 1 && name.back() == '/') {
        name.remove_suffix(1);
    }
    if (const auto slash = name.rfind('/'); slash != std::string_view::npos && name.size() > 1) {
        name.remove_prefix(slash + 1);
    }
    std::string text = "\u201c"; // typographic quotes, as the system writes them
    text.append(name);
    switch (operation_) {
    case Operation::remove:
        text += "\u201d couldn\u2019t be removed: ";
        break;
    case Operation::inspect:
        text += "\u201d couldn\u2019t be examined: ";
        break;
    case Operation::change:
        text += "\u201d couldn\u2019t be changed: ";
        break;
    case Operation::create:
        text += "\u201d couldn\u2019t be created: ";
        break;
    }
    text += reason();
    text += '.';
    return text;
}

std::string FileError::description() const {
    std::string text = "Error Domain=NSPOSIXErrorDomain Code=";
    text += std::to_string(code_);
    text += " \"";
    text += localizedDescription();
    text += "\" UserInfo={NSFilePath=";
    text += path_;
    text += '}';
    return text;
}

} // namespace tavrel::platform
