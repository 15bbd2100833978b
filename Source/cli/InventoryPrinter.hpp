// What an inventory found, for a person: one line per trace, in step order.
#pragma once

#include "Source/run/Inventory.hpp"

#include <cstdint>
#include <iosfwd>
#include <string>

namespace tavrel::cli {

class InventoryPrinter {
public:
    /// The trace in a few words: '2 keychain items of "Tavrel"', 'login item "Tavrel"',
    /// "helper process brolt (pid 812)", "/Applications/TAVREL.app (1.2 KiB, 3 files)".
    static std::string describe(const Trace& trace);

    /// A size a person reads at a glance: "1 byte", "900 bytes", "1.5 KiB", "300 KiB", "12 GiB"
    /// (units of 1024; one decimal below 10).
    static std::string readableSize(std::uint64_t bytes);

    /// "Step  8  <trace>" for every trace, and "Step  1  cannot be looked at: <why>" for every
    /// step that could not be looked at, in step order.
    static void printSteps(const Inventory& inventory, std::ostream& out);

    /// The inventory shown before anything is removed: a heading and its lines, or one line
    /// saying that nothing of the product was found.
    static void print(const Inventory& inventory, std::ostream& out);
};

} // namespace tavrel::cli
