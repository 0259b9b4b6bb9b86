"""`zr47xcl web` as an attacker meets it. In every case the server answers with an HTTP error
(or closes the connection of a client too slow to finish its request), goes on serving others,
and the camera's settings stay as they were."""

import resource
import socket
import subprocess
import threading
import time

from conftest import wait_for

PASSWORD = "correct horse battery staple"


def camera_settings(bench):
    """Every setting as the camera itself answers it (a read-all through the bus)."""
    status, out, err = bench.cli("--attach", "COM1", "dump")
    assert status == 0, err
    return out


def raw(web, data, read=True, timeout=10):
    """Sends bytes on a new connection; the answer's status line (empty when closed)."""
    with socket.create_connection(("127.0.0.1", web.port), timeout=timeout) as sock:
        try:
            sock.sendall(data)
        except OSError:
            pass
        if not read:
            return b""
        try:
            return sock.recv(4096).split(b"\r\n", 1)[0]
        except OSError:
            return b""


def still_serving(web):
    status, _, body = web.request("GET", "/api/v1/controls")
    return status == 200 and body["controls"][0]["id"] == "COM1"


def test_attacks_leave_the_server_serving_and_the_camera_untouched(bench):
    bench.camera()
    bench.serve()
    web = bench.web("--listen", "127.0.0.1:0", "--password-file", str(bench.password_file(PASSWORD)))
    before = camera_settings(bench)

    # Not signed in: nothing but the session's state and the page's files.
    assert web.request("GET", "/api/v1/controls/COM1/values")[0] == 401
    assert web.request("POST", "/api/v1/controls/COM1/set",
                       {"name": "IMG1ShutterSpeed", "value": 1})[0] == 401
    assert web.request("GET", "/api/v1/session")[2] == {"authenticated": False,
                                                         "passwordRequired": True}
    # Wrong or missing password.
    assert web.request("POST", "/api/v1/login", {"password": "wrong"})[0] == 401
    assert web.request("POST", "/api/v1/login", {})[0] == 400
    # A login from another origin.
    assert web.request("POST", "/api/v1/login", {"password": PASSWORD},
                       {"Origin": "http://evil.example"})[0] == 403

    web.sign_in(PASSWORD)
    cookie = web.request("POST", "/api/v1/login", {"password": PASSWORD})[1].getheader("Set-Cookie")
    assert "HttpOnly" in cookie and "SameSite=Strict" in cookie
    web.sign_in(PASSWORD)
    # Signed in, but without the CSRF token, with a wrong one, or from another origin (a form).
    set_speed = {"name": "IMG1ShutterSpeed", "value": 1}
    assert web.request("POST", "/api/v1/controls/COM1/set", set_speed, {"X-CSRF-Token": ""})[0] == 403
    assert web.request("POST", "/api/v1/controls/COM1/set", set_speed, {"X-CSRF-Token": "0" * 64})[0] == 403
    form = "name=IMG1ShutterSpeed&value=1"
    assert web.request("POST", "/api/v1/controls/COM1/set", form,
                       {"Origin": "http://evil.example", "X-CSRF-Token": "",
                        "Content-Type": "application/x-www-form-urlencoded"})[0] == 403
    assert web.request("POST", "/api/v1/controls/COM1/set", set_speed, {"Origin": ""})[0] == 403

    # Paths out of the page's files.
    for path in ("/static/../../etc/passwd", "/static/%2e%2e/%2e%2e/etc/passwd", "/../etc/passwd",
                 "/static/..%2f..%2fetc%2fpasswd", "/static//etc/passwd", "/static/"):
        status, _, body = web.request("GET", path, raw=True)
        assert status in (400, 404) and b"root:" not in body, path
    assert raw(web, b"GET ../../etc/passwd HTTP/1.1\r\nHost: x\r\n\r\n").split(b" ")[1] in (b"400", b"404")

    # A body of 100 MB is refused from its length alone.
    answer = raw(web, b"POST /api/v1/controls/COM1/setup HTTP/1.1\r\nHost: " + web.host.encode() +
                 b"\r\nContent-Length: 104857600\r\n\r\n" + b"x" * 65536)
    assert answer.split(b" ")[1] == b"413"
    # ...and so is one sent without a length (chunked), once it grows too big.
    with socket.create_connection(("127.0.0.1", web.port), timeout=10) as sock:
        sock.sendall(b"POST /api/v1/controls/COM1/setup HTTP/1.1\r\nHost: x\r\n"
                     b"Transfer-Encoding: chunked\r\n\r\n")
        chunk = b"100000\r\n" + b"x" * 0x100000 + b"\r\n"
        try:
            for _ in range(3):
                sock.sendall(chunk)
        except OSError:
            pass
        assert sock.recv(4096).split(b" ")[1] == b"413"

    # A client that sends one byte a second loses its connection at the request's deadline,
    # while others are served meanwhile.
    slow_closed = []

    def slow():
        with socket.create_connection(("127.0.0.1", web.port), timeout=30) as sock:
            started = time.monotonic()
            try:
                for byte in b"GET /api/v1/controls HTTP/1.1\r\nHost: x\r\n" * 10:
                    sock.sendall(bytes([byte]))
                    sock.settimeout(1)
                    try:
                        if sock.recv(1) == b"":
                            break
                    except socket.timeout:
                        pass
            except OSError:
                pass
            slow_closed.append(time.monotonic() - started)

    slow_thread = threading.Thread(target=slow)
    slow_thread.start()

    # 1,000 connections at once, each with half a request.
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (min(hard, 4096), hard))
    many = []
    try:
        for _ in range(1000):
            sock = socket.create_connection(("127.0.0.1", web.port), timeout=10)
            sock.sendall(b"GET /api/v1/session HTTP/1.1\r\n")
            many.append(sock)
        started = time.monotonic()
        assert still_serving(web)
        assert time.monotonic() - started < 1.0
        # They finish their requests and all get their answer.
        for sock in many:
            sock.sendall(b"Host: x\r\nConnection: close\r\n\r\n")
        answered = sum(1 for sock in many if sock.recv(64).startswith(b"HTTP/1.1 200"))
        assert answered == 1000
    finally:
        for sock in many:
            sock.close()
        resource.setrlimit(resource.RLIMIT_NOFILE, (soft, hard))

    assert still_serving(web)
    slow_thread.join(timeout=20)
    assert slow_closed and slow_closed[0] < 15
    assert still_serving(web)

    # Too many sign-in attempts from one address are refused for a while, right or wrong.
    statuses = [web.request("POST", "/api/v1/login", {"password": "guess"})[0] for _ in range(6)]
    assert 429 in statuses
    assert web.request("POST", "/api/v1/login", {"password": PASSWORD})[0] == 429

    # The camera's settings are untouched.
    assert camera_settings(bench) == before
    assert web.process.poll() is None


