// The standard streams of the process: whether one is a terminal, where a person reads and
// answers, and writing a line to one in a single piece.
#pragma once

#include <cstddef>
#include <string_view>

namespace tavrel::platform {

enum class StandardStream { input, output, error };

/// Whether `stream` is connected to a terminal.
bool isTerminal(StandardStream stream) noexcept;

/// The stream's descriptor, for writers that take one.
int descriptorOf(StandardStream stream) noexcept;

/// Writes `text` to the open `descriptor` with one call, whole as one piece where the system
/// allows: how much it wrote, 0 when the write failed.
std::size_t writeOnce(int descriptor, std::string_view text) noexcept;

} // namespace tavrel::platform
