// A plain alert value: what a front end shows to the user. Only the window turns it into a dialog.
#pragma once

#include "Source/errors/AlertStyle.hpp"

#include <array>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tavrel {

struct Alert {
    std::string messageText;
    std::optional<std::string> informativeText; // none: no informative text
    std::vector<std::string> buttons;           // titles, in order
    AlertStyle style = AlertStyle::warning;
    std::optional<std::string> iconPath; // none: the front end's default icon

    friend bool operator==(const Alert&, const Alert&) = default;
    /// The alert's texts, buttons and icon, for failing tests.
    friend std::ostream& operator<<(std::ostream& out, const Alert& alert) {
        out << "Alert(\"" << alert.messageText << '"';
        if (alert.informativeText) {
            out << ", informative: \"" << *alert.informativeText << '"';
        }
        for (const std::string& button : alert.buttons) {
            out << ", button: " << button;
        }
        constexpr std::array<const char*, 3> kStyles{", warning", ", informational", ", critical"};
        out << kStyles.at(static_cast<std::size_t>(alert.style));
        return alert.iconPath ? out << ", icon: " << *alert.iconPath << ')' : out << ')';
    }
};

} // namespace tavrel
