// A small program the log file tests run in a fresh process, often inside a private mount
// namespace (a tiny or a read-only file system), where the test process itself cannot go.
//
//   logfiles_helper startup <line>  Logger::startUp(), then <line> at info and one debug line
//   logfiles_helper write <dir> <line | --fill | --free>...
//                                   write each line with a file logger on <dir>, fill its file
//                                   system up or free it again, then print the log set's listing
//   logfiles_helper marks <dir>     make three log files in <dir>, archive the 1st and 3rd, then
//                                   print each file's mark as a new manager reads it, and prune
#include "Source/app/Logger.hpp"
#include "logging/Log.hpp"
#include "tests/logfiles/LogFilesTestSupport.hpp"

#include <fcntl.h>
#include <iostream>
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

int writeLines(const std::string& folder, char** argument, char** end) {
    LogDispatcher dispatcher;
    dispatcher.addLogger(FileLogger::make(std::make_shared<LogFileManagerDefault>(folder)),
                         log_levels::kInfo);
    const std::string filler = folder + "/filler"; // no log file, by its name
    for (; argument != end; ++argument) {
        if (std::string(*argument) == "--fill") {
            const int descriptor = open(filler.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
            while (::write(descriptor, "x", 1) > 0) { // to the last byte of room
            }
            close(descriptor);
            std::cerr << "--- disk full" << std::endl;
        } else if (std::string(*argument) == "--free") {
            std::cerr << "--- freeing space" << std::endl;
            std::filesystem::remove(filler);
        } else {
            dispatcher.log(false, tavrel::testing::makeRecord(*argument));
        }
    }
    dispatcher.flushLog();
    for (const std::string& line : tavrel::testing::listing(folder)) {
        std::cout << line << "\n";
    }
    return 0;
}

int marks(const std::string& folder) {
    const bool accepted = setxattr(folder.c_str(), "user.test", "1", 1, 0) == 0;
    std::cout << "user attributes: " << (accepted ? "accepted" : "refused") << "\n";
    for (int i = 0; i < 3; ++i) {
        // No file: value() throws, and the run fails.
        const std::string path = LogFileManagerDefault(folder).createNewLogFile().value();
        tavrel::testing::writeFile(path, "a line\n");
        usleep(2000);
        LogFileInfo(path).setIsArchived(i != 1);
    }
    LogFileManagerDefault manager(folder);
    for (const auto& info : manager.sortedLogFileInfos()) {
        std::cout << (info.isArchived() ? "archived\n" : "open\n");
    }
    manager.setLogFilesDiskQuota(1); // every file is over it, and the newest is archived
    manager.setMaximumNumberOfLogFiles(0);
    LogFileManagerDefault::backgroundQueue().sync([] {});
    std::cout << "left " << manager.sortedLogFileNames().size() << "\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc >= 3 ? argv[1] : "";
    if (mode == "startup" || mode == "marks") {
        return mode == "startup" ? startup(argv[2]) : marks(argv[2]);
    }
    if (mode == "write") {
        return writeLines(argv[2], argv + 3, argv + argc);
    }
    std::cerr << "usage: logfiles_helper startup|write|marks <argument>...\n";
    return 2;
}
