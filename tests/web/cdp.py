"""A small DevTools-protocol client for headless Chromium (python3-websocket)."""
import json
import shutil
import socket
import subprocess
import tempfile
import time
import urllib.request

import websocket


class Browser:
    """Starts headless Chromium with WebGL (SwiftShader) and Web Audio, and
    drives its one page. Console messages and exceptions are collected."""

    def __init__(self, port):
        self.profile = tempfile.mkdtemp(prefix="ml-chromium-")
        self.proc = subprocess.Popen(
            ["chromium", "--headless=new", "--no-sandbox", "--use-angle=swiftshader",
             "--enable-unsafe-swiftshader", "--autoplay-policy=no-user-gesture-required",
             "--no-first-run", "--mute-audio", "--disable-background-networking",
             "--disable-component-update", "--disable-sync", "--disable-quic",
             f"--user-data-dir={self.profile}",
             f"--remote-debugging-port={port}", "--window-size=1280,1024", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.time() + 30
        pages = None
        while time.time() < deadline:
            try:
                with urllib.request.urlopen(f"http://127.0.0.1:{port}/json") as r:
                    pages = [p for p in json.load(r) if p.get("type") == "page"]
                if pages:
                    break
            except OSError:
                pass
            time.sleep(0.2)
        if not pages:
            self.close()
            raise RuntimeError("chromium did not offer a page")
        self.ws = websocket.create_connection(pages[0]["webSocketDebuggerUrl"], timeout=60)
        self.next_id = 0
        self.console = []
        self.call("Runtime.enable")
        self.call("Page.enable")
        self.call("Log.enable")

    def _record(self, msg):
        method = msg.get("method")
        if method == "Runtime.consoleAPICalled":
            text = " ".join(str(a.get("value", a.get("description", ""))) for a in msg["params"]["args"])
            self.console.append((msg["params"]["type"], text))
        elif method == "Runtime.exceptionThrown":
            d = msg["params"]["exceptionDetails"]
            self.console.append(("exception", d.get("exception", {}).get("description", d.get("text"))))
        elif method == "Log.entryAdded":
            e = msg["params"]["entry"]
            self.console.append((e["level"], e.get("text", "")))

    def call(self, method, **params):
        self.next_id += 1
        my = self.next_id
        self.ws.send(json.dumps({"id": my, "method": method, "params": params}))
        while True:
            msg = json.loads(self.ws.recv())
            if msg.get("id") == my:
                if "error" in msg:
                    raise RuntimeError(f"{method}: {msg['error']}")
                return msg.get("result", {})
            self._record(msg)

    def eval(self, expression):
        r = self.call("Runtime.evaluate", expression=expression, returnByValue=True,
                      awaitPromise=True)
        if "exceptionDetails" in r:
            raise RuntimeError(f"{expression}: {r['exceptionDetails']}")
        return r["result"].get("value")

    def wait_for(self, expression, timeout):
        """Polls a JS expression until it is truthy; returns its value."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            v = self.eval(f"({expression}) || false")
            if v:
                return v
            time.sleep(0.1)
        raise TimeoutError(f"waited {timeout} s for {expression}")

    def key(self, key, code, vk):
        for kind in ("keyDown", "keyUp"):
            self.call("Input.dispatchKeyEvent", type=kind, key=key, code=code,
                      windowsVirtualKeyCode=vk)

    def mouse(self, kind, x, y):
        """kind: moved, pressed or released (the left button)."""
        params = dict(type="mouse" + kind.capitalize(), x=x, y=y)
        if kind != "moved":
            params.update(button="left", clickCount=1)
        self.call("Input.dispatchMouseEvent", **params)

    def click(self, x, y):
        for kind in ("pressed", "released"):
            self.mouse(kind, x, y)

    def screenshot(self, path, clip=None):
        import base64
        params = {"format": "png"}
        if clip:
            params["clip"] = dict(clip, scale=1)
        data = self.call("Page.captureScreenshot", **params)["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))

    def close(self):
        try:
            self.ws.close()
        except Exception:
            pass
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        shutil.rmtree(self.profile, ignore_errors=True)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for_server(port, timeout=20):
    """Waits until something accepts connections on the local port."""
    deadline = time.time() + timeout
    while True:
        try:
            socket.create_connection(("127.0.0.1", port), 1).close()
            return
        except OSError:
            if time.time() > deadline:
                raise
            time.sleep(0.1)


def page_errors(browser, ignore=()):
    """The console's errors and exceptions so far, but those starting with a
    text in ignore."""
    browser.eval("1")  # collect the last console messages
    return [c for c in browser.console if c[0] in ("error", "exception", "assert")
            and not c[1].startswith(tuple(ignore))]


def report(name, failures):
    """Prints the failures and the verdict; the exit code."""
    for f in failures:
        print("FAIL", f)
    print(f"{name}:", "failed" if failures else "passed")
    return 1 if failures else 0
