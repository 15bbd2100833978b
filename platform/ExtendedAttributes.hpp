// Named attributes kept with a file (extended attributes), with a flag fallback where the file
// system refuses them.
#pragma once

#include <string>
#include <string_view>

namespace tavrel::platform {

class ExtendedAttributes {
public:
    /// The outcome of reading an attribute: `error` is 0 when it is present (its first bytes in
    /// `value`), otherwise the system's error number (an absent attribute has its own number,
    /// see isAbsent).
    struct Read {
        int error = 0;
        std::string value;
    };

    /// Reads at most `maxLength` bytes of the attribute `name` (given without any name-space
    /// prefix) of the file at `path`. Never follows a final symbolic link.
    ///
    /// Where the file system refuses such attributes, an attribute is kept as a flag instead:
    /// the file carries the mark when none of its write permission bits is set. A marked file
    /// reads as present with the single byte 1; an unmarked one as absent.
    static Read read(const std::string& path, std::string_view name, std::size_t maxLength);

    /// Writes the attribute, replacing any value; 0 on success, else the error number. Where
    /// the file system refuses attributes, marks the file (clears its write bits) instead.
    static int write(const std::string& path, std::string_view name, std::string_view value);

    /// Removes the attribute; 0 on success, else the error number (isAbsent for no attribute).
    /// Where the file system refuses attributes, takes the mark away (gives the owner write
    /// permission back).
    static int remove(const std::string& path, std::string_view name);

    /// Whether an error number means "the file has no such attribute".
    static bool isAbsent(int error) noexcept;
    /// Whether an error number means "the file does not exist".
    static bool isMissingFile(int error) noexcept;
};

} // namespace tavrel::platform
