// The flow: looked up anew at every use, checked, run, verified.
#include "Source/app/UninstallFlow.hpp"

#include "Source/app/RunningAppCheck.hpp"
#include "Source/errors/RunningAppError.hpp"
#include "Source/localization/LocalizedStrings.hpp"
#include "Source/product/ProductIdentifiers.hpp"
#include "Source/run/Uninstaller.hpp"

namespace tavrel {

namespace {

Refusal noHomeFolder() {
    return Refusal{Refusal::Reason::noHomeFolder, Alert{LocalizedStrings::shared().noHomeFolder(),
                                                        std::nullopt,
                                                        {Error::kOKButton},
                                                        AlertStyle::warning,
                                                        std::nullopt}};
}

} // namespace

// None when no product application runs.
std::optional<Refusal> UninstallFlow::runningCheck() {
    try {
        for (const char* bundleID : product::kRunningCheckIDs) {
            checkNotRunning(bundleID);
        }
    } catch (const RunningAppError& error) {
        return Refusal{Refusal::Reason::applicationRunning, error.alert()};
    } catch (const Error& error) {
        return Refusal{Refusal::Reason::cannotTellWhetherRunning, error.alert()};
    }
    return std::nullopt;
}

std::optional<Roots> UninstallFlow::roots() const {
    return scope_ == StepScope::shared ? Roots::shared() : Roots::current();
}

std::optional<Inventory> UninstallFlow::survey() const {
    const auto roots = this->roots();
    if (!roots) {
        return std::nullopt;
    }
    return Inventory::take(*roots, *keychain_, scope_);
}

FlowResult UninstallFlow::uninstall(const Events& events) const {
    FlowResult result;
    const auto roots = this->roots();
    if (!roots) {
        result.refusal = noHomeFolder();
        return result;
    }
    if ((result.refusal = runningCheck())) {
        return result;
    }
    result.outcome =
        Uninstaller(*roots, *keychain_, scope_).uninstall(events.stepStarted, events.stopRequested);
    if (events.checking) {
        try {
            events.checking();
        } catch (...) { // NOLINT(bugprone-empty-catch): an observer never stops the flow
        }
    }
    // Looked up again: a Trash folder made during the run is looked into too.
    result.remaining = Inventory::take(this->roots().value_or(*roots), *keychain_, scope_);
    return result;
}

} // namespace tavrel
