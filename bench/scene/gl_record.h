#pragma once
// Recording of the GL calls that the program's own libraries make. Only the
// executable linked with gl_record.cpp and the --wrap options of
// bench/scene/CMakeLists.txt records; the calls always go on to GL.
#include "gl_trace.h"

// Appends every following call to `stream`; null stops recording.
void RecordGlInto(gltrace::Stream *stream);
