#include "app/application.h"
#include "app/message_internal.h"
#include "app/message_style.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct StyleCase {
    int style;
    std::vector<int> answers;
    std::vector<std::string> labels;
    int returnAnswer;
    int escapeAnswer;
    MessageLook look;
};

TEST(MessageStyleTest, DecodesButtonsDefaultsAndLook) {
    const StyleCase cases[] = {
        {36, {6, 7}, {"Yes", "No"}, 6, 7, MessageLook::kQuestion},
        {48, {1}, {"OK"}, 1, 1, MessageLook::kWarning},
        {64, {1}, {"OK"}, 1, 1, MessageLook::kInformation},
        {0x10, {1}, {"OK"}, 1, 1, MessageLook::kError},
        {0x01, {1, 2}, {"OK", "Cancel"}, 1, 2, MessageLook::kNone},
        {0x02, {3, 4, 5}, {"Abort", "Retry", "Ignore"}, 3, 3, MessageLook::kNone},
        {0x23, {6, 7, 2}, {"Yes", "No", "Cancel"}, 6, 2, MessageLook::kQuestion},
        {0x05, {4, 2}, {"Retry", "Cancel"}, 4, 2, MessageLook::kNone},
        {0x0F, {1}, {"OK"}, 1, 1, MessageLook::kNone},
        {-1, {1}, {"OK"}, 1, 1, MessageLook::kNone},
        {0x7F4, {6, 7}, {"Yes", "No"}, 6, 7, MessageLook::kNone},
    };
    for (const StyleCase &c : cases) {
        SCOPED_TRACE(c.style);
        const MessageBoxLayout layout = DecodeMessageStyle(c.style);
        ASSERT_EQ(layout.buttonCount, static_cast<int>(c.answers.size()));
        for (int i = 0; i < layout.buttonCount; ++i) {
            EXPECT_EQ(layout.buttons[i].answer, c.answers[i]);
            EXPECT_EQ(layout.buttons[i].text, c.labels[i]);
        }
        EXPECT_EQ(layout.returnAnswer, c.returnAnswer);
        EXPECT_EQ(layout.escapeAnswer, c.escapeAnswer);
        EXPECT_EQ(layout.look, c.look);
    }
}

TEST(ShowMessageTest, WithoutABoxTextGoesToStandardErrorAndAnswersNo) {
    DisableMessageBoxesForTest();
    const struct {
        const char *caption, *text;
        int style;
        const char *printed;
    } cases[] = {
        {"Resolution", "Use 800x600?\n(default 1024x768)", 36,
         "Resolution\nUse 800x600?\n(default 1024x768)\n"},
        {"ERROR", "Window creation error.", 48, "ERROR\nWindow creation error.\n"},
        {nullptr, nullptr, 64, "\n\n"},
    };
    for (const auto &c : cases) {
        ::testing::internal::CaptureStderr();
        const int answer = ShowMessage(c.caption, c.text, c.style);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.printed);
        EXPECT_EQ(answer, kAnswerNo);
    }
}

} // namespace
