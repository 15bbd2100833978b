// The question the command line asks before it removes anything.
#pragma once

#include <iosfwd>

namespace tavrel::cli {

class ConfirmationPrompt {
public:
    /// The question, as shown on the terminal.
    static constexpr const char* kQuestion =
        "Remove Tavrel and all its data from this account? [y/N] ";

    /// Whether standard input is a terminal, i.e. a person can answer.
    static bool canAsk();

    /// Writes `question` to `out` and reads one line from `in`: true only for "y" or "yes" in
    /// any letter case (surrounding blanks ignored); end of input or anything else is no.
    static bool ask(std::istream& in, std::ostream& out, const char* question = kQuestion);
};

} // namespace tavrel::cli
