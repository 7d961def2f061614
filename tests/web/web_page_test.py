#!/usr/bin/python3
"""End-to-end test of the page in headless Chromium, driven through the
DevTools protocol, against what the desktop build computes:

- the size question as an HTML dialog (caption, text, buttons); Escape and No
  give a 1024x768 canvas, Return and Yes 800x600;
- the first intro picture on the canvas about 3 s after the answer;
- a hidden tab runs no frames but keeps the music, and the intro goes on
  by the clock when the tab shows again;
- with No and Yes, the whole run: the panel at 34 s, its hot spots equal to
  the desktop's, side A heard sample for sample as the desktop decodes it
  (a tap on the output sees every block the mixer makes), the logo rising into
  its bay, a click on next starting side B from its beginning, a hold on next
  seeking forward, and quit stopping the audio and showing the end screen;
- no error in the console at any point.

It prints the page's figures (time to the first frame and to the first sound,
frame work, output latency) and, with ML_WEB_SHOTS=<folder>, keeps screenshots
of the question, an intro picture, the panel and the end screen.

Usage: web_page_test.py <page folder> <host build folder>
"""
import array
import base64
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

from cdp import Browser, free_port, page_errors, report, wait_for_server

QUESTION = ("Resolution", "Use 800x600?\n(default 1024x768)", ["Yes", "No"])
BUTTONS = ["play", "previous", "next", "logo", "pause", "stop", "quit"]
RATE = 44100
RAMP = 128  # frames the mixer fades a starting track in over
# The page decodes with the portable float decoder, the desktop with one
# tuned for its processor: their samples round apart by at most this.
TOLERANCE_LSB = 1
# A grab shows the picture when at most this fraction of its pixels has a
# channel off by more than TOLERANCE from the picture at the opacity shown.
TOLERANCE = 24
MAX_DIFFERING = 0.05
# Grabs take about a second under load; one at 40 % of the fade or more still
# tells the picture from the others (the second picture differs in over half
# its pixels at any opacity above that).
MIN_OPACITY = 0.4
# The panel as the desktop test compares it (per size: channel tolerance,
# largest differing fraction), in the regions away from the scroll text band
# and the logo bay (picture pixels).
PANEL = {1024: (6, 0.002), 800: (16, 0.01)}
PANEL_REGIONS = [(0, 0, 1024, 50), (0, 150, 1024, 300), (0, 450, 640, 318)]
LOGO_BAY = (680, 420, 300, 348)
TEXT_BAND = (24, 55, 976, 90)

# The output tap: every block the mixer hands to the worklet, as int16.
TAP = """(function () {
    window.mlTap = {chunks: [], frames: 0, firstSound: 0, firstSoundFrame: -1};
    Module.mlAudioTap = function (block) {
        var a = new Int16Array(block.length);
        for (var i = 0; i < block.length; ++i) a[i] = Math.round(block[i] * 32768);
        if (!mlTap.firstSound) {
            for (i = 0; i < a.length; ++i) if (a[i]) {
                mlTap.firstSound = performance.now();
                mlTap.firstSoundFrame = mlTap.frames + (i >> 1);
                break;
            }
        }
        mlTap.chunks.push(a);
        mlTap.frames += a.length / 2;
    };
    window.mlTapRange = function (from, count) {
        var out = new Uint8Array(count * 4), o = 0, at = 0;
        var bytes16 = new Int16Array(out.buffer);
        for (var c = 0; c < mlTap.chunks.length && o < count * 2; ++c) {
            var ch = mlTap.chunks[c], n = ch.length;
            var lo = Math.max(0, from * 2 - at), hi = Math.min(n, (from + count) * 2 - at);
            if (lo < hi) { bytes16.set(ch.subarray(lo, hi), o); o += hi - lo; }
            at += n;
        }
        var s = '';
        for (var i = 0; i < o * 2; i += 0x8000)
            s += String.fromCharCode.apply(null, out.subarray(i, Math.min(o * 2, i + 0x8000)));
        return btoa(s);
    };
    return true;
})()"""



def magick(*args):
    return subprocess.run(["convert", *args], check=True, capture_output=True,
                          text=True).stdout.strip()


