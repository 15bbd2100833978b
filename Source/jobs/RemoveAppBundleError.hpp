// The error thrown when an application bundle or data folder cannot be deleted.
#pragma once

#include "Source/errors/Error.hpp"
#include "platform/FileError.hpp"

#include <string>

namespace tavrel::jobs {

class RemoveAppBundleError final : public Error {
public:
    /// The path exactly as it was to be deleted, and the file manager's error for it.
    RemoveAppBundleError(std::string path, platform::FileError error);

    [[nodiscard]] const std::string& path() const noexcept { return path_; }
    [[nodiscard]] const platform::FileError& error() const noexcept { return error_; }

    /// Message: the file error's localized description; one "OK" button; warning style.
    [[nodiscard]] Alert alert() const override;

private:
    std::string path_;
    platform::FileError error_;
};

} // namespace tavrel::jobs
