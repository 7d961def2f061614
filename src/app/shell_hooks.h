#pragma once
// Observers of the shell. The diagnostics executable installs them from a
// static initialiser, before main; the product installs none, and an unset
// hook costs one test of a null pointer. All run on the main thread.

class CTestbed;

struct ShellHooks {
    void (*questionAnswered)(); // the size question's box has returned
    void (*sceneCreated)(CTestbed *scene); // the scene is constructed, no frame run yet
    void (*loopPass)();         // every pass of the frame loop, minimised too
    void (*frameSwapped)(bool shown); // after each frame's buffer swap; shown: it took place
};

// Replaces all four (null members: none).
void SetShellHooks(const ShellHooks &hooks);
const ShellHooks &GetShellHooks();
