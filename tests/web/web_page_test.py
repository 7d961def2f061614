#!/usr/bin/python3
"""End-to-end test of the page in headless Chromium, driven through the
DevTools protocol: the size question as an HTML dialog (caption, text,
buttons), the canvas size each answer gives (Escape and No: 1024x768, Return
and Yes: 800x600), the first intro picture on the canvas about 3 s after the
answer, and no error in the console at any point.

Usage: web_page_test.py <page folder> <assets folder of the host build>
"""
import os
import socket
import subprocess
import sys
import tempfile
import time

from cdp import Browser

QUESTION = ("Resolution", "Use 800x600?\n(default 1024x768)", ["Yes", "No"])
# A grab shows the picture when at most this fraction of its pixels has a
# channel off by more than TOLERANCE from the picture at the opacity shown.
TOLERANCE = 24
MAX_DIFFERING = 0.05
# Grabs take about a second under load; one at 40 % of the fade or more still
# tells the picture from the others (the second picture differs in over half
# its pixels at any opacity above that).
MIN_OPACITY = 0.4


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


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
    differing = float(magick(shot, faded, "-alpha", "off", "-compose", "difference", "-composite",
                             "-separate", "-threshold", str(TOLERANCE * 257),
                             "-evaluate-sequence", "max", "-format", "%[fx:mean]", "info:"))
    return opacity, differing


def run_answer(browser, url, answer, size, assets, work, failures):
    name = f"{answer} -> {size[0]}x{size[1]}"
    browser.call("Page.navigate", url=url)
    browser.wait_for("!!document.getElementById('ml-dialog')", 60)
    dialog = browser.eval("""(function () {
        var d = document.getElementById('ml-dialog');
        return [d.querySelector('h1').textContent, d.querySelector('p').textContent,
                Array.from(d.querySelectorAll('button')).map(function (b) { return b.textContent; })];
    })()""")
    if dialog != [QUESTION[0], QUESTION[1], QUESTION[2]]:
        failures.append(f"{name}: the question reads {dialog!r}")
    if answer in ("Escape", "Return"):
        code = "Enter" if answer == "Return" else "Escape"
        browser.key(code, code, 13 if answer == "Return" else 27)
    else:
        index = QUESTION[2].index(answer)
        r = browser.eval(f"""(function () {{
            var b = document.querySelectorAll('#ml-dialog button')[{index}].getBoundingClientRect();
            return [b.left + b.width / 2, b.top + b.height / 2]; }})()""")
        browser.click(r[0], r[1])
    answered = time.time()
    browser.wait_for("!document.getElementById('ml-dialog')", 10)
    got = browser.wait_for("""(function () {
        var c = document.getElementById('canvas');
        return c.width > 0 && typeof Browser !== 'undefined' && Browser.mainLoop.func
               ? [c.width, c.height, c.clientWidth, c.clientHeight] : null; })()""", 20)
    if got != [size[0], size[1], size[0], size[1]]:
        failures.append(f"{name}: canvas is {got}")
        return
    rect = browser.eval("""(function () { var r = document.getElementById('canvas').getBoundingClientRect();
        return [r.left, r.top]; })()""")
    # The first picture stands at its brightest about 3 s after the answer
    # (shown for six seconds, fading in over three); grabs from 1.5 s to 5.5 s.
    picture = os.path.join(work, f"101-{size[0]}.png")
    magick(os.path.join(assets, "101.png"), "-alpha", "off", "-interpolate", "bilinear",
           "-interpolative-resize", f"{size[0]}x{size[1]}!", picture)
    best = (0.0, 1.0)
    while time.time() - answered < 1.5:
        time.sleep(0.1)
    while time.time() - answered < 5.5:
        shot = os.path.join(work, "shot.png")
        browser.screenshot(shot, clip=dict(x=rect[0], y=rect[1], width=size[0], height=size[1]))
        opacity, differing = picture_shown(shot, picture, work)
        if opacity >= MIN_OPACITY and differing < best[1]:
            best = (opacity, differing)
    if best[1] > MAX_DIFFERING:
        failures.append(f"{name}: no grab showed the first picture (best: opacity {best[0]:.2f}, "
                        f"differing {best[1]:.3f})")
    else:
        print(f"{name}: first picture at opacity {best[0]:.2f}, differing {best[1]:.3f}")


def main():
    page, assets = sys.argv[1], sys.argv[2]
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
        deadline = time.time() + 20
        while True:
            try:
                socket.create_connection(("127.0.0.1", port), 1).close()
                break
            except OSError:
                if time.time() > deadline:
                    raise
                time.sleep(0.1)
        for answer, size in (("Escape", (1024, 768)), ("No", (1024, 768)),
                             ("Return", (800, 600)), ("Yes", (800, 600))):
            run_answer(browser, url, answer, size, assets, work, failures)
        browser.eval("1")  # collect the last console messages
        errors = [c for c in browser.console if c[0] in ("error", "exception", "assert")]
        if errors:
            failures.append(f"console errors: {errors}")
    finally:
        if browser:
            browser.close()
        server.terminate()
        server.wait()
    for f in failures:
        print("FAIL", f)
    print("web page test:", "failed" if failures else "passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
