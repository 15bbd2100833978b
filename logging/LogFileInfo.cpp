// Log file info. Attributes are read lazily and kept, except the archived mark, which other
// processes and the pruning pass may change at any time.
#include "logging/LogFileInfo.hpp"

#include "logging/detail/LogAssert.hpp"
#include "logging/detail/LogFileTimestamp.hpp"
#include "platform/ExtendedAttributes.hpp"
#include "platform/SystemLog.hpp"

#include <functional>

namespace tavrel::logging {

std::optional<LogFileInfo> LogFileInfo::logFileWithPath(const std::string& path) {
    if (path.empty() || !platform::FileAttributes::read(path).ok()) {
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
        auto attributes = platform::FileAttributes::read(filePath_);
        if (attributes.ok()) {
            fileAttributes_.emplace(std::move(attributes).value());
        } else {
            fileAttributes_.emplace(std::nullopt);
            platform::systemLog("LogFileInfo: Failed to read file attributes: " + filePath_ + ": " +
                                attributes.error().reason());
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
        fileSize_ = attributes.ok() ? attributes->size : 0;
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
    const auto mark = platform::ExtendedAttributes::read(filePath_, kArchivedAttributeName, 1);
    if (!mark.ok()) {
        return false;
    }
    if (*mark != "\x01") {
        setIsArchived(true);
    }
    return true;
}

void LogFileInfo::setIsArchived(bool archived) const {
    using platform::ExtendedAttributes;
    if (archived) {
        const auto written = ExtendedAttributes::write(filePath_, kArchivedAttributeName, "\x01");
        if (!written.ok() && !ExtendedAttributes::isMissingFile(written.error())) {
            platform::systemLog(std::string("LogFileInfo: setxattr(") + kArchivedAttributeName +
                                ", " + filePath_ + "): error = " + written.error().reason());
        }
        return;
    }
    const auto removed = ExtendedAttributes::remove(filePath_, kArchivedAttributeName);
    if (!removed.ok() && !ExtendedAttributes::isAbsent(removed.error())) {
        platform::systemLog(std::string("LogFileInfo: removexattr(") + kArchivedAttributeName +
                            ", " + fileName() + "): error = " + removed.error().reason());
    }
}

std::size_t LogFileInfo::hash() const noexcept {
    return std::hash<std::string>{}(filePath_);
}

} // namespace tavrel::logging
