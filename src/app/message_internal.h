#pragma once
// Test access to message boxes.

// From now on ShowMessage shows no box: it writes to standard error and
// answers 7, as when no display is there, so a test can never block on a box.
void DisableMessageBoxesForTest();
