// Comparing names as people read them: equal under Unicode canonical equivalence.
#pragma once

#include <string_view>

namespace tavrel::platform {

/// Whether two UTF-8 texts are the same under Unicode canonical equivalence ("é" composed or as
/// "e" and an accent), letter case significant, nothing trimmed. A text that is not valid UTF-8
/// equals only the same bytes.
bool canonicallyEqual(std::string_view lhs, std::string_view rhs);

} // namespace tavrel::platform
