// The current user's roots, and those of the shared locations.
#include "Source/run/Roots.hpp"

#include "Source/product/ProductIdentifiers.hpp"
#include "platform/HomeFolder.hpp"
#include "platform/LoginItemSwitch.hpp"
#include "platform/TrashFolders.hpp"

namespace tavrel {

std::optional<Roots> Roots::current() {
    auto home = platform::homeFolder();
    if (!home) {
        return std::nullopt;
    }
    Roots roots;
    roots.trashFolders = platform::TrashFolders::userTrashFolders(*home);
    roots.loginItems = platform::LoginItemSwitch::loginItemsFolder(*home);
    roots.applications = product::kApplicationsFolder;
    roots.home = std::move(*home);
    return roots;
}

Roots Roots::shared() {
    Roots roots;
    roots.applications = product::kApplicationsFolder;
    return roots;
}

} // namespace tavrel
