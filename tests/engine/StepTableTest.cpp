// The step table: rows in run order, titled alike in every front end, and an inventory that
// looks at each row by the rules its run follows.
#include "Source/run/StepTable.hpp"

#include "Source/app/UninstallAlert.hpp"
#include "Source/run/Inventory.hpp"
#include "platform/BundleInfo.hpp"
#include "tests/keychain/FakeKeychainStore.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <gtest/gtest.h>

using tavrel::Step;
using tavrel::StepTable;

TEST(StepTableTest, RowsAreNumberedInOrderAndTheWindowTitlesThemAsTheCommandLineDoes) {
    const tavrel::LocalizedStrings english(
        tavrel::platform::BundleInfo::resourcesFolder().value_or(""), "en");
    ASSERT_EQ(StepTable::count(), 20);
    for (const Step& step : StepTable::steps()) {
        EXPECT_EQ(&StepTable::step(step.number), &step);
        EXPECT_EQ(tavrel::UninstallAlert::stepTitle(step, english), step.title);
        EXPECT_TRUE(step.look && step.run) << step.title;
    }
}

TEST(StepTableTest, TheInventoryCountsTheKeychainItemsTheJobWouldTakeAndNamesEachStep) {
    const tavrel::testing::TemporaryFolder home;
    tavrel::testing::FakeKeychainStore keychain;
    keychain.keys = {{"Tavrel", {"a", "b"}},
                     {"KVTOAuthCredentialService", {"u@tavrel.com", "u@tavrel.com.evil"}},
                     {"AFOAuthCredentialService", {"u@other.com"}},
                     {"Tavrel Device Restriction", {"DeviceSecret", "Other"}}};
    tavrel::Roots roots;
    roots.home = roots.applications = roots.loginItems = home.string();
    const tavrel::Inventory inventory = tavrel::Inventory::take(roots, keychain);
    ASSERT_EQ(inventory.steps.size(), 20U);
    for (std::size_t index = 0; index < inventory.steps.size(); ++index) {
        EXPECT_EQ(inventory.steps[index].step, static_cast<int>(index) + 1);
    }
    std::vector<std::pair<std::string, int>> counted;
    for (const tavrel::Trace& trace : inventory.steps[0].traces) {
        counted.emplace_back(trace.name, trace.items.value_or(0));
    }
    EXPECT_EQ(counted,
              (std::vector<std::pair<std::string, int>>{{"Tavrel", 2},
                                                        {"KVTOAuthCredentialService", 1},
                                                        {"Tavrel Device Restriction", 1}}));
}
