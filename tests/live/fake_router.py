#!/usr/bin/env python3
"""A router's web interface for the live tests, on 127.0.0.1 only.

  fake_router.py start STATE   serve in the background; STATE receives
                               "NAME NUMBER" lines (pid, http, tls, notHttp,
                               closed) once every listener is up
  fake_router.py stop STATE    stop it

User "admin", password PASSWORD below (Windows-1252 on the wire), with:
  /basic/status.htm, /digest/status.htm   HTTP authentication
  /form/login.cgi                         POST user=..&md5=MD5 of the password,
                                          or GET user=..&pw=password; sets a
                                          session cookie, redirects to status
  /form/status.htm, /form/statusN.htm     need the cookie, else redirect to
                                          /form/login.htm
  /form/logout.cgi                        ends the session
  /slow?s=N, /huge, /gzip (compressed unasked), /cut (closes halfway),
  /elsewhere, /bounce?to=URL, /loop
and a TLS listener (self-signed certificate made at start), a listener that
speaks no HTTP, and a port where nothing listens. It ends by itself after an
hour.
"""
import base64
import gzip
import hashlib
import os
import secrets
import signal
import socket
import ssl
import subprocess
import sys
import tempfile
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlsplit

USER = "admin"
PASSWORD = "p&ss +w\u00f6rt=1"
REALM = "Router"
PASSWORD_BYTES = PASSWORD.encode("cp1252")
MD5 = hashlib.md5(PASSWORD_BYTES).hexdigest()

STATUS = (b"<html><body><table><tr><td>Verbindung:</td><td>Online</td></tr>\n"
          b"<tr><td>WAN-IP:</td><td> 192.0.2.7 </td></tr></table></body></html>")
EXTRA = {
    "2": b"<p>DNS1: <b>192.0.2.53</b></p><p>DNS2: <b>192.0.2.54</b></p>",
    "3": b"<p>Firmware: <i>1.2.3</i></p>",
    "4": b"<input type=checkbox name=dhcp checked><br>",
}
LOGIN_PAGE = b"<html><form action=login.cgi method=post>Bitte anmelden</form></html>"
sessions = set()
NONCE = secrets.token_hex(8)


def form(text):
    return {k: v[0] for k, v in parse_qs(text, encoding="cp1252", keep_blank_values=True).items()}


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    disable_nagle_algorithm = True

    def log_message(self, *args):
        pass

    def send(self, code, body=b"", headers=()):
        self.send_response(code)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def body(self):
        return self.rfile.read(int(self.headers.get("Content-Length", 0))).decode("latin-1")

    def do_POST(self):
        self.route(self.body())

    def do_GET(self):
        self.route("")

    def route(self, body):
        url = urlsplit(self.path)
        path, query = url.path, form(url.query)
        if path == "/basic/status.htm":
            return self.basic()
        if path == "/digest/status.htm":
            return self.digest()
        if path == "/form/login.cgi":
            fields = form(body) if self.command == "POST" else query
            ok = fields.get("user") == USER and (
                fields.get("md5") == MD5 or fields.get("pw", "").encode("cp1252", "replace") == PASSWORD_BYTES)
            if not ok:
                return self.send(200, LOGIN_PAGE)
            sid = secrets.token_hex(8)
            sessions.add(sid)
            return self.send(302, b"", [("Set-Cookie", "sid=%s; Path=/" % sid), ("Location", "status.htm")])
        if path == "/form/login.htm":
            return self.send(200, LOGIN_PAGE)
        if path.startswith("/form/"):
            sid = self.cookie()
            if sid not in sessions:
                return self.send(302, b"", [("Location", "/form/login.htm")])
            if path == "/form/logout.cgi":
                sessions.discard(sid)
                return self.send(200, b"Abgemeldet")
            if path == "/form/status.htm":
                return self.send(200, STATUS)
            number = path[len("/form/status"):-len(".htm")]
            if number in EXTRA:
                return self.send(200, EXTRA[number])
        if path == "/slow":
            time.sleep(float(query.get("s", "30")))
            return self.send(200, STATUS)
        if path == "/huge":
            self.send_response(200)
            self.send_header("Connection", "close")
            self.end_headers()
            chunk = b"x" * 65536
            try:
                for _ in range(17 * 16):
                    self.wfile.write(chunk)
            except OSError:
                pass
            self.close_connection = True
            return None
        if path == "/gzip":
            return self.send(200, gzip.compress(STATUS), [("Content-Encoding", "gzip")])
        if path == "/cut":
            self.send_response(200)
            self.send_header("Content-Length", str(2 * len(STATUS)))
            self.end_headers()
            self.wfile.write(STATUS)
            self.close_connection = True
            return None
        if path == "/elsewhere":
            return self.send(302, b"", [("Location", "http://127.0.0.2:%d/form/status.htm" % self.server.server_port)])
        if path == "/bounce":
            return self.send(302, b"", [("Location", query.get("to", "/"))])
        if path == "/loop":
            return self.send(302, b"", [("Location", "/loop")])
        return self.send(404, b"Nicht gefunden")

    def cookie(self):
        for part in self.headers.get("Cookie", "").split(";"):
            name, _, value = part.strip().partition("=")
            if name == "sid":
                return value
        return None

    def basic(self):
        expected = base64.b64encode(USER.encode() + b":" + PASSWORD_BYTES).decode()
        if self.headers.get("Authorization", "") == "Basic " + expected:
            return self.send(200, STATUS)
        return self.send(401, b"Anmeldung erforderlich", [("WWW-Authenticate", 'Basic realm="%s"' % REALM)])

    def digest(self):
        header = self.headers.get("Authorization", "")
        if header.startswith("Digest "):
            fields = {}
            for part in header[7:].split(","):
                name, _, value = part.strip().partition("=")
                fields[name] = value.strip('"')
            ha1 = hashlib.md5(USER.encode() + b":" + REALM.encode() + b":" + PASSWORD_BYTES).hexdigest()
            ha2 = hashlib.md5(("%s:%s" % (self.command, fields.get("uri", ""))).encode()).hexdigest()
            expected = hashlib.md5(":".join([ha1, NONCE, fields.get("nc", ""), fields.get("cnonce", ""),
                                             "auth", ha2]).encode()).hexdigest()
            if fields.get("username") == USER and fields.get("response") == expected:
                return self.send(200, STATUS)
        challenge = 'Digest realm="%s", qop="auth", nonce="%s", algorithm=MD5' % (REALM, NONCE)
        return self.send(401, b"Anmeldung erforderlich", [("WWW-Authenticate", challenge)])


