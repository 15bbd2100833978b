// What a job that works through a script of the uninstaller's resources came to, when it did
// not fail.
#pragma once

namespace tavrel::jobs {

enum class ScriptJobResult {
    done,          // the script did its work: a helper was stopped, the defaults were reset
    nothingToDo,   // the script found nothing to do: no such helper was running
    scriptMissing, // the script is not among the uninstaller's resources; nothing was done
};

} // namespace tavrel::jobs
