// libFuzzer target: any bytes as an autostart entry through the desktop-entry functions, which
// must never crash, and which must read back a key they set and find none once they took it out.
#include "platform/linux/DesktopEntry.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {

using tavrel::platform::linux_desktop::mainGroupValue;
using tavrel::platform::linux_desktop::unescaped;
using tavrel::platform::linux_desktop::withMainGroupValue;

// Whether a line of the text opens the group the functions read and change.
bool hasMainGroup(std::string_view text) {
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        if (text.substr(start, end - start) == "[Desktop Entry]") {
            return true;
        }
        start = end + 1;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const std::string_view key : {"Name", "Hidden"}) {
        if (const auto value = mainGroupValue(text, key)) {
            (void)unescaped(*value);
        }
        const std::string set = withMainGroupValue(text, key, std::string("true"));
        const std::string unset = withMainGroupValue(set, key, std::nullopt);
        if (mainGroupValue(unset, key) ||
            (hasMainGroup(text) && (mainGroupValue(set, key) != "true" ||
                                    withMainGroupValue(set, key, std::string("true")) != set))) {
            std::abort();
        }
    }
    return 0;
}
