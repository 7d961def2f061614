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

} // namespace
