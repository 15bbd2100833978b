// Looking a keychain result code up in the Status table: our binary search over the codes sorted
// at compile time, against a hash map and the plain scan in case order, in the same run.
#include "keychain/Status.hpp"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace {

using tavrel::keychain::Status;

// Every code of the table, and as many codes that no case has, in table order.
std::vector<std::int32_t> lookedUpCodes() {
    std::vector<std::int32_t> codes;
    for (std::size_t index = 0; index < Status::kCount; ++index) {
        const std::int32_t code = Status(static_cast<Status::Case>(index)).rawValue();
        codes.push_back(code);
        codes.push_back(code - 100000);
    }
    return codes;
}

template <class Lookup>
void run(benchmark::State& state, const Lookup& lookup) {
    const std::vector<std::int32_t> codes = lookedUpCodes();
    for (auto _ : state) {
        for (const std::int32_t code : codes) {
            benchmark::DoNotOptimize(lookup(code));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(codes.size()));
}

void statusLookupOurs(benchmark::State& state) {
    run(state, [](std::int32_t code) { return Status::fromRawValue(code); });
}

void statusLookupHashMap(benchmark::State& state) {
    std::unordered_map<std::int32_t, Status> table;
    for (std::size_t index = 0; index < Status::kCount; ++index) {
        const Status status(static_cast<Status::Case>(index));
        table.emplace(status.rawValue(), status);
    }
    run(state, [&](std::int32_t code) -> std::optional<Status> {
        const auto found = table.find(code);
        return found == table.end() ? std::nullopt : std::optional<Status>(found->second);
    });
}

void statusLookupScan(benchmark::State& state) {
    run(state, [](std::int32_t code) -> std::optional<Status> {
        for (std::size_t index = 0; index < Status::kCount; ++index) {
            const Status status(static_cast<Status::Case>(index));
            if (status.rawValue() == code) {
                return status;
            }
        }
        return std::nullopt;
    });
}

} // namespace

BENCHMARK(statusLookupOurs)->Name("StatusLookup/ours");
BENCHMARK(statusLookupHashMap)->Name("StatusLookup/unorderedMap");
BENCHMARK(statusLookupScan)->Name("StatusLookup/scanInCaseOrder");
