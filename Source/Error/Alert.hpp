// A plain alert value: what a front end shows to the user. Only the window turns it into a dialog.
#pragma once

#include "Source/Error/AlertStyle.hpp"

#include <optional>
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
};

} // namespace tavrel