def test_tls_listener_with_a_self_signed_certificate(bench, tmp_path):
    cert, key = tmp_path / "cert.pem", tmp_path / "key.pem"
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", str(key),
                    "-out", str(cert), "-days", "1", "-subj", "/CN=127.0.0.1"],
                   check=True, capture_output=True)
    bench.camera()
    # Any address: TLS and the password make it allowed.
    web = bench.web("--serve", "--port", "COM1", "--listen", "0.0.0.0:0", "--tls-cert", str(cert),
                    "--tls-key", str(key), "--password-file", str(bench.password_file(PASSWORD)),
                    cafile=str(cert))
    assert web.url.startswith("https://0.0.0.0:")
    web.host = f"127.0.0.1:{web.port}"
    web.origin = f"https://{web.host}"
    assert web.request("POST", "/api/v1/login", {"password": "wrong"})[0] == 401
    assert web.request("GET", "/api/v1/controls")[0] == 401
    status, answer, body = web.request("POST", "/api/v1/login", {"password": PASSWORD})
    assert status == 200 and "Secure" in answer.getheader("Set-Cookie")
    web.csrf = body["csrf"]
    assert web.request("GET", "/api/v1/controls")[0] == 200
    # Plain HTTP on the TLS port gets nowhere.
    assert not raw(web, b"GET /api/v1/controls HTTP/1.1\r\nHost: x\r\n\r\n").startswith(b"HTTP/1.1 200")
