// Filling a localized text's format directives with its arguments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

/// The format text with "%@" replaced by the next argument in turn, "%1$@", "%2$@", ... by that
/// argument, and "%%" by "%". Arguments go in as they are, never read as formats. A directive
/// without its argument, or any other use of "%", stays as written: a translator's mistake shows
/// instead of reading memory that is not there.
std::string formatText(std::string_view format, const std::vector<std::string>& arguments);

} // namespace tavrel
