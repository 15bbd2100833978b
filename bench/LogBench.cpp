// Log calls and the terminal logger against spdlog's asynchronous logger, both writing to
// standard error, which points at /dev/null for the whole run.
#include "logging/Log.hpp"
#include "logging/LogDispatcher.hpp"
#include "logging/TTYLogger.hpp"

#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <fcntl.h>
#include <memory>
#include <spdlog/async.h>
#include <spdlog/async_logger.h>
#include <spdlog/sinks/stdout_sinks.h>
#include <spdlog/spdlog.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

using namespace tavrel::logging;

constexpr int kBurst = 4096;
constexpr int kEndToEndLines = 200000;
constexpr const char* kFunction = "benchmark(_:)";

// Points standard error at /dev/null once, so both sides write to the same sink.
void silenceStandardError() {
    static const bool done = [] {
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        ::dup2(null, STDERR_FILENO);
        ::close(null);
        return true;
    }();
    (void)done;
}

// Our shared dispatcher with a terminal logger on standard error, registered once.
void setUpOurs() {
    static const bool done = [] {
        silenceStandardError();
        LogDispatcher::sharedInstance().addLogger(
            TTYLogger::make("log_bench", static_cast<int>(getpid()), STDERR_FILENO),
            log_levels::kInfo);
        LogDispatcher::sharedInstance().flushLog();
        return true;
    }();
    (void)done;
}

std::shared_ptr<spdlog::async_logger>
makeSpdlog(std::shared_ptr<spdlog::details::thread_pool> pool) {
    silenceStandardError();
    auto sink = std::make_shared<spdlog::sinks::stderr_sink_mt>();
    return std::make_shared<spdlog::async_logger>("bench", sink, std::move(pool),
                                                  spdlog::async_overflow_policy::block);
}

void waitUntilDrained(spdlog::details::thread_pool& pool) {
    while (pool.queue_size() != 0) {
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void asyncCallOurs(benchmark::State& state) {
    setUpOurs();
    int sequence = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kBurst; ++i) {
            logInfo(kFunction,
                    [&] { return "async call line number " + std::to_string(++sequence); });
        }
        const auto stop = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
        LogDispatcher::sharedInstance().flushLog();
    }
    state.SetItemsProcessed(state.iterations() * kBurst);
}

void asyncCallSpdlog(benchmark::State& state) {
    auto pool = std::make_shared<spdlog::details::thread_pool>(8192, 1);
    auto logger = makeSpdlog(pool);
    int sequence = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kBurst; ++i) {
            logger->info("async call line number {}", ++sequence);
        }
        const auto stop = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
        waitUntilDrained(*pool);
    }
    state.SetItemsProcessed(state.iterations() * kBurst);
}

void endToEndOurs(benchmark::State& state) {
    setUpOurs();
    for (auto _ : state) {
        for (int i = 0; i < kEndToEndLines; ++i) {
            logInfo(kFunction, [&] { return "end to end line number " + std::to_string(i); });
        }
        LogDispatcher::sharedInstance().flushLog();
    }
    state.SetItemsProcessed(state.iterations() * kEndToEndLines);
}

void endToEndSpdlog(benchmark::State& state) {
    for (auto _ : state) {
        auto pool = std::make_shared<spdlog::details::thread_pool>(8192, 1);
        auto logger = makeSpdlog(pool);
        for (int i = 0; i < kEndToEndLines; ++i) {
            logger->info("end to end line number {}", i);
        }
        // Releasing the last owner of the pool joins its worker after the queue is drained.
        logger.reset();
        pool.reset();
    }
    state.SetItemsProcessed(state.iterations() * kEndToEndLines);
}

} // namespace

BENCHMARK(asyncCallOurs)->Name("AsyncCall/ours")->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(asyncCallSpdlog)
    ->Name("AsyncCall/spdlog")
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(endToEndOurs)->Name("EndToEnd/ours")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(endToEndSpdlog)->Name("EndToEnd/spdlog")->Unit(benchmark::kMillisecond)->UseRealTime();
