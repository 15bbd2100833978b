// The inventory for the terminal.
#include "Source/cli/InventoryPrinter.hpp"

#include <array>
#include <cstdio>
#include <iomanip>
#include <ostream>

namespace tavrel::cli {

namespace {

// "1 file", "3 files".
std::string counted(std::uint64_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

} // namespace

std::string InventoryPrinter::readableSize(std::uint64_t bytes) {
    constexpr std::array<const char*, 6> kUnits{"KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
    if (bytes < 1024) {
        return counted(bytes, "byte", "bytes");
    }
    // In tenths of the unit, rounded, so that 1023.96 KiB reads 1.0 MiB rather than 1024 KiB.
    std::size_t unit = 0;
    double value = static_cast<double>(bytes) / 1024;
    while (value >= 1023.95 && unit + 1 < kUnits.size()) {
        value /= 1024;
        ++unit;
    }
    std::array<char, 32> text{};
    (void)std::snprintf(text.data(), text.size(), value < 9.95 ? "%.1f %s" : "%.0f %s", value,
                        kUnits.at(unit));
    return text.data();
}

std::string InventoryPrinter::describe(const Trace& trace) {
    switch (trace.kind) {
    case Trace::Kind::keychainItems:
        return counted(static_cast<std::uint64_t>(trace.items.value_or(0)), "keychain item",
                       "keychain items") +
               " of \"" + trace.name + "\"";
    case Trace::Kind::launcher:
        return "login item " + trace.name + " (switched on)";
    case Trace::Kind::loginItem:
        return "login item \"" + trace.name + "\"";
    case Trace::Kind::process:
        return "helper process " + trace.name + " (pid " + std::to_string(trace.pid.value_or(0)) +
               ")";
    case Trace::Kind::path:
        if (trace.files && trace.bytes) {
            return trace.name + " (" + readableSize(*trace.bytes) + ", " +
                   counted(*trace.files, "file", "files") + ")";
        }
        return trace.name;
    case Trace::Kind::defaults:
        return "user defaults " + trace.name;
    }
    return trace.name;
}

void InventoryPrinter::printSteps(const Inventory& inventory, std::ostream& out) {
    for (const StepInventory& step : inventory.steps) {
        for (const Trace& trace : step.traces) {
            out << "Step " << std::setw(2) << step.step << "  " << describe(trace) << '\n';
        }
        if (step.unavailable) {
            out << "Step " << std::setw(2) << step.step
                << "  cannot be looked at: " << *step.unavailable << '\n';
        }
    }
}

void InventoryPrinter::print(const Inventory& inventory, std::ostream& out) {
    if (inventory.clean()) {
        out << "Nothing of Tavrel was found on this account.\n";
        return;
    }
    out << "Found on this account:\n";
    printSteps(inventory, out);
}

} // namespace tavrel::cli
