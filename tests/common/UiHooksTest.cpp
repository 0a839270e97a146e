#include "UiHooks.h"

#include <gtest/gtest.h>

#include <vector>

TEST(UiHooks, WithoutHooksPumpIsNoOpAndMessagesGoToStderr) {
    UiHooks previous = InstallUiHooks({});
    ProcessMessages(); // must not crash or block
    testing::internal::CaptureStderr();
    ShowMessage("Cannot connect to Datasource: x");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Cannot connect to Datasource: x\n");
    // A message with % in it is printed as it is.
    testing::internal::CaptureStderr();
    ShowMessage("100% %s %n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "100% %s %n\n");
    InstallUiHooks(previous);
}

TEST(UiHooks, InstalledHooksAreCalledAndPreviousReturned) {
    int pumps = 0;
    std::vector<std::string> boxes;
    UiHooks first = InstallUiHooks({[&] { ++pumps; }, [&](const std::string& t) { boxes.push_back(t); }});
    ProcessMessages();
    ProcessMessages();
    testing::internal::CaptureStderr();
    ShowMessage("ODBC Error: x");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(pumps, 2);
    EXPECT_EQ(boxes, std::vector<std::string>{"ODBC Error: x"});

    // Installing new hooks hands back the ones that were active, so they can be restored.
    int other = 0;
    UiHooks mine = InstallUiHooks({[&] { ++other; }, nullptr});
    ASSERT_TRUE(mine.processMessages);
    mine.processMessages();
    EXPECT_EQ(pumps, 3);
    ProcessMessages();
    EXPECT_EQ(other, 1);
    // Only the pump installed: boxes fall back to standard error.
    testing::internal::CaptureStderr();
    ShowMessage("fallback");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "fallback\n");
    InstallUiHooks(first);
}
