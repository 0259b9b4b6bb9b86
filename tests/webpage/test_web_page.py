"""The web page in headless chromium against the real `zr47xcl web`, `zr47xcl serve` and the
paced simulated camera: settings both ways, long operations, files and the TLS login."""

import subprocess

from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select, WebDriverWait

from webstack import BIN_DIR

WAIT = 10  # seconds; the paced line needs a few of them for a read-all


def wait_for(driver, condition, timeout=WAIT, message=""):
    return WebDriverWait(driver, timeout, poll_frequency=0.02).until(
        lambda d: condition(d), message)


def open_page(stack, camera="COM1"):
    driver = stack.driver
    driver.get(f"{stack.url}/#{camera}")
    wait_for(driver, lambda d: d.find_element(By.TAG_NAME, "body").get_attribute("data-ready"),
             message="the page never became ready")
    return driver


def member(driver, name):
    return driver.find_element(By.NAME, name)


def log_lines(driver):
    return driver.execute_script(
        "return [...document.querySelectorAll('#log li')].map((li) => li.textContent)")


def answered(driver, sent):
    """The page's log shows `sent` going out and the camera accepting it."""
    lines = log_lines(driver)
    return any(line == f"> {sent}" and lines[i + 1:i + 2] == ["< COMPLETE"]
               for i, line in enumerate(lines))


def test_page_is_generated_from_the_members_and_sends_changes_to_the_camera(stack):
    driver = open_page(stack)
    assert [o.get_attribute("value") for o in
            Select(driver.find_element(By.ID, "camera")).options] == ["COM1"]
    groups = [g.get_attribute("data-group")
              for g in driver.find_elements(By.CSS_SELECTOR, "fieldset.group")]
    assert {"imager1", "imager2", "common"} <= set(groups)
    # Every control is labelled and carries its member's name; lists carry value names and
    # number fields the parameter table's range.
    unlabelled = driver.execute_script(
        "return [...document.querySelectorAll('#settings [name]')]"
        ".filter((c) => c.tagName !== 'BUTTON' && c.labels.length === 0).map((c) => c.name)")
    assert unlabelled == []
    speed = Select(member(driver, "IMG1ShutterSpeed"))
    assert len(speed.options) == 12 and speed.options[6].text == "1/1000"
    gain = member(driver, "IMG1GainMaster")
    assert (gain.get_attribute("type"), gain.get_attribute("min"), gain.get_attribute("max")) == \
        ("number", "-84", "336")

    # A list and a number field, changed as a user does, reach the camera, which accepts them.
    choice = "7" if speed.first_selected_option.get_attribute("value") != "7" else "6"
    speed.select_by_value(choice)
    wait_for(driver, lambda d: answered(d, f"SH1={choice}"), message=str(log_lines(driver)))
    gain.send_keys(Keys.CONTROL, "a")
    gain.send_keys("120", Keys.ENTER)
    wait_for(driver, lambda d: answered(d, "GA1=120"), message=str(log_lines(driver)))
    assert stack.cli("get", "IMG1ShutterSpeed", "get", "IMG1GainMaster").split() == [choice, "120"]

    # A value out of range never leaves the page; the field shows the camera's value again.
    gain.send_keys(Keys.CONTROL, "a")
    gain.send_keys("999", Keys.TAB)
    wait_for(driver, lambda d: "problem" in d.find_element(By.ID, "status").get_attribute("class"))
    assert gain.get_attribute("value") == "120"
    assert not any(line.startswith("> GA1=999") for line in log_lines(driver))


def test_changes_made_elsewhere_show_on_the_page(stack):
    driver = open_page(stack)
    speed = member(driver, "IMG1ShutterSpeed")
    for value in ("3", "9"):
        stack.cli("set", f"IMG1ShutterSpeed={value}")
        wait_for(driver, lambda d: speed.get_attribute("value") == value, timeout=2)

    # Enablement follows the parameter table's conditions: master gain only with manual gain.
    gain = member(driver, "IMG1GainMaster")
    assert gain.is_enabled()
    stack.cli("set", "IMG1AGCSelect=1")
    wait_for(driver, lambda d: not gain.is_enabled(), timeout=2)
    assert member(driver, "IMG1AGCSelect").get_attribute("value") == "1"
    stack.cli("set", "IMG1AGCSelect=0")
    wait_for(driver, lambda d: gain.is_enabled(), timeout=2)


