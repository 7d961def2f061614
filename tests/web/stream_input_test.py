#!/usr/bin/python3
"""The page over bad track downloads, in headless Chromium: side A cut off
after a few seconds of music (the connection drops short of its announced
length), side B missing (404), side C sent without a length. The program must
start, sound side A, keep running past the cut (side A loops), warn about A
and B on the console, and throw nothing.

Usage: stream_input_test.py <page folder>
"""
import functools
import http.server
import os
import sys
import threading
import time

from cdp import Browser, free_port, page_errors, report

CUT_BYTES = 200 * 1024  # about 8 s of side A
CUT_DELAY = 2.0  # seconds between those bytes and the cut
# Seconds of sound wanted past the cut, and the wait for them.
SOUND_SECONDS = 12
SOUND_WAIT = 90


class Handler(http.server.SimpleHTTPRequestHandler):
    def do_GET(self):
        name = self.path.split("?")[0]
        if name == "/data/TrackB.mp3":
            self.send_error(404)
            return
        if name in ("/data/TrackA.mp3", "/data/TrackC.mp3"):
            with open(os.path.join(self.directory, name.lstrip("/")), "rb") as f:
                data = f.read()
            self.send_response(200)
            self.send_header("Content-Type", "audio/mpeg")
            if name.endswith("A.mp3"):
                self.send_header("Content-Length", str(len(data)))
                data = data[:CUT_BYTES]
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(data)
            self.wfile.flush()
            if name.endswith("A.mp3"):
                # Bytes still in flight when a connection fails are dropped
                # with it: let these reach the page before the cut.
                time.sleep(CUT_DELAY)
            self.close_connection = True
            return
        super().do_GET()

    def log_message(self, *args):
        pass



def main():
    page = sys.argv[1]
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0),
                                             functools.partial(Handler, directory=page))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    browser = None
    failures = []
    try:
        browser = Browser(free_port())
        browser.call("Page.navigate", url=f"http://127.0.0.1:{server.server_port}/")
        browser.wait_for("!!document.getElementById('ml-dialog')", 60)
        browser.eval("""(function () { window.mlSound = [0, 0];
            Module.mlAudioTap = function (b) {
                for (var i = 0; i < b.length; ++i)
                    if (b[i] !== 0) {
                        var now = performance.now();
                        if (!mlSound[0]) mlSound[0] = now;
                        mlSound[1] = now;
                        return;
                    } }; })()""")
        browser.key("Escape", "Escape", 27)
        browser.wait_for("typeof Browser !== 'undefined' && !!Browser.mainLoop.func", 30)
        try:
            browser.wait_for(f"mlSound[0] && mlSound[1] - mlSound[0] > {SOUND_SECONDS * 1000}",
                             SOUND_WAIT)
        except TimeoutError:
            failures.append(f"no sound {SOUND_SECONDS} s after the first: {browser.eval('mlSound')}, "
                            f"console {browser.console}")
        if not browser.eval("!!Browser.mainLoop.func"):
            failures.append("the program stopped")
        errors = page_errors(browser, ignore=["Failed to load resource"])
        warnings = " | ".join(t for kind, t in browser.console if kind == "warning")
        for expected in ("data/TrackA.mp3", "data/TrackB.mp3: 404"):
            if expected not in warnings:
                failures.append(f"no warning about {expected}: {warnings!r}")
        # The browser's own log of a failed request (ignored above) is not the
        # page's error.
        if errors:
            failures.append(f"console errors: {errors}")
    finally:
        if browser:
            browser.close()
        server.shutdown()
    return report("stream input test", failures)


if __name__ == "__main__":
    sys.exit(main())
