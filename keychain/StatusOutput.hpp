// Where the keychain layer writes its status lines: standard output unless a front end chooses
// another stream (one whose standard output must hold nothing else, say).
#pragma once

#include <iosfwd>

namespace tavrel::keychain {

/// Sends every later status line to `out`, which must outlive every keychain use. Call it at
/// start-up, before any keychain is used.
void setStatusOutput(std::ostream& out) noexcept;

/// The stream status lines go to now.
std::ostream& statusOutput() noexcept;

} // namespace tavrel::keychain