def serve_not_http(listener):
    while True:
        connection, _ = listener.accept()
        with connection:
            try:
                connection.sendall(b"\x00\x01garbage that is no HTTP\r\n")
            except OSError:
                pass


def serve(state_path):
    folder = tempfile.mkdtemp(prefix="fake-router-")
    cert, key = os.path.join(folder, "cert.pem"), os.path.join(folder, "key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                    "-nodes", "-days", "1", "-subj", "/CN=127.0.0.1", "-keyout", key, "-out", cert],
                   check=True, capture_output=True)
    http = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    tls = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    tls.socket = context.wrap_socket(tls.socket, server_side=True)
    not_http = socket.create_server(("127.0.0.1", 0))
    closed = socket.create_server(("127.0.0.1", 0))
    closed_port = closed.getsockname()[1]
    closed.close()
    for target, argument in ((http.serve_forever, None), (tls.serve_forever, None), (serve_not_http, not_http)):
        threading.Thread(target=target, args=(argument,) if argument else (), daemon=True).start()
    ports = {"pid": os.getpid(), "http": http.server_port, "tls": tls.server_port,
             "notHttp": not_http.getsockname()[1], "closed": closed_port}
    with open(state_path + ".tmp", "w") as state:
        state.write("".join("%s %d\n" % item for item in ports.items()))
    os.replace(state_path + ".tmp", state_path)
    signal.signal(signal.SIGTERM, lambda *_: os._exit(0))
    time.sleep(3600)


def start(state_path):
    if os.path.exists(state_path):
        stop(state_path)
    # Its output goes to a log beside the state, so that no one waiting for
    # the end of this command's output waits for the server.
    with open(state_path + ".log", "w") as log:
        server = subprocess.Popen([sys.executable, os.path.abspath(__file__), "serve", state_path],
                                  stdin=subprocess.DEVNULL, stdout=log, stderr=log, start_new_session=True)
    for _ in range(200):
        if os.path.exists(state_path):
            return 0
        if server.poll() is not None:
            return 1
        time.sleep(0.05)
    server.kill()
    return 1


def stop(state_path):
    try:
        with open(state_path) as state:
            os.kill(int(state.readline().split()[1]), signal.SIGTERM)
    except (OSError, ValueError, IndexError):
        pass
    if os.path.exists(state_path):
        os.remove(state_path)
    return 0


if __name__ == "__main__":
    command, path = sys.argv[1], sys.argv[2]
    sys.exit({"start": start, "stop": stop, "serve": lambda p: serve(p) or 0}[command](path))
