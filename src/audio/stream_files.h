// The file functions the stream player hands the sound library: stdio on the
// desktop (stream_files_stdio.cpp), the growing track buffers in the page
// (track_files_web.cpp). CMake links exactly one.
#pragma once

#include "audio/sound_library.h"

SndFileFunctions StreamFileFunctions();
