// Log lines into a file (and the terminal on /dev/null) end to end: our dispatcher with the
// file logger and the terminal logger, spdlog's synchronous logger flushing its file after
// every line, and the bare system calls of the file logger's pattern as the floor.
#include "logging/FileLogger.hpp"
#include "logging/LogDispatcher.hpp"
#include "logging/LogFileFormatterDefault.hpp"
#include "logging/LogFileManagerDefault.hpp"
#include "logging/TTYLogger.hpp"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/sinks/stdout_sinks.h>
#include <spdlog/spdlog.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace tavrel::logging;

constexpr int kLines = 200000;
// About 80 characters, which makes the usual 105-byte file line.
constexpr const char* kMessage =
    "Removing /Users/someone/Library/Application Support/Tavrel: item not found, skipped";

// A fresh folder for one benchmark, removed at the end.
struct Folder {
    std::filesystem::path path;
    Folder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tavrel-bench-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
};

int devNull() {
    static const int descriptor = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    return descriptor;
}

// The record an info log call makes.
std::unique_ptr<LogMessage> record() {
    return std::unique_ptr<LogMessage>(new LogMessage(LogMessage::fromLogCall(
        kMessage, LogFlag::info, LogText::literal("Source/jobs/AppBundleJob.cpp"),
        "removeApp(path:)", 42)));
}

void fileEndToEndOurs(benchmark::State& state) {
    const Folder folder;
    auto manager = std::make_shared<LogFileManagerDefault>(folder.path.string());
    auto fileLogger = FileLogger::make(manager);
    LogDispatcher dispatcher;
    dispatcher.addLogger(TTYLogger::make("log_bench", static_cast<int>(getpid()), devNull()),
                         log_levels::kInfo);
    dispatcher.addLogger(fileLogger, log_levels::kInfo);
    dispatcher.flushLog();
    for (auto _ : state) {
        for (int line = 0; line < kLines; ++line) {
            dispatcher.log(true, record());
        }
        dispatcher.flushLog();
    }
    state.SetItemsProcessed(state.iterations() * kLines);
    LogFileManagerDefault::backgroundQueue().sync([] {});
}

void fileEndToEndSpdlog(benchmark::State& state) {
    const Folder folder;
    // spdlog's terminal sink writes to standard error: point it at /dev/null for good.
    static const bool silenced = [] { return ::dup2(devNull(), STDERR_FILENO) >= 0; }();
    (void)silenced;
    auto fileSink =
        std::make_shared<spdlog::sinks::basic_file_sink_st>((folder.path / "spdlog.log").string());
    fileSink->set_pattern("%Y/%m/%d %H:%M:%S:%e  %v");
    auto terminalSink = std::make_shared<spdlog::sinks::stderr_sink_st>();
    terminalSink->set_pattern("%Y-%m-%d %H:%M:%S:%e log_bench[%P:%t] %v");
    spdlog::logger logger("bench", {fileSink, terminalSink});
    logger.flush_on(spdlog::level::trace);
    for (auto _ : state) {
        for (int line = 0; line < kLines; ++line) {
            logger.info(kMessage);
        }
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}

void fileEndToEndFloor(benchmark::State& state) {
    const Folder folder;
    LogFileFormatterDefault formatter;
    std::string line;
    formatter.appendFormatted(*record(), line);
    line.push_back('\n');
    const std::string path = (folder.path / "floor.log").string();
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    for (auto _ : state) {
        for (int index = 0; index < kLines; ++index) {
            ::lseek(descriptor, 0, SEEK_END);
            benchmark::DoNotOptimize(::write(descriptor, line.data(), line.size()));
            benchmark::DoNotOptimize(::lseek(descriptor, 0, SEEK_CUR));
        }
    }
    ::close(descriptor);
    state.SetItemsProcessed(state.iterations() * kLines);
}

} // namespace

BENCHMARK(fileEndToEndOurs)
    ->Name("FileEndToEnd/ours")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(fileEndToEndSpdlog)
    ->Name("FileEndToEnd/spdlog")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(fileEndToEndFloor)
    ->Name("FileEndToEnd/floor")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
