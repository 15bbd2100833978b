// How an alert presents itself: a warning for errors, informational for the flow's own notes.
#pragma once

namespace tavrel {

enum class AlertStyle { warning, informational, critical };

} // namespace tavrel
