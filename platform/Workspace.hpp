// The desktop's workspace: asking the system to open a file or folder with its default
// application (a folder in the file browser).
#pragma once

#include <string>

namespace tavrel::platform {

class Workspace {
public:
    /// Asks the system to open `path`, passed as one argument, never quoted or split. True when
    /// it did; false when nothing is at `path` or the system could not open it. Waits at most a
    /// few seconds for the answer: an opener still busy after that is taken as having opened it.
    static bool openFile(const std::string& path);

    /// Whether a display is there to show windows on (on Linux: DISPLAY or WAYLAND_DISPLAY set).
    [[nodiscard]] static bool hasDisplay();
};

} // namespace tavrel::platform
