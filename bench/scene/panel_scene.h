#pragma once
// The music-disk scene as the frame benchmarks see it: the real CTestbed in the
// program's own window, held on the control panel with a scroll line showing
// and the logo raised, stepped with a fixed frame time.

class CTestbed;

// Screen size of every frame benchmark.
constexpr int kBenchWidth = 1024;
constexpr int kBenchHeight = 768;
// Frame time (seconds). With the line timer starting at 2.5 s a line stays at
// full opacity for 2000 frames (2 seconds), and the logo swings through
// several periods.
constexpr float kBenchFrameTime = 0.001f;

// Opens the window (the program's start-up path, without the size question)
// and builds the scene; null when no window could be made.
CTestbed *OpenPanelScene();
// Stage 5 at stage time 3, logo up, line timer 2.5 s on the first full line
// (24 bytes or more) of side A.
void PoseOnPanel(CTestbed *scene);
// Drains pending window messages without acting on them.
void DrainMessages();
// One frame as the frame loop runs it, minus the timer: process step and
// render pass (no swap, no input copy).
void StepAndRender();
// The rest of the frame loop's pass: swap and input copy.
void SwapAndFinish();
// Deletes the scene and what it leaves to the end of the run, then the window.
void ClosePanelScene(CTestbed *scene);