def test_read_all_shows_its_progress_and_stops_on_stop(stack):
    driver = open_page(stack)
    box = driver.find_element(By.ID, "operation")
    member(driver, "ReadAllFromCamera").click()
    bar = driver.find_element(By.CSS_SELECTOR, "#operation progress")
    wait_for(driver, lambda d: box.is_displayed() and int(bar.get_attribute("value") or 0) > 2,
             message="no progress shown")
    steps = driver.find_element(By.CSS_SELECTOR, "#operation .steps").text
    done, total = (int(n) for n in steps.split(" / "))
    assert 0 < done < total
    driver.find_element(By.ID, "stop").click()
    wait_for(driver, lambda d: not box.is_displayed(), message="the operation did not stop")
    status = driver.find_element(By.ID, "status").text
    assert status.startswith("ReadAllFromCamera")
    # Stopped early, and the control is free again for the next set.
    stack.cli("set", "IMG1ShutterSpeed=4")
    wait_for(driver, lambda d: member(d, "IMG1ShutterSpeed").get_attribute("value") == "4")


def test_page_loads_again_and_again(stack):
    # A page the browser keeps for going back must not keep its event stream: the browser
    # allows six connections to one server, and the seventh load would wait for them.
    driver = stack.driver
    for _ in range(8):
        driver.get("about:blank")
        open_page(stack)


def downloaded(stack, suffix, before):
    # The browser may make the file before it writes it: a download is there once it has bytes.
    def finished(_):
        new = [p for p in stack.downloads.iterdir() if p.name not in before]
        return next((p for p in new if p.name.endswith(suffix) and p.stat().st_size > 0), None)
    return wait_for(stack.driver, finished, message=f"no {suffix} download")


def test_setup_file_goes_up_and_down_and_the_report_downloads(stack):
    driver = open_page(stack)
    speed = member(driver, "IMG1ShutterSpeed")
    stack.cli("set", "IMG1ShutterSpeed=2")
    wait_for(driver, lambda d: speed.get_attribute("value") == "2")
    before = {p.name for p in stack.downloads.iterdir()}
    driver.find_element(By.ID, "download-setup").click()
    setup = downloaded(stack, ".cam", before)

    stack.cli("set", "IMG1ShutterSpeed=9")
    wait_for(driver, lambda d: speed.get_attribute("value") == "9")
    driver.find_element(By.ID, "upload").send_keys(str(setup))
    wait_for(driver, lambda d: speed.get_attribute("value") == "2", message="setup not loaded")
    wait_for(driver, lambda d: d.find_element(By.ID, "status").text.endswith("loaded."))
    assert stack.cli("get", "IMG1ShutterSpeed").strip() == "2"

    before = {p.name for p in stack.downloads.iterdir()}
    driver.find_element(By.ID, "download-report").click()
    report = downloaded(stack, ".txt", before)
    assert "ZR-470" in report.read_text(errors="replace")


def test_tls_listener_needs_the_password(stack, tmp_path):
    key, cert, hashed = tmp_path / "key.pem", tmp_path / "cert.pem", tmp_path / "password"
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                    "-keyout", str(key), "-out", str(cert), "-subj", "/CN=127.0.0.1",
                    "-addext", "subjectAltName=IP:127.0.0.1"],
                   check=True, capture_output=True, timeout=60)
    subprocess.run([str(BIN_DIR / "zr47xcl"), "web",
                    "--hash-password", str(hashed)], input="plant floor 7\n", text=True,
                   env=stack.env, check=True, capture_output=True, timeout=60)
    url = stack.web("--tls-cert", str(cert), "--tls-key", str(key),
                    "--password-file", str(hashed))
    assert url.startswith("https://127.0.0.1:")

    driver = stack.driver
    driver.get(url + "/")
    wait_for(driver, lambda d: d.current_url == url + "/login")
    # Cookies belong to the host, not the port: forget the plain listener's session.
    driver.delete_all_cookies()
    password = driver.find_element(By.NAME, "password")
    password.send_keys("plant floor 6", Keys.ENTER)
    wait_for(driver, lambda d: d.find_element(By.ID, "status").text == "Wrong password.")
    assert driver.current_url == url + "/login"
    assert driver.get_cookie("zr47xcl_session") is None

    password.clear()
    password.send_keys("plant floor 7", Keys.ENTER)
    wait_for(driver, lambda d: d.current_url.startswith(url + "/#COM1") and
             d.find_element(By.TAG_NAME, "body").get_attribute("data-ready"))
    cookie = driver.get_cookie("zr47xcl_session")
    assert (cookie["httpOnly"], cookie["secure"], cookie.get("sameSite")) == (True, True, "Strict")
    stack.cli("set", "IMG1ShutterSpeed=5")
    wait_for(driver, lambda d: member(d, "IMG1ShutterSpeed").get_attribute("value") == "5")

