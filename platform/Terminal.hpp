// Whether a standard stream of the process is a terminal, where a person reads and answers.
#pragma once

namespace tavrel::platform {

enum class StandardStream { input, output, error };

/// Whether `stream` is connected to a terminal.
bool isTerminal(StandardStream stream) noexcept;

} // namespace tavrel::platform
