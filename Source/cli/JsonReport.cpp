// The JSON report, built with nlohmann-Json.
#include "Source/cli/JsonReport.hpp"

#include "Source/run/StepTable.hpp"

#include <nlohmann/json.hpp>

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
    if (inventory && step >= 1 && static_cast<std::size_t>(step) <= inventory->steps.size()) {
        const StepInventory& seen = inventory->steps[static_cast<std::size_t>(step - 1)];
        for (const Trace& trace : seen.traces) {
            traces.push_back(traceJson(trace));
        }
        unavailable = seen.unavailable;
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
    Json steps = Json::array();
    if (found) {
        for (const Step& row : StepTable::steps()) {
            const int step = row.number;
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
    const Json document{
        {"tool", "tavrel-uninstall"}, {"version", version},      {"user", user},
        {"home", orNull(home)},       {"dryRun", dryRun},        {"error", orNull(error)},
        {"steps", std::move(steps)},  {"exitStatus", exitStatus}};
    // Replaced rather than refused: a path need not be valid UTF-8.
    return document.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

} // namespace tavrel::cli
