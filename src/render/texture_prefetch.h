#pragma once

// Decodes texture resources on a worker thread while start-up does work that
// needs no pictures (the size question, the window and its GL context).
// LoadTextureResource takes a prefetched texture instead of decoding it again.

// Starts decoding the "TEXTURES" resources `ids` (at most 16). Does nothing
// when a batch is already running or waiting to be finished.
void PrefetchTextureResources(const int *ids, int count);

// Waits until the worker has decoded the batch; the textures stay to be
// taken. Safe to call at any time.
void WaitTexturePrefetch();

// Waits for the worker and frees what nobody took. Safe to call at any time,
// also when nothing was prefetched.
void FinishTexturePrefetch();
