// A small program the log file tests run in a fresh process, often inside a private mount
// namespace (a tiny or a read-only file system), where the test process itself cannot go.
//
//   logfiles_helper startup <line>   Logger::startUp(), one info and one debug line, flush
//   logfiles_helper fulldisk <dir>   <dir> is a tiny file system: log, fill it, log, free, log
//   logfiles_helper mark <dir>       make a log file in <dir> and mark it archived
//   logfiles_helper check <dir>      print each log file's mark, then prune to the newest
//   logfiles_helper write <dir>      write one line with a file logger on <dir>, print the files
//   logfiles_helper create <dir>     ask for one new log file in <dir>
#include "Source/Logger.hpp"
#include "logging/FileLogger.hpp"
#include "logging/Log.hpp"
#include "logging/LogDispatcher.hpp"
#include "logging/LogFileManagerDefault.hpp"
#include "tests/logfiles/LogFilesTestSupport.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <string>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

using namespace tavrel::logging;

int startup(const std::string& line) {
    tavrel::Logger::startUp();
    logInfo("main()", line);
    logDebug("main()", "a debug line");
    LogDispatcher::sharedInstance().flushLog();
    LogFileManagerDefault::backgroundQueue().sync([] {}); // let start-up's pruning finish
    return 0;
}

// Fills the file system of `folder` until it has no room left; returns the filler's path.
std::string fill(const std::string& folder) {
    std::string path = folder + "/filler";
    const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const std::string block(4096, 'x');
    while (descriptor >= 0 && write(descriptor, block.data(), block.size()) > 0) {
    }
    // The last partial block too.
    while (descriptor >= 0 && write(descriptor, block.data(), 1) > 0) {
    }
    close(descriptor);
    return path;
}

int fullDisk(const std::string& folder) {
    auto manager = std::make_shared<LogFileManagerDefault>(folder + "/logs");
    auto logger = FileLogger::make(manager);
    LogDispatcher dispatcher;
    dispatcher.addLogger(logger, LogLevels::info);
    dispatcher.log(false, tavrel::testing::makeRecord("before the disk filled up"));
    const std::string filler = fill(folder);
    std::cerr << "--- disk full" << std::endl;
    dispatcher.log(false, tavrel::testing::makeRecord(std::string(6000, 'L') + " lost"));
    std::cerr << "--- freeing space" << std::endl;
    std::filesystem::remove(filler);
    dispatcher.log(false, tavrel::testing::makeRecord("after space returned"));
    dispatcher.flushLog();
    for (const auto& path : manager->sortedLogFilePaths()) {
        std::cout << "=== " << std::filesystem::path(path).filename().string() << "\n"
                  << tavrel::testing::readFile(path);
    }
    return 0;
}

int mark(const std::string& folder) {
    const std::string probe = folder + "/probe";
    tavrel::testing::writeFile(probe, "");
    if (setxattr(probe.c_str(), "user.test", "1", 1, 0) == 0) {
        std::cout << "user attributes: accepted\n";
    } else {
        std::cout << "user attributes: refused (" << std::strerror(errno) << ")\n";
    }
    std::filesystem::remove(probe);
    LogFileManagerDefault manager(folder);
    for (int i = 0; i < 3; ++i) {
        const auto path = manager.createNewLogFile();
        if (!path.ok()) {
            return 1;
        }
        tavrel::testing::writeFile(*path, "a line\n");
        usleep(2000);
        if (i != 1) {
            LogFileInfo(*path).setIsArchived(true);
        }
    }
    return 0;
}

int check(const std::string& folder) {
    LogFileManagerDefault manager(folder);
    for (const auto& info : manager.sortedLogFileInfos()) {
        std::cout << (info.isArchived() ? "archived " : "open ") << info.fileName() << "\n";
    }
    manager.setLogFilesDiskQuota(1); // every file is over it, and the newest is archived
    manager.setMaximumNumberOfLogFiles(0);
    LogFileManagerDefault::backgroundQueue().sync([] {});
    std::cout << "left " << manager.sortedLogFileNames().size() << "\n";
    return 0;
}

int writeLine(const std::string& folder) {
    auto manager = std::make_shared<LogFileManagerDefault>(folder);
    LogDispatcher dispatcher;
    dispatcher.addLogger(FileLogger::make(manager), LogLevels::info);
    dispatcher.log(false, tavrel::testing::makeRecord("the line"));
    dispatcher.flushLog();
    for (const auto& path : manager->sortedLogFilePaths()) {
        if (std::filesystem::is_regular_file(path)) {
            std::cout << "=== " << std::filesystem::path(path).filename().string() << "\n"
                      << tavrel::testing::readFile(path);
        }
    }
    return 0;
}

int create(const std::string& folder) {
    LogFileManagerDefault manager(folder);
    const auto path = manager.createNewLogFile();
    std::cout << (path.ok() ? "created " + *path : "none: " + path.error().description()) << "\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: logfiles_helper startup|fulldisk|mark|check|write|create <argument>\n";
        return 2;
    }
    const std::string mode = argv[1];
    const std::string argument = argv[2];
    if (mode == "startup") {
        return startup(argument);
    }
    if (mode == "fulldisk") {
        return fullDisk(argument);
    }
    if (mode == "mark") {
        return mark(argument);
    }
    if (mode == "check") {
        return check(argument);
    }
    if (mode == "write") {
        return writeLine(argument);
    }
    if (mode == "create") {
        return create(argument);
    }
    return 2;
}