def picture_shown(shot, picture, work):
    """(opacity, differing fraction) of the grab against the picture faded
    to the grab's brightness (the intro fades through black)."""
    full = float(magick(picture, "-alpha", "off", "-format", "%[fx:mean]", "info:"))
    shown = float(magick(shot, "-alpha", "off", "-format", "%[fx:mean]", "info:"))
    opacity = shown / full if full > 0 else 0.0
    faded = os.path.join(work, "faded.png")
    magick(picture, "-alpha", "off", "-evaluate", "multiply", f"{min(opacity, 1.0):.4f}", faded)
    return opacity, differing(shot, faded, None, TOLERANCE)


def differing(shot, picture, region, tolerance):
    """The fraction of pixels in region (x, y, w, h in grab pixels, None for
    all) with a channel off by more than tolerance."""
    crop = [] if region is None else ["-crop", "%dx%d+%d+%d" % (region[2], region[3],
                                                              region[0], region[1]), "+repage"]
    return float(magick("(", shot, picture, *crop, "-alpha", "off", ")", "-compose", "difference",
                        "-composite", "-separate", "-threshold", str(tolerance * 257),
                        "-evaluate-sequence", "max", "-format", "%[fx:mean]", "info:"))


def scaled(region, width):
    """A region in picture pixels (1024 wide) in grab pixels, as the desktop
    test rounds it."""
    x, y = region[0] * width // 1024, region[1] * width // 1024
    return (x, y, (region[0] + region[2]) * width // 1024 - x,
            (region[1] + region[3]) * width // 1024 - y)


def decoded(host, side, frames):
    """The side's first frames as the desktop's decoder gives them."""
    return subprocess.run([os.path.join(host, "tests", "web", "ml_web_reference"), "pcm",
                           os.path.join(host, "bin", "data", f"Track{side}.mp3"), str(frames)],
                          check=True, capture_output=True).stdout


def locate(haystack, needle, first=0):
    """The frame of haystack at which needle's frames from first on are found,
    every sample within TOLERANCE_LSB; -1 when they are not there. Both are
    raw stereo int16 bytes."""
    h, n = array.array("h", haystack), array.array("h", needle)[first * 2:]
    if not n:
        return -1
    tol, n0, n1 = TOLERANCE_LSB, n[0], n[1]
    for i in range(0, len(h) - len(n) + 1, 2):
        if abs(h[i] - n0) <= tol and abs(h[i + 1] - n1) <= tol and \
                all(abs(a - b) <= tol for a, b in zip(h[i:i + len(n)], n)):
            return i // 2
    return -1


class Run:
    """One answer to the question, and what follows it."""

    def __init__(self, browser, url, answer, size, host, work, failures):
        self.b, self.answer, self.size = browser, answer, size
        self.host, self.work, self.failures = host, work, failures
        self.name = f"{answer} -> {size[0]}x{size[1]}"
        self.shots = os.environ.get("ML_WEB_SHOTS")
        self.url = url

    def fail(self, text):
        self.failures.append(f"{self.name}: {text}")

    def shot(self, path):
        self.b.screenshot(path, clip=dict(x=self.rect[0], y=self.rect[1], width=self.size[0],
                                          height=self.size[1]))

    def keep(self, name, grab=None):
        """Keeps a grab already taken, or the whole page now."""
        if self.shots:
            path = os.path.join(self.shots, f"{name}-{self.size[0]}.png")
            if grab:
                shutil.copyfile(grab, path)
            else:
                self.b.screenshot(path)

    def tap_frames(self):
        return self.b.eval("mlTap.frames")

    def tap(self, first, count):
        return base64.b64decode(self.b.eval(f"mlTapRange({first}, {count})"))

    def wait_tap(self, frames, timeout):
        """Waits until the tap has seen that many frames."""
        self.b.wait_for(f"mlTap.frames >= {frames}", timeout)

    def at(self, button):
        """The centre of a button on the page, from the page's own hot spots."""
        x, y, w, h = self.spots[BUTTONS.index(button)]
        return self.rect[0] + x + w / 2, self.rect[1] + y + h / 2

    def press(self, button, seconds):
        x, y = self.at(button)
        self.b.mouse("moved", x, y)
        time.sleep(0.2)  # a frame sees the pointer arrive with the button up
        self.b.mouse("pressed", x, y)
        time.sleep(seconds)
        self.b.mouse("released", x, y)

    def start(self):
        b = self.b
        b.call("Page.navigate", url=self.url)
        b.wait_for("!!document.getElementById('ml-dialog')", 60)
        b.eval(TAP)
        dialog = b.eval("""(function () {
            var d = document.getElementById('ml-dialog');
            return [d.querySelector('h1').textContent, d.querySelector('p').textContent,
                    Array.from(d.querySelectorAll('button')).map(function (b) { return b.textContent; })];
        })()""")
        if dialog != [QUESTION[0], QUESTION[1], QUESTION[2]]:
            self.fail(f"the question reads {dialog!r}")
        self.keep("question")
        if self.answer in ("Escape", "Return"):
            code = "Enter" if self.answer == "Return" else "Escape"
            b.key(code, code, 13 if self.answer == "Return" else 27)
        else:
            index = QUESTION[2].index(self.answer)
            r = b.eval(f"""(function () {{
                var b = document.querySelectorAll('#ml-dialog button')[{index}].getBoundingClientRect();
                return [b.left + b.width / 2, b.top + b.height / 2]; }})()""")
            b.click(r[0], r[1])
        self.answered = time.time()
        b.wait_for("!document.getElementById('ml-dialog')", 10)
        got = b.wait_for("""(function () {
            var c = document.getElementById('canvas');
            return c.width > 0 && typeof Browser !== 'undefined' && Browser.mainLoop.func
                   ? [c.width, c.height, c.clientWidth, c.clientHeight] : null; })()""", 20)
        if got != [self.size[0], self.size[1], self.size[0], self.size[1]]:
            self.fail(f"canvas is {got}")
            return False
        self.rect = b.eval("""(function () { var r = document.getElementById('canvas').getBoundingClientRect();
            return [r.left, r.top]; })()""")
        return True

    def intro_picture(self, number, start, end, keep=None):
        """Whether a grab between start and end (seconds after the answer)
        shows intro picture number (1 to 5); each is shown for six seconds,
        fading in over the first three, so it stands brightest at 6n - 3 s."""
        w, h = self.size
        picture = os.path.join(self.work, f"{100 + number}-{w}.png")
        magick(os.path.join(self.host, "assets", f"{100 + number}.png"), "-alpha", "off",
               "-interpolate", "bilinear", "-interpolative-resize", f"{w}x{h}!", picture)
        best = (0.0, 1.0)
        kept = 0.0
        while time.time() - self.answered < start:
            time.sleep(0.1)
        shot = os.path.join(self.work, "shot.png")
        while time.time() - self.answered < end:
            self.shot(shot)
            opacity, d = picture_shown(shot, picture, self.work)
            if keep and opacity >= MIN_OPACITY and d < MAX_DIFFERING and opacity > kept:
                kept = opacity
                self.keep(keep, shot)  # the brightest grab that shows the picture
            if opacity >= MIN_OPACITY and d < best[1]:
                best = (opacity, d)
        if best[1] > MAX_DIFFERING:
            self.fail(f"no grab from {start} s to {end} s showed intro picture {number} "
                      f"(best: opacity {best[0]:.2f}, differing {best[1]:.3f})")
            return False
        print(f"{self.name}: intro picture {number} at opacity {best[0]:.2f}, "
              f"differing {best[1]:.3f}")
        return True

    def first_picture(self):
        self.intro_picture(1, 1.5, 5.5, keep="intro")

    def hidden_tab(self):
        """A hidden tab is a minimised window: no frames while it is hidden, the
        music goes on, and the first frame after it covers the time away, so
        the intro shows the picture due by the clock: the third one, where a
        scene that missed the time away would still be at the second."""
        while time.time() - self.answered < 5.5:
            time.sleep(0.1)
        frames, heard = self.b.eval("[Module.mlFrameWork.count, mlTap.frames]")
        other = self.b.call("Target.createTarget", url="about:blank")["targetId"]
        try:
            if self.b.eval("document.visibilityState") != "hidden":
                self.fail("another tab in front did not hide the page")
                return
            while time.time() - self.answered < 14.0:
                time.sleep(0.1)
            frames_hidden, heard_hidden = self.b.eval("[Module.mlFrameWork.count, mlTap.frames]")
        finally:
            self.b.call("Target.closeTarget", targetId=other)
        if frames_hidden - frames > 1:  # one may have been under way
            self.fail(f"{frames_hidden - frames} frames ran while the tab was hidden")
        if heard_hidden - heard < RATE * 4:
            self.fail(f"the music stopped while the tab was hidden "
                      f"({heard_hidden - heard} frames in 8.5 s)")
        self.intro_picture(3, 14.5, 17.5)

    def figures(self):
        f = self.b.eval("""(function () {
            var a = Module.mlAudio && Module.mlAudio.context, t = Module.mlTimes || {};
            return [t.firstFrame - t.answered, mlTap.firstSound - t.answered,
                    a ? a.baseLatency || 0 : -1, a ? a.outputLatency || 0 : -1,
                    Module.mlAudio && Module.mlAudio.node ? 1 : 0]; })()""")
        print(f"{self.name}: figure answer-to-first-frame-ms={f[0]:.1f} "
              f"answer-to-first-sound-block-ms={f[1]:.1f} base-latency-s={f[2]:.4f} "
              f"output-latency-s={f[3]:.4f}")

    def side_a(self):
        """Side A from its first frame: after the fade-in ramp, the tap holds
        the decoded track sample for sample."""
        seconds = 4
        ref = decoded(self.host, "A", RATE * seconds)
        self.wait_tap(RATE * (seconds + 2), 30)
        heard = self.tap(0, RATE * (seconds + 2))
        at = locate(heard, ref, RAMP)
        if at < 0:
            self.fail(f"side A's first {seconds} s are not in what the page played")
        else:
            print(f"{self.name}: side A heard as decoded from frame {at - RAMP} of the output")

    def panel(self):
        """The panel at 34 s, then its hot spots, the logo in the bay."""
        w, h = self.size
        tol, most = PANEL[w]
        picture = os.path.join(self.work, f"106-{w}.png")
        magick(os.path.join(self.host, "assets", "106.png"), "-alpha", "off", "-interpolate",
               "bilinear", "-interpolative-resize", f"{w}x{h}!", picture)
        while time.time() - self.answered < 34:
            time.sleep(0.1)
        shot = os.path.join(self.work, "shot.png")
        worst = None
        # The panel has faded in by 33 s; grabs until it shows, up to 45 s.
        while time.time() - self.answered < 45:
            self.shot(shot)
            worst = max(differing(shot, picture, scaled(r, w), tol) for r in PANEL_REGIONS)
            if worst <= most:
                break
        if worst > most:
            self.fail(f"no panel by 45 s (differing {worst:.4f})")
            return False
        print(f"{self.name}: panel at {time.time() - self.answered:.1f} s (differing {worst:.4f})")
        expected = subprocess.run([os.path.join(self.host, "tests", "web", "ml_web_reference"),
                                   "hot-spots", str(w)], check=True, capture_output=True,
                                  text=True).stdout.split()
        expected = [struct.unpack("f", struct.pack("f", float(v)))[0] for v in expected]
        got = self.b.eval("""(function () { var p = Module._ml_web_hot_spots() >> 2;
            return p ? Array.from(HEAPF32.subarray(p, p + 28)) : null; })()""")
        if got != expected:
            self.fail(f"hot spots {got} differ from the desktop's {expected}")
            return False
        self.spots = [got[i:i + 4] for i in range(0, 28, 4)]
        bay = scaled(LOGO_BAY, w)
        before = differing(shot, picture, bay, 24)
        x, y = self.at("logo")
        self.b.mouse("moved", x, y)
        time.sleep(0.2)
        self.b.click(x, y)
        time.sleep(1.5)  # the logo rises over a second
        self.shot(shot)
        after = differing(shot, picture, bay, 24)
        if not (before < 0.02 and after > 0.10):
            self.fail(f"the logo bay differs {before:.3f} before the logo click, {after:.3f} after")
        # A line of scroll text fades in and out every three seconds: the band
        # differs most from the bare panel when a line stands at full strength.
        band, best, shown = scaled(TEXT_BAND, w), -1.0, os.path.join(self.work, "text.png")
        start = time.time()
        while time.time() - start < 3.5:
            self.shot(shot)
            d = differing(shot, picture, band, 24)
            if d > best:
                best = d
                os.replace(shot, shown)
        print(f"{self.name}: scroll text band differs {best:.3f} at its strongest")
        if best < 0.02:
            self.fail(f"no scroll text in its band ({best:.3f})")
        self.keep("panel", shown)
        return True

    def frame_figures(self):
        """Work per animation frame (our code, milliseconds) and the interval
        between animation frames over two seconds of the panel."""
        f = self.b.eval("""new Promise(function (done) {
            var w = Module.mlFrameWork, c0 = w.count, ms0 = w.ms, t = [];
            function tick(now) {
                t.push(now);
                if (now - t[0] < 2000) requestAnimationFrame(tick);
                else done([(w.ms - ms0) / Math.max(1, w.count - c0), w.longest,
                           (t[t.length - 1] - t[0]) / (t.length - 1)]);
            }
            requestAnimationFrame(tick); })""")
        print(f"{self.name}: figure frame-work-ms={f[0]:.2f} longest-frame-work-ms={f[1]:.1f} "
              f"frame-interval-ms={f[2]:.1f}")

    def next_side(self):
        """A click on next: side B from its first frame, after the click."""
        ref = decoded(self.host, "B", RATE * 2)
        clicked = self.tap_frames()
        self.press("next", 0.05)
        self.wait_tap(clicked + RATE * 5, 30)
        heard = self.tap(clicked, RATE * 5)
        at = locate(heard, ref, RAMP)
        if at < 0:
            self.fail("side B's first 2 s are not in what the page played after the click")
            return None
        print(f"{self.name}: side B from its first frame, "
              f"{(at - RAMP) / RATE:.2f} s of output after the click")
        return clicked + at - RAMP

    def seek(self, b_start):
        """A hold on next moves side B forward: what plays after the release is
        later in the track than playing alone would have reached."""
        ref = decoded(self.host, "B", RATE * 120)
        self.press("next", 2.0)
        released = self.tap_frames()
        probe = released + 8192  # past the seek's own fade
        self.wait_tap(probe + RATE // 4, 30)
        at = locate(ref, self.tap(probe, RATE // 4))
        played = probe - b_start
        if at < 0:
            self.fail("what played after the hold is not in side B's first 120 s")
        elif at - played < RATE // 4:
            self.fail(f"the hold moved side B by {(at - played) / RATE:.2f} s")
        else:
            print(f"{self.name}: the hold moved side B forward by {(at - played) / RATE:.1f} s")

    def quit(self):
        self.press("quit", 0.05)
        try:
            self.b.wait_for("""!document.getElementById('ml-end').hidden && !Module.mlAudio &&
                               !Browser.mainLoop.func""", 10)
        except TimeoutError:
            self.fail("quit did not stop the audio and the frames and show the end screen")
            return
        frames = self.tap_frames()
        time.sleep(0.5)
        if self.tap_frames() != frames:
            self.fail("the mixer still runs after quit")
        text = self.b.eval("document.getElementById('ml-end').innerText")
        if "thanks for listening" not in text or "start again" not in text:
            self.fail(f"the end screen reads {text!r}")
        time.sleep(1.5)  # the canvas fades out
        self.keep("end")


def main():
    page, host = sys.argv[1], os.path.abspath(sys.argv[2])
    work = tempfile.mkdtemp(prefix="ml-web-test-")
    port = free_port()
    server = subprocess.Popen([sys.executable, "-m", "http.server", str(port), "--bind",
                               "127.0.0.1"], cwd=page, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    browser = None
    failures = []
    try:
        browser = Browser(free_port())
        # Whole-pixel canvas positions, so grabs are not resampled.
        browser.call("Emulation.setDeviceMetricsOverride", width=1280, height=1024,
                     deviceScaleFactor=1, mobile=False)
        url = f"http://127.0.0.1:{port}/"
        wait_for_server(port)
        for answer, size, whole in (("Escape", (1024, 768), False), ("Return", (800, 600), False),
                                    ("No", (1024, 768), True), ("Yes", (800, 600), True)):
            run = Run(browser, url, answer, size, host, work, failures)
            if not run.start():
                continue
            run.first_picture()
            if not whole:
                if answer == "Escape":
                    run.hidden_tab()
                continue
            run.side_a()
            run.figures()
            if not run.panel():
                continue
            run.frame_figures()
            b_start = run.next_side()
            if b_start is not None:
                run.seek(b_start)
            run.quit()
        errors = page_errors(browser)
        if errors:
            failures.append(f"console errors: {errors}")
    finally:
        if browser:
            browser.close()
        server.terminate()
        server.wait()
    return report("web page test", failures)


if __name__ == "__main__":
    sys.exit(main())
