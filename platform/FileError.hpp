// The error value of a failed file operation: the system error number and the item it concerns.
#pragma once

#include <ostream>
#include <string>

namespace tavrel::platform {

class FileError {
public:
    /// What was being done to the item; it chooses the verb of the localized description.
    enum class Operation { remove, inspect, change, create };

    /// An error with the system's error number for the item at `path`; `reason`, when given,
    /// says why in words of our own where the system's text for the number would mislead.
    FileError(int code, std::string path, Operation operation = Operation::remove,
              std::string reason = {})
        : code_(code), path_(std::move(path)), operation_(operation), reason_(std::move(reason)) {}

    /// The system error number (errno).
    [[nodiscard]] int code() const noexcept { return code_; }
    /// The path of the item the failed operation concerned.
    [[nodiscard]] const std::string& path() const noexcept { return path_; }
    /// What was being done to the item.
    [[nodiscard]] Operation operation() const noexcept { return operation_; }

    /// The reason: the one given, else the system's words, e.g. "Read-only file system".
    [[nodiscard]] std::string reason() const;

    /// One short sentence naming the item and the reason.
    [[nodiscard]] std::string localizedDescription() const;

    /// The full textual form: Error Domain=NSPOSIXErrorDomain Code=<errno>
    /// "<localized description>" UserInfo={NSFilePath=<path>}.
    [[nodiscard]] std::string description() const;

    friend bool operator==(const FileError&, const FileError&) = default;
    /// Prints the full textual form, so a failing test shows what went wrong.
    friend std::ostream& operator<<(std::ostream& out, const FileError& error) {
        return out << error.description();
    }

private:
    int code_;
    std::string path_;
    Operation operation_;
    std::string reason_;
};

/// The system's text for an error number, e.g. "Read-only file system"; never empty.
std::string errorText(int code);

} // namespace tavrel::platform
