// The step table: each row found by its number, and titled alike in every front end (the
// command's run checks the rows themselves).
#include "Source/run/StepTable.hpp"

#include "Source/app/UninstallAlert.hpp"
#include "platform/BundleInfo.hpp"

#include <gtest/gtest.h>

using tavrel::Step;
using tavrel::StepTable;

TEST(StepTableTest, RowsAreNumberedInOrderAndTheWindowTitlesThemAsTheCommandLineDoes) {
    const tavrel::LocalizedStrings english(
        tavrel::platform::BundleInfo::resourcesFolder().value_or(""), "en");
    for (const Step& step : StepTable::steps()) {
        EXPECT_EQ(&StepTable::step(step.number), &step);
        EXPECT_EQ(tavrel::UninstallAlert::stepTitle(step, english), step.title);
    }
}
