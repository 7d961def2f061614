#pragma once
// Test access to the frame time.

void SetFrameTimeForTest(float seconds);
