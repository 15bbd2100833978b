// The step table: rows in run order, titled alike in every front end.
#include "Source/run/StepTable.hpp"

#include "Source/app/UninstallAlert.hpp"
#include "platform/BundleInfo.hpp"

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
