// The AppleScript runner.
#include "Source/scripts/AppleScript.hpp"

#include "Source/scripts/AppleScriptExecuteError.hpp"
#include "Source/scripts/AppleScriptUnknownError.hpp"
#include "logging/Log.hpp"

namespace tavrel {

namespace {

using logging::logError;
using logging::logWarning;
using platform::ScriptDescriptor;

constexpr const char* kRun = "run(script:)";
constexpr long long kUserCanceled = -128;

// The texts among the items of the descriptor as a list; none when it cannot be a list.
std::optional<std::vector<std::string>> texts(const ScriptDescriptor& descriptor) {
    const auto list = descriptor.coerceToList();
    if (!list) {
        return std::nullopt;
    }
    std::vector<std::string> result;
    const std::size_t count = list->numberOfItems();
    for (std::size_t index = 1; index <= count; ++index) {
        if (const ScriptDescriptor* item = list->descriptorAtIndex(index)) {
            if (auto text = item->stringValue()) {
                result.push_back(std::move(*text));
            }
        }
    }
    return result;
}

} // namespace

ScriptResult AppleScript::run(const std::string& script, const platform::AppleScriptHost& host) {
    auto execution = host.execute(script);
    if (!execution) {
        throw AppleScriptUnknownError(script);
    }
    if (auto* failure = std::get_if<platform::AppleScriptHost::Failure>(&*execution)) {
        if (failure->number) {
            logError(kRun, [&] {
                return "NSAppleScript.errorNumberr: " + std::to_string(*failure->number);
            });
            if (*failure->number == kUserCanceled) {
                logError(kRun, "The administrator password is required to do this.");
            }
        }
        if (failure->message) {
            logError(kRun, [&] { return "NSAppleScript.errorMessage: " + *failure->message; });
        }
        throw AppleScriptExecuteError(script, failure->number, std::move(failure->message));
    }
    const auto& result = std::get<ScriptDescriptor>(*execution);
    if (result.numberOfItems() >= 1) {
        if (auto list = texts(result)) {
            return std::move(*list);
        }
        return {};
    }
    if (auto text = result.stringValue(); text && !text->empty()) {
        logWarning(kRun, *text);
        return std::move(*text);
    }
    return {};
}

std::string AppleScript::stringLiteral(std::string_view text) {
    std::string literal;
    literal.reserve(text.size() + 2);
    literal += '"';
    for (const char c : text) {
        switch (c) {
        case '"':
            literal += "\\\"";
            break;
        case '\\':
            literal += "\\\\";
            break;
        case '\n':
            literal += "\\n";
            break;
        case '\r':
            literal += "\\r";
            break;
        case '\t':
            literal += "\\t";
            break;
        default:
            literal += c;
        }
    }
    literal += '"';
    return literal;
}

} // namespace tavrel
