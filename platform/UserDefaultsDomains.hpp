// Which of a product's user defaults domains the user has.
#pragma once

#include "platform/Result.hpp"

#include <span>
#include <string>
#include <vector>

namespace tavrel::platform {

class UserDefaultsDomains {
public:
    /// Those of `domains` that hold anything for the user whose home folder is `home`, in the
    /// order given: the domains the reset script would clear. Changes nothing. Fails when
    /// whether a domain is there cannot be told.
    static Result<std::vector<std::string>> present(const std::string& home,
                                                    std::span<const char* const> domains);
};

} // namespace tavrel::platform
