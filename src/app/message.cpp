#include "app/application.h"
#include "app/message_style.h"
#include "app/platform.h"

#include <cstdio>

int ShowMessage(const char *caption, const char *text, int style) {
    const int answer = PlatformMessageBox(caption, text, DecodeMessageStyle(style));
    if (answer >= 0)
        return answer;
    // No box could be shown (no display): the text still reaches the user.
    std::fprintf(stderr, "%s\n%s\n", caption ? caption : "", text ? text : "");
    return kAnswerNo;
}
