#include "app/message_style.h"

#include <initializer_list>

namespace {

constexpr MessageButton kOk = {1, "OK"};
constexpr MessageButton kCancel = {2, "Cancel"};
constexpr MessageButton kAbort = {3, "Abort"};
constexpr MessageButton kRetry = {4, "Retry"};
constexpr MessageButton kIgnore = {5, "Ignore"};
constexpr MessageButton kYes = {6, "Yes"};
constexpr MessageButton kNo = {7, "No"};

} // namespace

MessageBoxLayout DecodeMessageStyle(int style) {
    MessageBoxLayout layout = {};
    auto set = [&layout](std::initializer_list<MessageButton> buttons, int escape) {
        layout.buttonCount = 0;
        for (const MessageButton &b : buttons)
            layout.buttons[layout.buttonCount++] = b;
        layout.returnAnswer = layout.buttons[0].answer;
        layout.escapeAnswer = escape;
    };
    switch (style & 0x0F) {
    case 1:
        set({kOk, kCancel}, kCancel.answer);
        break;
    case 2:
        set({kAbort, kRetry, kIgnore}, kAbort.answer);
        break;
    case 3:
        set({kYes, kNo, kCancel}, kCancel.answer);
        break;
    case 4:
        set({kYes, kNo}, kNo.answer);
        break;
    case 5:
        set({kRetry, kCancel}, kCancel.answer);
        break;
    default:
        set({kOk}, kOk.answer);
        break;
    }
    switch ((style >> 4) & 0x0F) {
    case 1:
        layout.look = MessageLook::kError;
        break;
    case 2:
        layout.look = MessageLook::kQuestion;
        break;
    case 3:
        layout.look = MessageLook::kWarning;
        break;
    case 4:
        layout.look = MessageLook::kInformation;
        break;
    default:
        layout.look = MessageLook::kNone;
        break;
    }
    return layout;
}
