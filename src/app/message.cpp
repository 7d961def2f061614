#include "app/application.h"
#include "app/message_internal.h"
#include "app/message_style.h"
#include "app/platform.h"

#include <cstdio>

namespace {

bool g_boxesDisabled = false;
void (*g_beforeBox)() = nullptr;

} // namespace

void DisableMessageBoxesForTest() { g_boxesDisabled = true; }

void SetBeforeMessageBox(void (*hook)()) { g_beforeBox = hook; }

int ShowMessage(const char *caption, const char *text, int style) {
    if (g_beforeBox && !g_boxesDisabled)
        g_beforeBox();
    const int answer =
        g_boxesDisabled ? -1 : PlatformMessageBox(caption, text, DecodeMessageStyle(style));
    if (answer >= 0)
        return answer;
    // No box could be shown (no display): the text still reaches the user.
    std::fprintf(stderr, "%s\n%s\n", caption ? caption : "", text ? text : "");
    return kAnswerNo;
}
