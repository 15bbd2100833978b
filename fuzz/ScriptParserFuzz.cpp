// libFuzzer target: any bytes through the script stand-in's parser, which must never crash, must
// explain every refusal, and must read a command it accepted back the same when it is written out.
#include "fuzz/QuotedLiteral.hpp"
#include "platform/linux/ScriptParser.hpp"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using tavrel::platform::linux_script::ScriptParser;
using Command = ScriptParser::Command;

// The command in its plainest spelling.
std::string written(const Command& command) {
    const std::string tell = "tell application \"System Events\" to ";
    switch (command.kind) {
    case Command::Kind::doShellScript:
        return "do shell script " + quotedLiteral(command.argument);
    case Command::Kind::loginItemNames:
        return tell + "get the name of every login item";
    case Command::Kind::deleteLoginItem:
        return tell + "delete login item " + quotedLiteral(command.argument);
    }
    return {};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view source(reinterpret_cast<const char*>(data), size);
    (void)ScriptParser::isScriptText(source);
    const auto parsed = ScriptParser::parse(source);
    if (parsed.ok()) {
        if (ScriptParser::parse(written(*parsed)) != parsed) {
            __builtin_trap();
        }
    } else if (!parsed.error().message.starts_with("Expected ")) {
        __builtin_trap();
    }
    return 0;
}
