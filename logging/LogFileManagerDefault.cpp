// Log folder manager. Nothing is cached between requests: other processes and the pruning
// pass change the folder at any time, so every request reads it again.
#include "logging/LogFileManagerDefault.hpp"

#include "logging/detail/BackgroundQueue.hpp"
#include "logging/detail/LogAssert.hpp"
#include "logging/detail/LogFileTimestamp.hpp"
#include "platform/BundleInfo.hpp"
#include "platform/File.hpp"
#include "platform/HomeFolder.hpp"
#include "platform/ProcessName.hpp"
#include "platform/SystemLog.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace tavrel::logging {

namespace {

constexpr int kMaximumCriticalErrors = 5;

std::string describe(int error) {
    return std::string(std::strerror(error)) + " (errno " + std::to_string(error) + ")";
}

std::string temporaryFolder() {
    std::error_code error;
    std::string folder = std::filesystem::temp_directory_path(error).string();
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return error || folder.empty() || folder == "/" ? "/tmp" : folder;
}

bool belongsToLogSet(std::string_view name) {
    const std::string& application = LogFileManagerDefault::applicationName();
    return name.size() >= application.size() + 1 + 4 &&
           name.compare(0, application.size(), application) == 0 &&
           name[application.size()] == ' ' && name.substr(name.size() - 4) == ".log";
}

void createFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        platform::systemLog("LogFileManagerDefault: Error creating logsDirectory: " + folder +
                            ": " + error.message());
    }
}

std::vector<std::string> listLogFilePaths(const std::string& folder) {
    std::vector<std::string> paths;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) {
        return paths;
    }
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    for (const auto& entry : entries) {
        std::string name = entry.path().filename().string();
        if (belongsToLogSet(name)) {
            paths.push_back(prefix + name);
        }
    }
    return paths;
}

std::vector<LogFileInfo> sortNewestFirst(std::vector<LogFileInfo> infos) {
    std::vector<std::pair<LogFileInfo::Clock::time_point, std::size_t>> dates;
    dates.reserve(infos.size());
    for (std::size_t i = 0; i < infos.size(); ++i) {
        const auto named = LogFileTimestamp::fromLogFileName(infos[i].fileName());
        dates.emplace_back(named ? *named : infos[i].creationDate(), i);
    }
    std::stable_sort(dates.begin(), dates.end(),
                     [](const auto& lhs, const auto& rhs) { return lhs.first > rhs.first; });
    std::vector<LogFileInfo> sorted;
    sorted.reserve(infos.size());
    for (const auto& [date, index] : dates) {
        sorted.push_back(std::move(infos[index]));
    }
    return sorted;
}

std::vector<std::string> namesOf(const std::vector<LogFileInfo>& infos) {
    std::vector<std::string> names;
    names.reserve(infos.size());
    for (const auto& info : infos) {
        names.push_back(info.fileName());
    }
    return names;
}

std::vector<LogFileInfo> infosOf(const std::vector<std::string>& paths) {
    std::vector<LogFileInfo> infos;
    infos.reserve(paths.size());
    for (const auto& path : paths) {
        infos.emplace_back(path);
    }
    return infos;
}

void prune(const std::string& folder, unsigned long maximumNumberOfLogFiles,
           std::uint64_t logFilesDiskQuota) {
    std::vector<LogFileInfo> infos = sortNewestFirst(infosOf(listLogFilePaths(folder)));
    std::size_t firstToDelete = infos.size();
    if (logFilesDiskQuota > 0) {
        std::uint64_t used = 0;
        for (std::size_t i = 0; i < infos.size(); ++i) {
            used += infos[i].fileSize();
            if (used > logFilesDiskQuota) {
                firstToDelete = i;
                break;
            }
        }
    }
    if (maximumNumberOfLogFiles > 0) {
        firstToDelete = std::min<std::size_t>(firstToDelete, maximumNumberOfLogFiles);
    }
    if (firstToDelete == 0 && !infos.empty() && !infos.front().isArchived()) {
        firstToDelete = 1; // the newest unarchived file is the one being written
    }
    for (std::size_t i = firstToDelete; i < infos.size(); ++i) {
        std::error_code error;
        if (!std::filesystem::remove(infos[i].filePath(), error) && error) {
            platform::systemLog("LogFileManagerDefault: Error deleting file " +
                                infos[i].filePath() + ": " + error.message());
        }
    }
}

} // namespace

