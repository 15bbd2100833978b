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
    /// The login items of `folder`: its `*.desktop` entries that are not `Hidden=true`, in
    /// file-name order, each as its `Name=` (escapes such as `\s` resolved), none for an entry
    /// without one. A missing folder holds no login items. Fails when the folder or an entry in
    /// it cannot be read.
    static Result<std::vector<std::optional<std::string>>> names(const std::string& folder);

    /// Deletes the file of the first of those login items whose name equals `name` under
    /// canonical equivalence (see canonicallyEqual): true when one was deleted, false when none
    /// has that name. Fails when the listing fails or the file cannot be deleted.
    static Result<bool> removeFirst(const std::string& folder, const std::string& name);
};

} // namespace tavrel::platform::linux_desktop
