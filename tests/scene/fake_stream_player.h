#pragma once
// A recording stand-in for the stream player, linked into the scene tests in
// place of the real one: every call is logged, positions are plain numbers.
#include "audio/stream_player.h"

#include <string>
#include <vector>

struct StreamCall {
    std::string op;   // "open", "play", "stop", "pause", "resume", "close", "get", "set"
    std::string path; // path of the stream the call was made on
    int value;        // loop flag, or position set
};

extern std::vector<StreamCall> g_streamCalls;
// Position GetStreamPosition reports for a playing stream.
extern int g_fakePosition;

void ResetFakeStreams();
// Calls of one kind, in order.
std::vector<StreamCall> CallsOf(const std::string &op);
