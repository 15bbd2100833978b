// A small program the log file tests run in a fresh process, often inside a private mount
// namespace (a tiny or a read-only file system), where the test process itself cannot go.
//
//   logfiles_helper startup <line>   Logger::startUp(), one info and one debug line, flush
//   logfiles_helper fulldisk <dir>   <dir> is a tiny file system: log, fill it, log, free, log
//   logfiles_helper mark <dir>       make three log files in <dir>, mark the 1st and 3rd archived
//   logfiles_helper check <dir>      print each log file's mark, then prune to the newest
//   logfiles_helper write <dir>      write one line with a file logger on <dir>, print the files
//   logfiles_helper create <dir>     ask for one new log file in <dir>
#include "Source/Logger.hpp"
#include "logging/Log.hpp"
#include "tests/logfiles/LogFilesTestSupport.hpp"

#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <map>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

using namespace tavrel::logging;
using tavrel::testing::makeRecord;

// Prints each regular file of the log set as "=== <name>" and its content.
void printLogFiles(LogFileManagerDefault& manager) {
    for (const auto& path : manager.sortedLogFilePaths()) {
        if (std::filesystem::is_regular_file(path)) {
            std::cout << "=== " << std::filesystem::path(path).filename().string() << "\n"
                      << tavrel::testing::readFile(path);
        }
    }
}

int startup(const std::string& line) {
    tavrel::Logger::startUp();
    logInfo("main()", line);
    logDebug("main()", "a debug line");
    LogDispatcher::sharedInstance().flushLog();
    LogFileManagerDefault::backgroundQueue().sync([] {}); // let start-up's pruning finish
    return 0;
}

// Logs a line, one that finds the disk full, and one after space returned.
int fullDisk(const std::string& folder) {
    auto manager = std::make_shared<LogFileManagerDefault>(folder + "/logs");
    LogDispatcher dispatcher;
    dispatcher.addLogger(FileLogger::make(manager), LogLevels::info);
    dispatcher.log(false, makeRecord("before the disk filled up"));
    const std::string filler = folder + "/filler";
    const int descriptor = open(filler.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    const std::string block(4096, 'x');
    for (std::size_t size = block.size(); size > 0; size = size > 1 ? size / 2 : 0) {
        while (write(descriptor, block.data(), size) > 0) { // down to the last byte of room
        }
    }
    close(descriptor);
    std::cerr << "--- disk full" << std::endl;
    dispatcher.log(false, makeRecord(std::string(6000, 'L') + " lost"));
    std::cerr << "--- freeing space" << std::endl;
    std::filesystem::remove(filler);
    dispatcher.log(false, makeRecord("after space returned"));
    dispatcher.flushLog();
    printLogFiles(*manager);
    return 0;
}

int mark(const std::string& folder) {
    const std::string probe = folder + "/probe";
    tavrel::testing::writeFile(probe, "");
    const bool accepted = setxattr(probe.c_str(), "user.test", "1", 1, 0) == 0;
    std::cout << "user attributes: " << (accepted ? "accepted" : "refused") << "\n";
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
    dispatcher.log(false, makeRecord("the line"));
    dispatcher.flushLog();
    printLogFiles(*manager);
    return 0;
}

int create(const std::string& folder) {
    const auto path = LogFileManagerDefault(folder).createNewLogFile();
    std::cout << (path.ok() ? "created " + *path : "none: " + path.error().description()) << "\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::map<std::string, int (*)(const std::string&)> modes{
        {"startup", startup}, {"fulldisk", fullDisk}, {"mark", mark},
        {"check", check},     {"write", writeLine},   {"create", create}};
    const auto mode = argc == 3 ? modes.find(argv[1]) : modes.end();
    if (mode == modes.end()) {
        std::cerr << "usage: logfiles_helper startup|fulldisk|mark|check|write|create <argument>\n";
        return 2;
    }
    return mode->second(argv[2]);
}
