// Alerts of the uninstall flow.
#include "Source/app/UninstallAlert.hpp"

#include "Source/errors/Error.hpp"
#include "Source/run/StepTable.hpp"

namespace tavrel {

namespace {

Alert withOK(std::string message, std::optional<std::string> informative, AlertStyle style) {
    return Alert{
        std::move(message), std::move(informative), {Error::kOKButton}, style, std::nullopt};
}

// One line of the failure alert.
std::string lineFor(const Remainder& remainder, const LocalizedStrings& strings) {
    const auto title = [&] {
        return remainder.step >= 1 && remainder.step <= StepTable::count()
                   ? UninstallAlert::stepTitle(StepTable::step(remainder.step), strings)
                   : remainder.subject;
    };
    switch (remainder.kind) {
    case Remainder::Kind::failed:
        return strings.stepFailed(remainder.subject, remainder.reason);
    case Remainder::Kind::leftAlone:
        return strings.stepLeftAlone(remainder.subject);
    case Remainder::Kind::foundAfter:
        return strings.text("message.step_still_there",
                            {title(), UninstallAlert::traceName(*remainder.trace)});
    case Remainder::Kind::cannotLook:
        return strings.text("message.step_cannot_look", {title(), remainder.reason});
    }
    return remainder.subject;
}

} // namespace

Alert UninstallAlert::forResult(const FlowResult& result, const LocalizedStrings& strings) {
    if (result.refusal) {
        return result.refusal->alert;
    }
    if (result.removed()) {
        return withOK(strings.uninstallSucceeded(), std::nullopt, AlertStyle::informational);
    }
    std::string lines;
    for (const Remainder& remainder : result.remainders()) {
        lines += lines.empty() ? "" : "\n";
        lines += lineFor(remainder, strings);
    }
    return withOK(strings.uninstallFailed(), std::move(lines), AlertStyle::warning);
}

Alert UninstallAlert::forUnexpectedError(const LocalizedStrings& strings) {
    return withOK(strings.uninstallFailed(), std::nullopt, AlertStyle::informational);
}

std::string UninstallAlert::stepTitle(const Step& step, const LocalizedStrings& strings) {
    return strings.text(step.titleKey, {step.titleArgument});
}

std::string UninstallAlert::traceName(const Trace& trace) {
    if (trace.kind == Trace::Kind::process && trace.pid) {
        return trace.name + " (pid " + std::to_string(*trace.pid) + ")";
    }
    return trace.name;
}

} // namespace tavrel
