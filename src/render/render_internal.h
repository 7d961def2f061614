#pragma once
#include <cstdint>

class CTexture;

// Hooks into the render module's own state, for tests and benchmarks only.

// Number of full-store uploads CTexture::Bind has made since start.
uint32_t GetTextureUploadCount();
// The texture whose store GL holds from the latest upload, or null.
const CTexture *GetLastBoundTexture();
// Forgets the last-bound texture, so the next bind of any texture uploads
// (needed when a new GL context replaces the one that held the upload).
void ForgetLastBoundTexture();
