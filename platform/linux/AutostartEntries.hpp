// The user's login items as the XDG autostart entries of one folder: listing their names and
// deleting one by name.
#pragma once

#include "platform/Result.hpp"

#include <optional>
#include <string>
#include <vector>

namespace tavrel::platform::linux_desktop {

class AutostartEntries {
public:
    /// The login items of a folder, and the entries among them that could not be read.
    struct Listing {
        /// Each readable login item's name; none for an entry without one.
        std::vector<std::optional<std::string>> names;
        /// Why each entry that cannot be read was not (one that is no regular file, say).
        std::vector<FileError> unreadable;
    };

    /// The login items of `folder`: its `*.desktop` entries that are not `Hidden=true`, in
    /// file-name order, each as its `Name=` (escapes such as `\s` resolved). A missing folder
    /// holds no login items; an entry that is missing, a folder or a link leading nowhere is
    /// none; one that cannot be read (see UntrustedFile) is listed as unreadable and leaves the
    /// others as they are. Fails when the folder cannot be read.
    static Result<Listing> list(const std::string& folder);

    /// Deletes the file of the first readable login item of `folder` whose name equals `name`
    /// under canonical equivalence (see canonicallyEqual): true when one was deleted, false when
    /// none has that name. Fails when the folder cannot be read or the file cannot be deleted.
    static Result<bool> removeFirst(const std::string& folder, const std::string& name);
};

} // namespace tavrel::platform::linux_desktop
