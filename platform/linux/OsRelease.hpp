// Reading an os-release file: a pure function on the file's content.
#pragma once

#include <string>
#include <string_view>

namespace tavrel::platform::linux_proc {

/// The value of PRETTY_NAME in an os-release text, without its shell quoting and escapes;
/// empty when there is none.
std::string prettyName(std::string_view osRelease);

} // namespace tavrel::platform::linux_proc
