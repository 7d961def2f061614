#!/usr/bin/python3
"""Measures, in headless Chromium over a throttled connection, when side A
starts to sound against when its download completes: the page built by
scripts/build-web.sh, served by scripts/serve-web.sh, the size question
answered at once. Prints the times (ms since the page's start) and exits 1
when the first sound did not come before the download's end.

Usage: stream_timing.py [throughput in bit/s, default 1000000]
"""
import os
import subprocess
import sys

from cdp import Browser, free_port, wait_for_server

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))



def main():
    bits = int(sys.argv[1]) if len(sys.argv) > 1 else 1000000
    port = free_port()
    server = subprocess.Popen([os.path.join(ROOT, "scripts", "serve-web.sh"), str(port)],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    browser = None
    try:
        wait_for_server(port)
        browser = Browser(free_port())
        browser.call("Network.enable")
        browser.call("Network.emulateNetworkConditions", offline=False, latency=20,
                     downloadThroughput=bits / 8, uploadThroughput=bits / 8)
        browser.call("Page.navigate", url=f"http://127.0.0.1:{port}/")
        browser.wait_for("!!document.getElementById('ml-dialog')", 120)
        # The first block the mixer made with any sample not zero.
        browser.eval("""(function () { window.mlFirstSound = 0;
            Module.mlAudioTap = function (b) {
                if (mlFirstSound) return;
                for (var i = 0; i < b.length; ++i)
                    if (b[i] !== 0) { mlFirstSound = performance.now(); return; } }; })()""")
        browser.key("Escape", "Escape", 27)
        answered = browser.eval("performance.now()")
        track = "data/TrackA.mp3"
        timing = browser.wait_for(f"""(function () {{
            var e = performance.getEntriesByType('resource').filter(function (r) {{
                return r.name.endsWith('{track}') && r.responseEnd > 0; }})[0];
            return e && mlFirstSound ? [e.requestStart, e.responseStart, e.responseEnd,
                                        mlFirstSound, e.encodedBodySize] : null; }})()""", 300)
        request, first_byte, done, sound, size = timing
        print(f"throughput {bits} bit/s, side A {size} bytes")
        print(f"answered {answered:.0f} ms, A requested {request:.0f} ms, first byte "
              f"{first_byte:.0f} ms, first sound {sound:.0f} ms, download done {done:.0f} ms")
        print(f"sound {done - sound:.0f} ms before the download completed "
              f"({(sound - first_byte) / (done - first_byte) * 100:.1f} % into it)")
        print(f"audio underruns seen by the worklet: {browser.eval('Module.mlAudio.underruns')}")
        errors = [c for c in browser.console if c[0] in ("error", "exception", "assert")]
        if errors:
            print("console errors:", errors)
        return 0 if sound < done and not errors else 1
    finally:
        if browser:
            browser.close()
        server.terminate()
        server.wait()


if __name__ == "__main__":
    sys.exit(main())
