// Running AppleScript source text and reducing its result to plain texts, with its log lines.
#pragma once

#include "Source/scripts/ScriptResult.hpp"
#include "platform/AppleScriptHost.hpp"

#include <string>
#include <string_view>

namespace tavrel {

class AppleScript {
public:
    /// Runs `script` on `host`, on the calling thread, until it ends. A result with items gives
    /// the texts among them, in order (items without a text are skipped), or none when it
    /// cannot be a list; otherwise a non-empty text gives that text, also written as a warning
    /// line; anything else gives none.
    /// Throws AppleScriptUnknownError, writing nothing, when the text cannot be made into a
    /// script; AppleScriptExecuteError when running it fails, after error lines for the
    /// failure's number (with a note for -128) and message.
    static ScriptResult run(const std::string& script, const platform::AppleScriptHost& host);

    /// `text` as a string literal of AppleScript source: in double quotes, with double quotes,
    /// backslashes, line breaks and tabs escaped, so that it stands for exactly `text`.
    static std::string stringLiteral(std::string_view text);
};

} // namespace tavrel
