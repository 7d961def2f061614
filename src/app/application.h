#pragma once
// The program's shell: start-up, the frame loop and the teardown.

// Message box styles (buttons in the low nibble, look in the next) and answers.
constexpr int kStyleOk = 0x00;
constexpr int kStyleYesNo = 0x04;
constexpr int kStyleIconWarning = 0x30;
constexpr int kStyleIconInformation = 0x40;
constexpr int kStyleIconQuestion = 0x20;
constexpr int kAnswerOk = 1;
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;

// Brings up the window, the render device, the sound library, the input state
// and the frame timer. False when the window could not be made (its message
// has been shown); then nothing else may run.
bool InitApplication(const char *title, int width, int height);
// One loop pass: one window message, or one frame when the queue is empty and
// the window is not minimised. False when the loop has to end.
bool RunFrame();
// Clears the render layers, frees the render device, deletes the remaining
// processes and releases the window.
void ShutdownApplication();
// Ends the loop after the current frame; never cleared.
void RequestQuit();
// Shows a modal box without owner window and returns the code of the button
// pressed (1 OK, 6 Yes, 7 No). When no box can be shown the caption and text go
// to standard error and the answer is 7.
int ShowMessage(const char *caption, const char *text, int style);
// Runs before every box ShowMessage shows; null (the default) runs nothing. A
// box may be shown from a forked child (SDL does so), and a fork while another
// thread holds an allocator's lock can leave the child waiting on it forever:
// the hook lets that thread finish first.
void SetBeforeMessageBox(void (*hook)());
