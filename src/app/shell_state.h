#pragma once
// The shell's two flags, shared by the frame loop and the window procedure.

// False while the window is minimised; frames run only while true.
bool IsAppActive();
void SetAppActive(bool active);
// Set by RequestQuit (app/application.h).
bool IsQuitRequested();
