#include "app/shell_hooks.h"

namespace {

ShellHooks g_hooks; // constant-initialised: all null before any initialiser runs

} // namespace

void SetShellHooks(const ShellHooks &hooks) {
    g_hooks = hooks;
}

const ShellHooks &GetShellHooks() {
    return g_hooks;
}
