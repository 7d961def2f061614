#pragma once
// Test and set-up access to the frame vertex arena, apart from the GL state.

// Allocates the arena (freeing one already held) and puts the cursor at its
// base. InitRenderDevice does this; tests without a GL context call it alone.
void CreateFrameArena();
// Frees the arena; the base and cursor become null.
void DestroyFrameArena();

const unsigned char *FrameArenaBase();   // null while no arena is held
const unsigned char *FrameArenaCursor(); // next byte handed out
