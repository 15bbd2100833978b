// Application delegate. Its log lines carry this file, Source/AppDelegate, as their source.
#include "Source/app/AppDelegate.hpp"

#include "Source/app/Logger.hpp"
#include "logging/Log.hpp"
#include "platform/Workspace.hpp"

namespace tavrel {

void AppDelegate::applicationDidFinishLaunching() {
    Logger::startUp();
}

void AppDelegate::openLogFolderAction() const {
    constexpr const char* kFunction = "openLogFolderAction(_:)";
    logging::logInfo(kFunction, "----- Open Log Folder -----");
    const bool opened = platform::Workspace::openFile(logFolder());
    logging::logInfo(kFunction, opened ? "Success" : "Failed");
}

void AppDelegate::applicationWillTerminate() {
    logging::logInfo("applicationWillTerminate(_:)", "----- Terminate -----");
}

std::string AppDelegate::logFolder() const {
    return homeFolder_ + "/Library/Logs/TavrelUninstaller/";
}

} // namespace tavrel
