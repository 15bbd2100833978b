// Log set-up.
#include "Source/app/Logger.hpp"

#include "logging/FileLogger.hpp"
#include "logging/Log.hpp"
#include "logging/LogDispatcher.hpp"
#include "logging/LogFileManagerDefault.hpp"
#include "logging/TTYLogger.hpp"
#include "platform/BundleInfo.hpp"
#include "platform/HomeFolder.hpp"
#include "platform/OperatingSystemVersion.hpp"

#include <memory>
#include <string>

namespace tavrel {

namespace {
constexpr const char* kFunction = "startUp()";
constexpr const char* kAsteriskRow =
    "*************************************************************";
constexpr double kRollingFrequency = 60 * 60 * 24;
constexpr unsigned long kMaximumNumberOfLogFiles = 7;
} // namespace

void Logger::startUp(Terminal terminal) {
    using namespace logging;
    LogDispatcher& dispatcher = LogDispatcher::sharedInstance();
    // Not even made when not shown: making it writes a warning of its own.
    if (terminal == Terminal::shown) {
        dispatcher.addLogger(TTYLogger::sharedInstance(), log_levels::kInfo);
    }

    // Without a home folder the manager's own default, in the temporary folder, takes over.
    const auto home = platform::homeFolder();
    const std::string logsDirectory = home ? *home + "/Library/Logs/TavrelUninstaller/" : "";
    auto fileManager = std::make_shared<LogFileManagerDefault>(logsDirectory);
    auto fileLogger = FileLogger::make(fileManager);
    fileLogger->setRollingFrequency(kRollingFrequency);
    fileManager->setMaximumNumberOfLogFiles(kMaximumNumberOfLogFiles);
    dispatcher.addLogger(fileLogger, log_levels::kInfo);

    logInfo(kFunction, kAsteriskRow);
    logInfo(kFunction, [] {
        return platform::OperatingSystemVersion::platformName() + ": " +
               platform::OperatingSystemVersion::versionString();
    });
    // Both versions or none: a line with one of them missing would read as a real version.
    const auto shortVersion = platform::BundleInfo::infoString("CFBundleShortVersionString");
    const auto bundleVersion = platform::BundleInfo::infoString("CFBundleVersion");
    logInfo(kFunction, [&] {
        return "TavelUninstaller: " + shortVersion.value_or("unknown") + " (" +
               bundleVersion.value_or("unknown") + ")";
    });
#ifndef NDEBUG
    logDebug(kFunction, "DEBUG Build Version");
#endif
    logInfo(kFunction, kAsteriskRow);
}

} // namespace tavrel
