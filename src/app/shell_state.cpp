#include "app/shell_state.h"

#include "app/application.h"

namespace {

struct ShellState {
    bool active = true;
    bool quitRequested = false;
};

ShellState g_shell;

} // namespace

bool IsAppActive() {
    return g_shell.active;
}
void SetAppActive(bool active) {
    g_shell.active = active;
}
bool IsQuitRequested() {
    return g_shell.quitRequested;
}
void RequestQuit() {
    g_shell.quitRequested = true;
}
