"""One stack shared by the browser tests (see webstack.py)."""

import shutil

import pytest

from webstack import CHROMEDRIVER, CHROMIUM, Stack, webdriver


@pytest.fixture(scope="session")
def stack(tmp_path_factory):
    missing = [name for name, found in (("chromium", CHROMIUM), ("chromedriver", CHROMEDRIVER),
                                        ("dbus-daemon", shutil.which("dbus-daemon")),
                                        ("python3-selenium", webdriver)) if not found]
    if missing:
        pytest.skip("not installed: " + ", ".join(missing))
    s = Stack(tmp_path_factory.mktemp("web"))
    try:
        s.start_all()
        yield s
        s.driver.quit()
    finally:
        s.stop()
