// Named attributes kept with a file (extended attributes), with a flag fallback where the file
// system refuses them.
#pragma once

#include "platform/Result.hpp"

#include <cstddef>
#include <string>
#include <string_view>

namespace tavrel::platform {

class ExtendedAttributes {
public:
    /// At most `maxLength` bytes of the attribute `name` (given without any name-space prefix)
    /// of the file at `path`. Never follows a final symbolic link. Fails when the file has no
    /// such attribute (see isAbsent) or it cannot be read.
    ///
    /// Where the file system refuses such attributes, an attribute is kept as a flag instead:
    /// the file carries the mark when none of its write permission bits is set. A marked file
    /// reads as the single byte 1; an unmarked one as absent.
    static Result<std::string> read(const std::string& path, std::string_view name,
                                    std::size_t maxLength);

    /// Writes the attribute, replacing any value. Where the file system refuses attributes,
    /// marks the file (clears its write bits) instead.
    static Result<void> write(const std::string& path, std::string_view name,
                              std::string_view value);

    /// Removes the attribute (failing with isAbsent when there is none). Where the file system
    /// refuses attributes, takes the mark away (gives the owner write permission back).
    static Result<void> remove(const std::string& path, std::string_view name);

    /// Whether the error means "the file has no such attribute".
    static bool isAbsent(const FileError& error) noexcept;
    /// Whether the error means "the file does not exist".
    static bool isMissingFile(const FileError& error) noexcept;
};

} // namespace tavrel::platform
