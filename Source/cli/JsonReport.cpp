// The JSON report, built with nlohmann-Json.
#include "Source/cli/JsonReport.hpp"

#include "Source/run/StepTable.hpp"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <stdexcept>

namespace tavrel::cli {

namespace {

using Json = nlohmann::ordered_json;

template <class T>
Json orNull(const std::optional<T>& value) {
    return value ? Json(*value) : Json(nullptr);
}

Json traceJson(const Trace& trace) {
    Json object{{"kind", stableName(trace.kind)}, {"name", trace.name}};
    switch (trace.kind) {
    case Trace::Kind::keychainItems:
        object["items"] = orNull(trace.items);
        break;
    case Trace::Kind::process:
        object["pid"] = orNull(trace.pid);
        break;
    case Trace::Kind::path:
        object["bytes"] = orNull(trace.bytes);
        object["files"] = orNull(trace.files);
        break;
    default:
        break;
    }
    return object;
}

// What an inventory saw for one step.
Json lookJson(const std::optional<Inventory>& inventory, int step) {
    Json traces = Json::array();
    std::optional<std::string> unavailable;
    if (const StepInventory* seen = inventory ? inventory->of(step) : nullptr) {
        for (const Trace& trace : seen->traces) {
            traces.push_back(traceJson(trace));
        }
        unavailable = seen->unavailable;
    }
    return Json{{"traces", std::move(traces)}, {"unavailable", orNull(unavailable)}};
}

Json resultJson(const StepReport& report) {
    const bool failed = report.status == StepStatus::failed;
    return Json{{"subject", report.subject},
                {"status", namesOf(report.status).stable},
                {"error", failed ? Json(report.errorDescription) : Json(nullptr)},
                {"reason", failed ? Json(report.failureReason) : Json(nullptr)}};
}

} // namespace

std::string JsonReport::document() const {
    return dump(object());
}

std::string JsonReport::dump(const Json& value) {
    // Replaced rather than refused: a path need not be valid UTF-8.
    return value.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

Json JsonReport::object() const {
    Json steps = Json::array();
    if (found) {
        for (const StepInventory& seen : found->steps) {
            const int step = seen.step;
            const Step& row = StepTable::step(step);
            Json results = Json::array();
            if (outcome) {
                for (const StepReport& report : outcome->steps) {
                    if (report.step == step) {
                        results.push_back(resultJson(report));
                    }
                }
            }
            steps.push_back(Json{{"step", step},
                                 {"title", row.title},
                                 {"found", lookJson(found, step)},
                                 {"results", std::move(results)},
                                 {"remaining", lookJson(outcome ? remaining : found, step)}});
        }
    }
    return Json{{"tool", "tavrel-uninstall"}, {"version", version},      {"user", user},
                {"home", orNull(home)},       {"dryRun", dryRun},        {"error", orNull(error)},
                {"steps", std::move(steps)},  {"exitStatus", exitStatus}};
}

} // namespace tavrel::cli

namespace tavrel::cli {

namespace {

// Each reader throws (a JSON type error or std::invalid_argument) on what no document() writes.

std::optional<std::string> stringOrNull(const Json& value) {
    return value.is_null() ? std::nullopt : std::optional<std::string>(value.get<std::string>());
}

Trace traceFrom(const Json& object) {
    Trace trace;
    const auto kind = object.at("kind").get<std::string>();
    for (const Trace::Kind candidate :
         {Trace::Kind::keychainItems, Trace::Kind::launcher, Trace::Kind::loginItem,
          Trace::Kind::process, Trace::Kind::path, Trace::Kind::defaults}) {
        if (stableName(candidate) == kind) {
            trace.kind = candidate;
        }
    }
    if (stableName(trace.kind) != kind) {
        throw std::invalid_argument("trace kind " + kind);
    }
    trace.name = object.at("name").get<std::string>();
    const auto optional = [&object]<class T>(const char* field, std::optional<T>& into) {
        if (const auto found = object.find(field); found != object.end() && !found->is_null()) {
            into = found->get<T>();
        }
    };
    optional("items", trace.items);
    optional("pid", trace.pid);
    optional("bytes", trace.bytes);
    optional("files", trace.files);
    return trace;
}

StepInventory seenFrom(const Json& object, int step) {
    StepInventory seen;
    seen.step = step;
    for (const Json& trace : object.at("traces")) {
        seen.traces.push_back(traceFrom(trace));
    }
    seen.unavailable = stringOrNull(object.at("unavailable"));
    return seen;
}

StepReport resultFrom(const Json& object, int step) {
    StepReport report;
    report.step = step;
    report.subject = object.at("subject").get<std::string>();
    const auto status = object.at("status").get<std::string>();
    const auto named =
        std::find_if(kStepStatusNames.begin(), kStepStatusNames.end(),
                     [&](const StepStatusName& name) { return name.stable == status; });
    if (named == kStepStatusNames.end()) {
        throw std::invalid_argument("status " + status);
    }
    report.status = named->status;
    report.errorDescription = stringOrNull(object.at("error")).value_or("");
    report.failureReason = stringOrNull(object.at("reason")).value_or("");
    return report;
}

} // namespace

std::optional<JsonReport> JsonReport::parse(std::string_view document) {
    try {
        const Json object = Json::parse(document);
        JsonReport report;
        report.version = object.at("version").get<std::string>();
        report.user = object.at("user").get<std::string>();
        report.home = stringOrNull(object.at("home"));
        report.dryRun = object.at("dryRun").get<bool>();
        report.error = stringOrNull(object.at("error"));
        report.exitStatus = object.at("exitStatus").get<int>();
        const Json& steps = object.at("steps");
        if (!steps.is_array()) {
            return std::nullopt;
        }
        report.found.emplace();
        report.remaining.emplace();
        UninstallOutcome outcome;
        int last = 0;
        for (const Json& step : steps) {
            const int number = step.at("step").get<int>();
            if (number <= last || number > StepTable::count()) {
                return std::nullopt; // steps come once each, in order
            }
            last = number;
            report.found->steps.push_back(seenFrom(step.at("found"), number));
            report.remaining->steps.push_back(seenFrom(step.at("remaining"), number));
            for (const Json& result : step.at("results")) {
                outcome.steps.push_back(resultFrom(result, number));
            }
        }
        if (!outcome.steps.empty()) {
            report.outcome = std::move(outcome);
        }
        return report;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace tavrel::cli
