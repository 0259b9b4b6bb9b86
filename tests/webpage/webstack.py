"""The stack the browser tests and the web benchmark run: a private session bus, a paced
simulated camera on COM1, `zr47xcl serve` holding it, `zr47xcl web` on an ephemeral loopback
port, and headless chromium driven through chromedriver, all with a throw-away HOME and XDG
folders."""

import os
import pathlib
import shutil
import subprocess
import tempfile

BIN_DIR = pathlib.Path(
    os.environ.get("ZR_BIN_DIR", pathlib.Path(__file__).resolve().parents[2] / "build" / "bin"))
CHROMIUM = shutil.which("chromium")
CHROMEDRIVER = shutil.which("chromedriver")

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
except ImportError:  # reported by the skip below
    webdriver = None


def chromium_options(user_data_dir, downloads):
    """Headless chromium that talks to nothing but the server under test."""
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update",
                 "--disable-sync", "--disable-dev-shm-usage", "--window-size=1280,1000",
                 f"--user-data-dir={user_data_dir}"):
        options.add_argument(flag)
    options.add_experimental_option("prefs", {
        "download.default_directory": str(downloads),
        "download.prompt_for_download": False,
        "safebrowsing.enabled": False,
    })
    # The TLS test's certificate is self-signed.
    options.set_capability("acceptInsecureCerts", True)
    return options


class Stack:
    """The programs of one test run and the ways the tests reach them."""

    def __init__(self, root):
        self.root = root
        self.processes = []
        home = root / "home"
        self.env = dict(os.environ, HOME=str(home), XDG_CONFIG_HOME=str(home / ".config"),
                        XDG_DATA_HOME=str(home / ".local/share"), XDG_DATA_DIRS=str(root / "share"),
                        XDG_CACHE_HOME=str(home / ".cache"), XDG_RUNTIME_DIR=str(root / "run"))
        for name in ("HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CACHE_HOME",
                     "XDG_RUNTIME_DIR"):
            pathlib.Path(self.env[name]).mkdir(parents=True, exist_ok=True, mode=0o700)
        self.downloads = root / "downloads"
        self.downloads.mkdir()

    def start(self, args, **kwargs):
        process = subprocess.Popen(args, env=self.env, stdout=subprocess.PIPE,
                                   stdin=subprocess.DEVNULL, text=True, **kwargs)
        self.processes.append(process)
        return process

    def start_bus(self):
        daemon = self.start(["dbus-daemon", "--session", "--nofork", "--print-address"],
                            stderr=subprocess.DEVNULL)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = daemon.stdout.readline().strip()

    def start_camera(self):
        """The paced simulator on COM1, remembered as the port to start on."""
        link = self.root / "camera-1"
        camera = self.start([str(BIN_DIR / "zr47xcl-sim"), "--pace", "--link", str(link)])
        assert camera.stdout.readline().startswith("/dev/")
        folder = pathlib.Path(self.env["XDG_CONFIG_HOME"]) / "Korvel-XKorvelZR47xCL.ini-Control"
        folder.mkdir(parents=True, exist_ok=True)
        (folder / "XKorvelZR47xCL Control.ini").write_bytes(
            f"[Comm]\r\nCOM1={link}\r\nClass=0\r\nPort=0\r\n".encode())

    def serve(self):
        served = self.start([str(BIN_DIR / "zr47xcl"), "serve"])
        assert served.stdout.readline().startswith("com.korvel.ZR47xCL.")

    def web(self, *options):
        """`zr47xcl web` on an ephemeral loopback port; returns the page's address."""
        web = self.start([str(BIN_DIR / "zr47xcl"), "web", "--listen", "127.0.0.1:0", *options])
        line = web.stdout.readline().strip()
        prefix = "zr47xcl web: listening on "
        assert line.startswith(prefix), line
        return line[len(prefix):].rstrip("/")

    def cli(self, *args, timeout=60):
        """zr47xcl --attach with these verbs: its stdout; fails the test on a non-zero status."""
        done = subprocess.run([str(BIN_DIR / "zr47xcl"), "--attach", *args], env=self.env,
                              capture_output=True, text=True, timeout=timeout)
        assert done.returncode == 0, done.stderr
        return done.stdout

    def browser(self):
        user_data = tempfile.mkdtemp(prefix="chromium-", dir=self.root)
        service = Service(CHROMEDRIVER, env=self.env)
        driver = webdriver.Chrome(service=service,
                                  options=chromium_options(user_data, self.downloads))
        driver.execute_cdp_cmd("Browser.setDownloadBehavior",
                               {"behavior": "allow", "downloadPath": str(self.downloads)})
        return driver

    def start_all(self):
        """The whole stack: bus, paced camera, serve, the web face (`url`) and the browser
        (`driver`)."""
        self.start_bus()
        self.start_camera()
        self.serve()
        self.url = self.web()
        self.driver = self.browser()

    def stop(self):
        for process in reversed(self.processes):
            process.terminate()
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
            if process.stdout:
                process.stdout.close()

