#!/usr/bin/env python3
"""The web face against the paced simulated camera on loopback: page start-up, live changes, and
the cost of a set through the web face beside the same set over the bus.

bench/web_page.py [--build DIR] [--rounds N] [--pictures DIR]

Starts a private session bus, the paced simulator on COM1, `zr47xcl serve` holding it and
`zr47xcl web` on an ephemeral loopback port (as the browser tests do), and headless chromium.
Measures, each as the median of N rounds (default 30):
  - page usable: from navigation start until the page has its members, values and event stream
    (target under 300 ms);
  - change shown: a set by another client (the Python module attached over the bus) until the
    page shows it (target under 100 ms);
  - set cost: a set through POST /api/v1/controls/COM1/set beside the same set through the
    attached module, i.e. what `--attach` does (target: the web face adds under 2 ms).
With --pictures DIR it also saves the page at phone, tablet and desktop widths there.
The exit status is 1 when a target is missed.
"""

import argparse
import http.client
import json
import os
import pathlib
import statistics
import sys
import tempfile
import time

ROOT = pathlib.Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "webpage"))

TARGETS = {"page usable": 300.0, "change shown": 100.0, "web face adds to a set": 2.0}
WIDTHS = (("phone", 390, 844), ("tablet", 820, 1180), ("desktop", 1440, 1000))


WAIT_READY = """
    return await new Promise((done) => {
        const look = () => {
            const [mark] = performance.getEntriesByName("camera-ready");
            if (mark) done(mark.startTime); else setTimeout(look, 5);
        };
        look();
    });"""


def page_usable(driver, url, rounds):
    """Milliseconds from navigation start until the page marks itself ready."""
    times = []
    for _ in range(rounds):
        driver.get("about:blank")  # a fresh load each round, not a jump within the page
        driver.get(f"{url}/#COM1")
        times.append(driver.execute_script(WAIT_READY))
    return times


def change_shown(driver, ctl, rounds):
    """Milliseconds from the start of another client's set until the page shows the value."""
    driver.execute_script("""
        window.shown = {};
        document.addEventListener("camera-change", (e) => {
            const key = `${e.detail.name}=${e.detail.value}`;
            window.shown[key] = performance.timeOrigin + performance.now();
        });""")
    times = []
    for i in range(rounds):
        value = 1 + i % 10
        key = f"IMG1ShutterSpeed={value}"
        start = time.time() * 1000
        ctl.IMG1ShutterSpeed = value
        deadline = time.monotonic() + 5
        while (shown := driver.execute_script(f"return window.shown['{key}']")) is None:
            if time.monotonic() > deadline:
                raise RuntimeError(f"the page never showed {key}")
            time.sleep(0.001)
        driver.execute_script(f"delete window.shown['{key}']")
        times.append(shown - start)
    return times


class WebClient:
    """Sets through the JSON API over one kept-alive connection, as the page does."""

    def __init__(self, url):
        self.host, port = url.removeprefix("http://").split(":")
        self.origin = url
        self.connection = http.client.HTTPConnection(self.host, int(port))
        self.cookie = ""
        self.token = self.request("GET", "/api/v1/session")["csrf"]

    def request(self, method, path, body=None):
        headers = {"Origin": self.origin, "Content-Type": "application/json"}
        if self.cookie:
            headers["Cookie"] = self.cookie
        if method == "POST":
            headers["X-CSRF-Token"] = self.token
        self.connection.request(method, path, body=json.dumps(body) if body else None,
                                headers=headers)
        response = self.connection.getresponse()
        data = response.read()
        # The session's cookie, which the CSRF token belongs to.
        if cookie := response.getheader("Set-Cookie"):
            self.cookie = cookie.split(";", 1)[0]
        if response.status != 200:
            raise RuntimeError(f"{method} {path}: {response.status} {data!r}")
        return json.loads(data)

    def set(self, name, value):
        self.request("POST", "/api/v1/controls/COM1/set", {"name": name, "value": value})


def set_cost(web, ctl, rounds):
    """Median milliseconds of a set through the web face and through the bus."""
    through_web, through_bus = [], []
    for i in range(rounds):
        for times, set_value in ((through_web, lambda v: web.set("IMG1GainMaster", v)),
                                 (through_bus, lambda v: setattr(ctl, "IMG1GainMaster", v))):
            start = time.perf_counter()
            set_value(100 + i % 50)
            times.append((time.perf_counter() - start) * 1000)
    return statistics.median(through_web), statistics.median(through_bus)


def pictures(stack, folder):
    folder.mkdir(parents=True, exist_ok=True)
    driver = stack.driver
    for name, width, height in WIDTHS:
        driver.set_window_size(width, height)
        driver.get(f"{stack.url}/#COM1")
        driver.execute_script(WAIT_READY)
        time.sleep(0.3)
        driver.save_screenshot(str(folder / f"web-{name}.png"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", type=pathlib.Path, default=ROOT / "build")
    parser.add_argument("--rounds", type=int, default=30)
    parser.add_argument("--pictures", type=pathlib.Path)
    options = parser.parse_args()

    os.environ["ZR_BIN_DIR"] = str(options.build / "bin")
    import webstack
    sys.path.insert(0, str(options.build / "python"))
    import zr47xcl

    stack = webstack.Stack(pathlib.Path(tempfile.mkdtemp(prefix="zr47xcl-web-bench-")))
    try:
        stack.start_all()
        os.environ.update({k: stack.env[k] for k in ("DBUS_SESSION_BUS_ADDRESS", "HOME",
                                                      "XDG_CONFIG_HOME", "XDG_DATA_HOME")})
        ctl = zr47xcl.attach()
        usable = page_usable(stack.driver, stack.url, options.rounds)
        shown = change_shown(stack.driver, ctl, options.rounds)
        web_ms, bus_ms = set_cost(WebClient(stack.url), ctl, options.rounds * 3)
        if options.pictures:
            pictures(stack, options.pictures)
        ctl.close()
        stack.driver.quit()
    finally:
        stack.stop()

    figures = {"page usable": statistics.median(usable), "change shown": statistics.median(shown),
               "web face adds to a set": web_ms - bus_ms}
    print(f"paced simulator, loopback, {options.rounds} rounds, medians in ms")
    print(f"page usable            {figures['page usable']:7.1f}  (worst {max(usable):.1f})")
    print(f"change shown           {figures['change shown']:7.1f}  (worst {max(shown):.1f})")
    print(f"set through the web    {web_ms:7.1f}")
    print(f"set through the bus    {bus_ms:7.1f}")
    missed = [name for name, limit in TARGETS.items() if figures[name] >= limit]
    for name, limit in TARGETS.items():
        print(f"{name}: {figures[name]:.1f} ms, target under {limit:g} ms: "
              f"{'MISSED' if name in missed else 'met'}")
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
