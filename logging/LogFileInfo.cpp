// Log file info. Attributes are read lazily and kept, except the archived mark, which other
// processes and the pruning pass may change at any time.
#include "logging/LogFileInfo.hpp"

#include "logging/detail/LogAssert.hpp"
#include "logging/detail/LogFileTimestamp.hpp"
#include "platform/ExtendedAttributes.hpp"
#include "platform/SystemLog.hpp"

#include <cstring>
#include <functional>

namespace tavrel::logging {

std::optional<LogFileInfo> LogFileInfo::logFileWithPath(const std::string& path) {
    if (path.empty() || !platform::FileAttributes::read(path)) {
        return std::nullopt;
    }
    return LogFileInfo(path);
}

LogFileInfo::LogFileInfo(std::string filePath) : filePath_(std::move(filePath)) {
    TAVREL_ASSERT(!filePath_.empty(), "Invalid parameter not satisfying: aFilePath");
}

const std::string& LogFileInfo::fileName() const {
    if (!fileName_) {
        const auto slash = filePath_.find_last_of('/');
        fileName_ = slash == std::string::npos ? filePath_ : filePath_.substr(slash + 1);
    }
    return *fileName_;
}

const std::optional<platform::FileAttributes>& LogFileInfo::fileAttributes() const {
    if (!fileAttributes_) {
        int error = 0;
        fileAttributes_ = platform::FileAttributes::read(filePath_, &error);
        if (!*fileAttributes_) {
            platform::systemLog("LogFileInfo: Failed to read file attributes: " + filePath_ + ": " +
                                std::strerror(error));
        }
    }
    return *fileAttributes_;
}

LogFileInfo::Clock::time_point LogFileInfo::creationDate() const {
    const auto& attributes = fileAttributes();
    if (!attributes) {
        return {};
    }
    if (attributes->creationDate) {
        return *attributes->creationDate;
    }
    return LogFileTimestamp::fromLogFileName(fileName()).value_or(attributes->modificationDate);
}

LogFileInfo::Clock::time_point LogFileInfo::modificationDate() const {
    const auto& attributes = fileAttributes();
    return attributes ? attributes->modificationDate : Clock::time_point{};
}

std::uint64_t LogFileInfo::fileSize() const {
    if (fileSize_ == 0) {
        // A size of 0 is read afresh: a file made empty is usually written soon after.
        const auto attributes = platform::FileAttributes::read(filePath_);
        fileSize_ = attributes ? attributes->size : 0;
    }
    return fileSize_;
}

double LogFileInfo::age() const {
    return std::chrono::duration<double>(Clock::now() - creationDate()).count();
}

bool LogFileInfo::isSymlink() const {
    const auto& attributes = fileAttributes();
    return attributes && attributes->type == platform::FileAttributes::Type::symbolicLink;
}

bool LogFileInfo::isArchived() const {
    const auto read = platform::ExtendedAttributes::read(filePath_, kArchivedAttributeName, 1);
    if (read.error != 0) {
        return false;
    }
    if (read.value.size() != 1 || read.value[0] != '\x01') {
        setIsArchived(true);
    }
    return true;
}

void LogFileInfo::setIsArchived(bool archived) const {
    if (archived) {
        const int error =
            platform::ExtendedAttributes::write(filePath_, kArchivedAttributeName, "\x01");
        if (error != 0 && !platform::ExtendedAttributes::isMissingFile(error)) {
            platform::systemLog(std::string("LogFileInfo: setxattr(") + kArchivedAttributeName +
                                ", " + filePath_ + "): error = " + std::strerror(error));
        }
        return;
    }
    const int error = platform::ExtendedAttributes::remove(filePath_, kArchivedAttributeName);
    if (error != 0 && !platform::ExtendedAttributes::isAbsent(error)) {
        platform::systemLog(std::string("LogFileInfo: removexattr(") + kArchivedAttributeName +
                            ", " + fileName() + "): error = " + std::strerror(error));
    }
}

std::size_t LogFileInfo::hash() const noexcept {
    return std::hash<std::string>{}(filePath_);
}

} // namespace tavrel::logging
