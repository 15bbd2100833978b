// The report of a run for every account, for a person and as JSON.
#include "Source/cli/AllUsersReport.hpp"

#include "Source/app/FlowResult.hpp"
#include "Source/cli/InventoryPrinter.hpp"
#include "Source/run/StepTable.hpp"

#include <algorithm>
#include <iomanip>
#include <ostream>

namespace tavrel::cli {

namespace {

using Json = nlohmann::ordered_json;
constexpr int kKeychainStep = 1;

// The kind's name in the JSON report: stable, callers rely on it.
std::string_view stableName(Remainder::Kind kind) {
    switch (kind) {
    case Remainder::Kind::failed:
        return "failed";
    case Remainder::Kind::leftAlone:
        return "leftAlone";
    case Remainder::Kind::foundAfter:
        return "stillThere";
    case Remainder::Kind::cannotLook:
        return "cannotLook";
    }
    return "failed";
}

Json remainsJson(const std::optional<JsonReport>& report) {
    Json remains = Json::array();
    if (!report) {
        return remains;
    }
    for (const Remainder& remainder : AllUsersReport::remains(*report)) {
        remains.push_back(
            Json{{"step", remainder.step},
                 {"kind", stableName(remainder.kind)},
                 {"name", remainder.subject},
                 {"reason", remainder.reason.empty() ? Json(nullptr) : Json(remainder.reason)}});
    }
    return remains;
}

template <class T>
Json orNull(const std::optional<T>& value) {
    return value ? Json(*value) : Json(nullptr);
}

// "Step  8  /Applications/TAVREL.app (1.2 KiB, 3 files)", "Step  4  login item "Tavrel"
// (failed: <reason>)", for each of `remains`.
void printRemains(const std::vector<Remainder>& remains, std::ostream& out) {
    for (const Remainder& remainder : remains) {
        out << "    Step " << std::setw(2) << remainder.step << "  ";
        switch (remainder.kind) {
        case Remainder::Kind::failed:
            out << remainder.subject << " (failed: " << remainder.reason << ")";
            break;
        case Remainder::Kind::leftAlone:
            out << remainder.subject << " (not a folder, left alone)";
            break;
        case Remainder::Kind::foundAfter:
            out << InventoryPrinter::describe(*remainder.trace);
            break;
        case Remainder::Kind::cannotLook:
            out << "cannot be looked at: " << remainder.reason;
            break;
        }
        out << '\n';
    }
}

} // namespace

std::vector<Remainder> AllUsersReport::remains(const JsonReport& report) {
    FlowResult result;
    result.outcome = report.outcome.value_or(UninstallOutcome{});
    result.remaining = report.outcome ? report.remaining : report.found;
    std::vector<Remainder> remains = result.remainders();
    if (keychainLookedAt(report) == false) {
        std::erase_if(remains, [](const Remainder& remainder) {
            return remainder.step == kKeychainStep &&
                   (remainder.kind == Remainder::Kind::failed ||
                    remainder.kind == Remainder::Kind::cannotLook);
        });
    }
    return remains;
}

std::optional<bool> AllUsersReport::keychainLookedAt(const JsonReport& report) {
    const auto& inventory = report.outcome ? report.remaining : report.found;
    const StepInventory* seen = inventory ? inventory->of(kKeychainStep) : nullptr;
    if (seen == nullptr) {
        return std::nullopt;
    }
    return !seen->unavailable.has_value();
}

std::string AllUsersReport::document() const {
    Json accountList = Json::array();
    for (const AccountReport& account : accounts) {
        accountList.push_back(
            Json{{"user", account.user},
                 {"uid", orNull(account.uid)},
                 {"home", orNull(account.home)},
                 {"outcome", namesOf(account.outcome).stable},
                 {"error", orNull(account.error)},
                 {"keychainLookedAt",
                  account.report ? orNull(keychainLookedAt(*account.report)) : Json(nullptr)},
                 {"remains", remainsJson(account.report)},
                 {"report", account.report ? account.report->object() : Json(nullptr)}});
    }
    Json sharedSteps = Json::array();
    if (shared) {
        sharedSteps = shared->object()["steps"];
    }
    const Json sharedJson{{"error", shared ? orNull(shared->error) : Json(nullptr)},
                          {"remains", remainsJson(shared)},
                          {"steps", std::move(sharedSteps)}};
    return JsonReport::dump(Json{{"tool", "tavrel-uninstall"},
                                 {"version", version},
                                 {"allUsers", true},
                                 {"dryRun", dryRun},
                                 {"error", orNull(error)},
                                 {"accounts", std::move(accountList)},
                                 {"shared", sharedJson},
                                 {"exitStatus", exitStatus}});
}

void AllUsersReport::print(std::ostream& out) const {
    if (accounts.empty()) {
        out << "No account to remove Tavrel from.\n";
    }
    for (const AccountReport& account : accounts) {
        out << account.user;
        if (account.uid) {
            out << " (uid " << *account.uid << ")";
        }
        out << ": " << namesOf(account.outcome).label;
        if (account.error) {
            out << ": " << *account.error;
        }
        out << '\n';
    }
    for (const AccountReport& account : accounts) {
        const auto left = account.report ? remains(*account.report) : std::vector<Remainder>{};
        if (left.empty()) {
            continue;
        }
        out << (dryRun ? "Found for " : "Still there for ") << account.user << ":\n";
        printRemains(left, out);
    }
    if (shared) {
        out << "Shared steps (the bundles in /Applications, as root): "
            << (shared->error ? "not run: " + *shared->error
                              : std::string(dryRun ? "dry run" : "run"))
            << '\n';
        const auto left = remains(*shared);
        if (!left.empty()) {
            out << (dryRun ? "  Found:\n" : "  Still there:\n");
            printRemains(left, out);
        }
    }
    if (dryRun) {
        out << "Dry run: nothing was removed.\n";
    } else if (exitStatus == 0) {
        out << "Tavrel has been removed from every account and from /Applications.\n";
    } else {
        out << "Tavrel was not removed everywhere; the lines above say where and why.\n";
    }
}

} // namespace tavrel::cli
