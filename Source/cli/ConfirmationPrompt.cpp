// Asking for confirmation on the terminal.
#include "Source/cli/ConfirmationPrompt.hpp"

#include "platform/Terminal.hpp"

#include <algorithm>
#include <cctype>
#include <istream>
#include <ostream>
#include <string>

namespace tavrel::cli {

bool ConfirmationPrompt::canAsk() {
    return platform::isTerminal(platform::StandardStream::input);
}

bool ConfirmationPrompt::ask(std::istream& in, std::ostream& out, const char* question) {
    out << question << std::flush;
    std::string answer;
    if (!std::getline(in, answer)) {
        out << '\n';
        return false;
    }
    const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    answer.erase(answer.begin(), std::find_if_not(answer.begin(), answer.end(), blank));
    answer.erase(std::find_if_not(answer.rbegin(), answer.rend(), blank).base(), answer.end());
    std::transform(answer.begin(), answer.end(), answer.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return answer == "y" || answer == "yes";
}

} // namespace tavrel::cli
