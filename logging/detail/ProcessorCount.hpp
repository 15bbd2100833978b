// The processor count the log dispatcher plans its fan-out with.
#pragma once

namespace tavrel::logging {

/// The platform's count of online processors, or 1 when it reports none.
unsigned processorCount() noexcept;

} // namespace tavrel::logging
