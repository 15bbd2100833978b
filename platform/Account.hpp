// One account of the machine's account database.
#pragma once

#include <string>

namespace tavrel::platform {

struct Account {
    std::string name; // the login name
    unsigned uid = 0; // the user id
    unsigned gid = 0; // the primary group id
    std::string home; // the home folder, as the database gives it
};

} // namespace tavrel::platform