LogFileManagerDefault::LogFileManagerDefault(std::string logsDirectory)
    : logsDirectory_(std::move(logsDirectory)) {
    if (logsDirectory_.empty()) {
        // The user's library folder, or the temporary folder when there is no usable home:
        // never the system-wide /Library.
        const auto home = platform::homeFolder();
        std::string library = home ? *home + "/Library" : temporaryFolder();
        logsDirectory_ = library + "/Logs/" + platform::processName();
    }
}

std::string LogFileManagerDefault::logsDirectory() {
    TAVREL_ASSERT(!logsDirectory_.empty(), "Directory must be set.");
    createFolder(logsDirectory_);
    return logsDirectory_;
}

unsigned long LogFileManagerDefault::maximumNumberOfLogFiles() const noexcept {
    return maximumNumberOfLogFiles_.load();
}

void LogFileManagerDefault::setMaximumNumberOfLogFiles(unsigned long maximum) {
    if (maximumNumberOfLogFiles_.exchange(maximum) != maximum) {
        startPruningInBackground();
    }
}

std::uint64_t LogFileManagerDefault::logFilesDiskQuota() const noexcept {
    return logFilesDiskQuota_.load();
}

void LogFileManagerDefault::setLogFilesDiskQuota(std::uint64_t quota) {
    if (logFilesDiskQuota_.exchange(quota) != quota) {
        startPruningInBackground();
    }
}

std::vector<std::string> LogFileManagerDefault::unsortedLogFilePaths() {
    return listLogFilePaths(logsDirectory());
}

std::vector<std::string> LogFileManagerDefault::unsortedLogFileNames() {
    return namesOf(unsortedLogFileInfos());
}

std::vector<LogFileInfo> LogFileManagerDefault::unsortedLogFileInfos() {
    return infosOf(unsortedLogFilePaths());
}

std::vector<std::string> LogFileManagerDefault::sortedLogFilePaths() {
    std::vector<std::string> paths;
    for (const auto& info : sortedLogFileInfos()) {
        paths.push_back(info.filePath());
    }
    return paths;
}

std::vector<std::string> LogFileManagerDefault::sortedLogFileNames() {
    return namesOf(sortedLogFileInfos());
}

std::vector<LogFileInfo> LogFileManagerDefault::sortedLogFileInfos() {
    return sortNewestFirst(unsortedLogFileInfos());
}

platform::Result<std::string> LogFileManagerDefault::createNewLogFile() {
    const std::string baseName =
        applicationName() + " " + LogFileTimestamp::fileNameText(LogFileInfo::Clock::now());
    const std::string folder = logsDirectory();
    unsigned long attempt = 1;
    int criticalErrors = 0;
    for (;;) {
        const std::string name =
            attempt == 1 ? baseName + ".log" : baseName + " " + std::to_string(attempt) + ".log";
        std::string path = folder;
        if (path.back() != '/') {
            path += '/';
        }
        path += name;
        // Exclusive: an existing file is never replaced, whoever made it.
        const auto created = platform::File::createNew(path);
        if (created.ok()) {
            startPruningInBackground();
            return path;
        }
        const platform::FileError& failure = created.error();
        if (failure.code() == EEXIST) {
            ++attempt;
            continue;
        }
        platform::systemLog("LogFileManagerDefault: Critical error while creating log file: " +
                            path + ": " + describe(failure.code()));
        if (++criticalErrors >= kMaximumCriticalErrors) {
            platform::systemLog("LogFileManagerDefault: Bailing file creation, encountered " +
                                std::to_string(criticalErrors) + " errors.");
            return failure;
        }
    }
}

void LogFileManagerDefault::deleteOldLogFiles() {
    prune(logsDirectory(), maximumNumberOfLogFiles_.load(), logFilesDiskQuota_.load());
}

void LogFileManagerDefault::startPruningInBackground() {
    // The pass takes the values it needs, so it may outlive this manager.
    backgroundQueue().async([folder = logsDirectory_, maximum = maximumNumberOfLogFiles_.load(),
                             quota = logFilesDiskQuota_.load()] {
        createFolder(folder);
        prune(folder, maximum, quota);
    });
}

const std::string& LogFileManagerDefault::applicationName() {
    // Never destroyed: background pruning passes may still read it while the process exits.
    static const std::string* const name = [] {
        std::string identifier =
            platform::BundleInfo::infoString("CFBundleIdentifier").value_or("");
        return new std::string(identifier.empty() ? platform::processName() : identifier);
    }();
    return *name;
}

SerialQueue& LogFileManagerDefault::backgroundQueue() {
    return BackgroundQueue::shared();
}

} // namespace tavrel::logging
