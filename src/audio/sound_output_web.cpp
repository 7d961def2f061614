// The page's sound output: an AudioWorklet plays what our mixer makes.
//
// How samples cross: the worklet runs on the browser's audio thread and
// cannot call into the wasm module (no shared memory in this build). It keeps
// a queue of Float32 blocks and, whenever the queue plus what it has asked
// for falls below its target, posts a request on its MessagePort. The main
// thread answers by running the mixer (SndMixFunction) for that many frames
// into a static int16 buffer, converts it to a Float32Array and transfers it
// back. Port messages are not throttled in a hidden tab, so the music goes
// on while no frames are drawn, as on the desktop.
//
// While the ready check (sound_output_web.h) says the tracks cannot be read,
// requests are answered with silence instead of running the mixer.
//
// Latency: the target queue (bufferFrames, at least 2048 frames, 46 ms at
// 44.1 kHz) plus one request round trip plus the context's outputLatency.
#include "audio/sound_output.h"
#include "audio/sound_output_web.h"

#include <emscripten.h>

#include <cstdint>
#include <cstring>

namespace {

constexpr int kMinQueueFrames = 2048;
constexpr int kMaxPullFrames = 8192;

struct WebOutput {
    SndMixFunction mix = nullptr;
    SndOutputReadyFunction ready = nullptr;
    int bufferFrames = 0;
    std::uint32_t silentPulls = 0; // pulls answered with silence since the last open
    std::int16_t frames[kMaxPullFrames * 2];
};
WebOutput g_out;

EM_JS(int, OpenContext, (int rate, int queueFrames, int maxPull), {
    var AC = window.AudioContext || window.webkitAudioContext;
    if (!AC || !window.AudioWorkletNode) return 0;
    var worklet = "class MlOutput extends AudioWorkletProcessor {" +
        "constructor(o) { super(); this.target = o.processorOptions.queueFrames;" +
        " this.blocks = []; this.offset = 0; this.queued = 0; this.asked = 0;" +
        " this.started = false; this.underruns = 0; this.reported = 0;" +
        " this.port.onmessage = (e) => { var b = e.data; this.asked -= b.length / 2;" +
        "  if (this.asked < 0) this.asked = 0; this.blocks.push(b); this.queued += b.length / 2;" +
        "  this.started = true; }; this.ask(); }" +
        "ask() { var want = this.target - this.queued - this.asked;" +
        " if (want >= 128) { this.asked += want; this.port.postMessage({need: want}); } }" +
        "process(inputs, outputs) { var l = outputs[0][0], r = outputs[0][1] || outputs[0][0];" +
        " var n = l.length, i = 0;" +
        " while (i < n && this.blocks.length) { var b = this.blocks[0];" +
        "  while (i < n && this.offset < b.length) { l[i] = b[this.offset]; r[i] = b[this.offset + 1];" +
        "   this.offset += 2; ++i; this.queued--; }" +
        "  if (this.offset >= b.length) { this.blocks.shift(); this.offset = 0; } }" +
        " if (i < n) { for (; i < n; ++i) { l[i] = 0; r[i] = 0; } if (this.started) this.underruns++; }" +
        " if (this.underruns !== this.reported) { this.reported = this.underruns;" +
        "  this.port.postMessage({underruns: this.underruns}); }" +
        " this.ask(); return true; } }" +
        "registerProcessor('ml-output', MlOutput);";
    var ctx;
    try {
        ctx = new AC({sampleRate: rate, latencyHint: 'interactive'});
    } catch (e) {
        return 0;
    }
    Module.mlAudio = {context: ctx, node: null, underruns: 0};
    var url = URL.createObjectURL(new Blob([worklet], {type: 'application/javascript'}));
    ctx.audioWorklet.addModule(url).then(function() {
        if (!Module.mlAudio || Module.mlAudio.context !== ctx) return; // closed meanwhile
        var node = new AudioWorkletNode(ctx, 'ml-output', {
            numberOfInputs: 0, outputChannelCount: [2],
            processorOptions: {queueFrames: queueFrames}});
        node.port.onmessage = function(e) {
            var m = e.data;
            if (m.underruns !== undefined) { Module.mlAudio.underruns = m.underruns; return; }
            var left = m.need;
            while (left > 0) {
                var n = Module['_ml_web_audio_pull'](Math.min(left, maxPull));
                if (n <= 0) break;
                var ptr = Module['_ml_web_audio_frames']() >> 1;
                var block = new Float32Array(n * 2);
                for (var i = 0; i < n * 2; ++i) block[i] = HEAP16[ptr + i] / 32768;
                // Transferring empties block: the tap sees it first.
                if (Module.mlAudioTap) Module.mlAudioTap(block);
                node.port.postMessage(block, [block.buffer]);
                left -= n;
            }
        };
        node.connect(ctx.destination);
        Module.mlAudio.node = node;
        if (ctx.state === 'suspended') ctx.resume();
    }, function(err) { console.warn('audio output unavailable: ' + err); });
    return 1;
});

EM_JS(void, CloseContext, (), {
    var a = Module.mlAudio;
    if (!a) return;
    Module.mlAudio = null;
    if (a.node) { a.node.port.onmessage = null; a.node.disconnect(); }
    a.context.close();
});

EM_JS(int, UnderrunsSoFar, (), { return Module.mlAudio ? Module.mlAudio.underruns : 0; });

std::uint32_t g_lastUnderruns = 0;

} // namespace

// Runs the mixer for up to frameCount frames (at most kMaxPullFrames) into
// the buffer ml_web_audio_frames points at; 0 when the device is closed.
extern "C" EMSCRIPTEN_KEEPALIVE int ml_web_audio_pull(int frameCount) {
    if (!g_out.mix || frameCount <= 0)
        return 0;
    if (frameCount > kMaxPullFrames)
        frameCount = kMaxPullFrames;
    if (g_out.ready && !g_out.ready()) {
        std::memset(g_out.frames, 0, sizeof(std::int16_t) * 2 * static_cast<size_t>(frameCount));
        ++g_out.silentPulls;
        return frameCount;
    }
    g_out.mix(g_out.frames, frameCount);
    return frameCount;
}

extern "C" EMSCRIPTEN_KEEPALIVE std::int16_t *ml_web_audio_frames() { return g_out.frames; }

void SndOutputWebSetReadyCheck(SndOutputReadyFunction ready) { g_out.ready = ready; }

bool SndOutputOpen(int rate, int bufferFrames, SndMixFunction mix) {
    SndOutputClose();
    if (!mix || rate <= 0 || bufferFrames <= 0)
        return false;
    const int queue = bufferFrames < kMinQueueFrames ? kMinQueueFrames : bufferFrames;
    g_out.mix = mix;
    g_out.silentPulls = 0;
    g_lastUnderruns = 0;
    if (!OpenContext(rate, queue, kMaxPullFrames)) {
        g_out.mix = nullptr;
        return false;
    }
    g_out.bufferFrames = queue;
    return true;
}

// The mixer runs only from the port handler on this thread, so once the
// handler is gone it is not running.
void SndOutputClose() {
    if (g_out.mix)
        g_lastUnderruns = static_cast<std::uint32_t>(UnderrunsSoFar()) + g_out.silentPulls;
    CloseContext();
    g_out.mix = nullptr;
    g_out.bufferFrames = 0;
}

int SndOutputBufferFrames() { return g_out.bufferFrames; }

std::uint32_t SndOutputUnderrunCount() {
    return g_out.mix ? static_cast<std::uint32_t>(UnderrunsSoFar()) + g_out.silentPulls
                     : g_lastUnderruns;
}
