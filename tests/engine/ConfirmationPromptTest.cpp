// The command line's question: only a yes is yes.
#include "Source/cli/ConfirmationPrompt.hpp"

#include <gtest/gtest.h>
#include <sstream>

using tavrel::cli::ConfirmationPrompt;

TEST(ConfirmationPromptTest, OnlyYOrYesInAnyCaseIsYesAndReturnAloneIsNo) {
    const std::vector<std::pair<std::string, bool>> answers{
        {"y\n", true},   {" YES \n", true}, {"Yes", true},     {"\n", false},     {"", false},
        {"  \n", false}, {"n\n", false},    {"yess\n", false}, {"y es\n", false}, {"ja\n", false},
    };
    for (const auto& [answer, yes] : answers) {
        std::istringstream in(answer);
        std::ostringstream out;
        EXPECT_EQ(ConfirmationPrompt::ask(in, out), yes) << '"' << answer << '"';
        EXPECT_TRUE(out.str().starts_with(ConfirmationPrompt::kQuestion)) << out.str();
    }
}
