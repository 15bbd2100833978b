// The product's helper processes that are stopped before their bundles are deleted.
#pragma once

#include "Source/product/ProductIdentifiers.hpp"

#include <array>
#include <cstddef>
#include <string>

namespace tavrel::jobs {

/// In the order the run stops them.
enum class HelperProcess { brolt, finderSync, fileProvider };

inline constexpr std::array<HelperProcess, 3> kHelperProcesses = {
    HelperProcess::brolt, HelperProcess::finderSync, HelperProcess::fileProvider};

/// The process's name: "brolt", "TavrelFinderSync" or "TavrelFileProvider".
inline std::string processName(HelperProcess helper) {
    return product::kHelperProcessNames.at(static_cast<std::size_t>(helper));
}

/// The name of the script that stops it: "kill-" + its name + ".sh".
inline std::string scriptFileName(HelperProcess helper) {
    return "kill-" + processName(helper) + ".sh";
}

} // namespace tavrel::jobs
