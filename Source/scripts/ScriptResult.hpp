// What running AppleScript gives back, as plain values: none, one text, or a list of texts.
#pragma once

#include <string>
#include <variant>
#include <vector>

namespace tavrel {

/// std::monostate: none; std::string: one text; std::vector<std::string>: a list of texts.
using ScriptResult = std::variant<std::monostate, std::string, std::vector<std::string>>;

} // namespace tavrel
