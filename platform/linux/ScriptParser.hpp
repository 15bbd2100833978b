// The script stand-in's parser: AppleScript source text to one of the three commands the
// uninstaller composes, or a compile error that says what was expected. Pure: text in, value out.
#pragma once

#include "platform/Result.hpp"

#include <string>
#include <string_view>

namespace tavrel::platform::linux_script {

class ScriptParser {
public:
    struct Command {
        enum class Kind {
            doShellScript,   // do shell script "<argument>"
            loginItemNames,  // tell application "System Events" to get the name of every login item
            deleteLoginItem, // tell application "System Events" to delete login item "<argument>"
        };
        Kind kind = Kind::doShellScript;
        std::string argument; // the shell command or the login item's name; empty for the listing

        friend bool operator==(const Command&, const Command&) = default;
    };

    struct CompileError {
        std::string message; // "Expected … but found …."

        friend bool operator==(const CompileError&, const CompileError&) = default;
    };

    /// The error number of every compile error.
    static constexpr long long kCompileErrorNumber = -2741;

    /// Whether `source` can be a script's text at all: valid UTF-8 holding no NUL character.
    static bool isScriptText(std::string_view source);

    /// The command `source` spells: words in lower case separated by any white space, string
    /// literals with the escapes \" \\ \n \r \t (raw line breaks allowed inside them). Anything
    /// else is a compile error. Accepts any bytes.
    static Result<Command, CompileError> parse(std::string_view source);
};

} // namespace tavrel::platform::linux_script
