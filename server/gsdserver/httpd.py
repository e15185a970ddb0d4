"""The HTTPS side: /autodownload.asp over TLS on 127.0.0.1, with faults
applied and every request recorded."""

import base64
import errno
import json
import socket
import ssl
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

from . import catalogue, payload, shaping, wire
from .faults import FaultSet
from .inventory import parse_inventory

HOST = "127.0.0.1"
SCRIPT_PATH = "/autodownload.asp"
HANDSHAKE_TIMEOUT = 10


class Reply:
    """What the server answers: a status and a body from bytes or a payload
    (payload.FilePayload or payload.SyntheticPayload)."""

    def __init__(self, body=b"", status=200, content_type="text/html", payload=None, note=None, headers=()):
        self.status = status
        self.headers = list(headers)  # further (name, value) header lines
        self.body = body
        self.payload = payload
        self.content_type = content_type
        self.note = note  # why the server answered an error code

    @property
    def length(self):
        return self.payload.length if self.payload else len(self.body)

    def chunks(self):
        return self.payload.chunks() if self.payload else [self.body]


def error_page(status, reason):
    return ("<html><head><title>%d %s</title></head><body><h1>%s</h1>"
            "<p>The server could not complete the request.</p></body></html>\r\n"
            % (status, reason, reason)).encode()


class RequestLog:
    """Every request as one JSON line: method, path, headers (in order, as
    [name, value] pairs), the exact body bytes in base64, how the server
    classified it and what it answered. With a timings file, every reply
    once it has been sent, as one JSON line there: the request's "seq" and
    "kind", the body bytes sent ("sent") and the seconds from the request's
    arrival to its last byte handed to the connection ("seconds"), so that a
    benchmark can time a client the same way whatever the client is."""

    def __init__(self, path, timings_path=None):
        self._path = path
        self._timings_path = timings_path
        self._lock = threading.Lock()
        self._sequence = 0

    def record(self, handler, body, kind, faults, reply):
        """Logs the request; returns its sequence number."""
        with self._lock:
            self._sequence += 1
            entry = {
                "seq": self._sequence,
                "time": round(time.time(), 3),
                "client": "%s:%d" % handler.client_address[:2],
                "method": handler.command,
                "path": handler.path,
                "version": handler.request_version,
                "headers": [[k, v] for k, v in handler.headers.items()],
                "body_length": len(body),
                "body_b64": base64.b64encode(body).decode("ascii"),
                "kind": kind,
                "faults": [f.text for f in faults.values()],
                "reply_status": None if reply is None else reply.status,
                "reply_length": None if reply is None else reply.length,
                "note": None if reply is None else reply.note,
            }
            if self._path:
                with open(self._path, "a", encoding="ascii") as f:
                    f.write(json.dumps(entry) + "\n")
            return self._sequence

    def served(self, sequence, kind, sent, seconds):
        if not self._timings_path:
            return
        entry = {"seq": sequence, "kind": kind, "sent": sent, "seconds": round(seconds, 6)}
        with self._lock, open(self._timings_path, "a", encoding="ascii") as f:
            f.write(json.dumps(entry) + "\n")


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "GravelpitReference/1.0"
    timeout = 120

    def do_GET(self):
        self._serve()

    do_POST = do_GET

    def log_message(self, format, *args):
        self.server.app.say("%s %s" % (self.address_string(), format % args))

    def _serve(self):
        app = self.server.app
        arrived = time.perf_counter()
        body = self._read_body()
        if body is None:
            return
        kind, reply, challenge = self._decide(body)
        faults = app.faults.take(kind)
        if "reply" in faults:
            reply = Reply(faults["reply"].value)
        elif "status" in faults:
            status = faults["status"].value
            reason = self.responses.get(status, ("Error",))[0]
            reply = Reply(error_page(status, reason), status=status)
        elif "redirect" in faults:
            location = faults["redirect"].value.decode("latin-1")
            reply = Reply(error_page(302, "Found"), status=302, headers=[("Location", location)])
        elif "wrong-challenge" in faults and challenge is not None:
            reply = Reply(wire.wrong_challenge(challenge))
        sequence = app.requests.record(self, body, kind, faults, None if "hangup" in faults else reply)
        if "delay" in faults:
            time.sleep(faults["delay"].value)
        try:
            if "hangup" in faults:
                self._abort()
                return
            self.send_response(reply.status)
            self.send_header("Content-Type", reply.content_type)
            for name, value in reply.headers:
                self.send_header(name, value)
            chunked = faults.get("chunked")
            if chunked is not None:
                self.send_header("Transfer-Encoding", "chunked")
            if chunked is None or chunked.value is not None:
                self.send_header("Content-Length", str(shaping.announced_length(reply.length, faults, chunked)))
            self.end_headers()
            sent = self._write_body(reply, faults, chunked is not None)
            app.requests.served(sequence, kind, sent, time.perf_counter() - arrived)
        except (OSError, ssl.SSLError) as e:
            app.say("reply to %s cut short: %s" % (self.address_string(), e))
            self.close_connection = True

    def _read_body(self):
        length = self.headers.get("Content-Length")
        if length is None:
            return b""
        try:
            length = int(length)
            if length < 0:
                raise ValueError
        except ValueError:
            self.send_error(400, "Bad Content-Length")
            return None
        parts = []
        while length > 0:
            part = self.rfile.read(length)
            if not part:
                self.close_connection = True
                return None
            parts.append(part)
            length -= len(part)
        return b"".join(parts)

    def _decide(self, body):
        """Classifies the request and builds the regular reply. Returns
        (kind, reply, plain challenge or None)."""
        if self.path.split("?", 1)[0].lower() != SCRIPT_PATH:
            return "other", Reply(error_page(404, "Not Found"), status=404), None
        if not body:
            return wire.CHECK, Reply(b"0"), None
        kind = "other"
        app = self.server.app
        try:
            kind, message = wire.split_body(body)
            if kind == wire.AUTHENTICATE:
                plain = wire.answer_challenge(message, app.account)
                return kind, Reply(plain), plain
            fields = wire.message_fields(wire.form_decode(message), app.account)
            items = catalogue.read_catalogue(app.content_dir)
            if kind == wire.DOWNLOAD_LIST:
                return kind, Reply(catalogue.download_list(items, parse_inventory(fields))), None
            item = catalogue.find_requested_item(items, fields)
            path = catalogue.payload_path(app.content_dir, item, app.generated_dir)
            try:
                source = payload.open_payload(path)
            except ValueError as e:
                raise wire.RequestError(wire.FILE_TO_RETURN_FAILED, "%s: %s" % (path, e))
            return kind, Reply(payload=source, content_type="application/octet-stream"), None
        except wire.RequestError as e:
            app.say("%s request answered %s: %s" % (kind, e.code.decode(), e.reason))
            return kind, Reply(e.code, note=e.reason), None

    def _write_body(self, reply, faults, chunked):
        """Sends the body as the stall, slow, drop and wrong-length faults
        shape it, in chunks of the chunked coding when `chunked` is set.
        Returns the body bytes sent."""
        sent = 0
        for step in shaping.shape_body(reply.chunks(), reply.length, faults):
            if step[0] == shaping.SEND:
                self.wfile.write(shaping.chunk_frame(step[1]) if chunked else step[1])
                sent += len(step[1])
            elif step[0] == shaping.WAIT:
                time.sleep(step[1])
            else:
                self._abort()
                return sent
        if chunked:
            self.wfile.write(shaping.LAST_CHUNK)
        return sent

    def _abort(self):
        """Ends the connection at once: no rest of the reply, no TLS goodbye."""
        self.close_connection = True
        try:
            self.connection.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass


class _TlsServer(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, address, app):
        self.app = app
        self._connections = set()
        self._connections_lock = threading.Lock()
        super().__init__(address, Handler)

    def finish_request(self, request, client_address):
        # The handshake runs here, in the connection's own thread, so a
        # client that connects and stays silent holds up no one else.
        request.settimeout(HANDSHAKE_TIMEOUT)
        try:
            connection = self.app.tls.wrap_socket(request, server_side=True)
        except (ssl.SSLError, OSError) as e:
            self.app.say("TLS handshake with %s:%d failed: %s" % (client_address[0], client_address[1], e))
            return
        with self._connections_lock:
            self._connections.add(connection)
        try:
            Handler(connection, client_address, self)
        finally:
            with self._connections_lock:
                self._connections.discard(connection)
            connection.close()

    def close_connections(self):
        """Ends every open connection, idle kept-alive ones included: a
        client that pools connections must find the server gone too."""
        with self._connections_lock:
            for connection in self._connections:
                try:
                    connection.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass

    def handle_error(self, request, client_address):
        self.app.say("error serving %s:%d: %s" % (client_address[0], client_address[1], sys.exc_info()[1]))


class ReferenceServer:
    """The server with its content, faults and request log. Listens on
    127.0.0.1:`port` (0: a free port, kept across refuse phases) while no
    refuse fault is active."""

    def __init__(self, content_dir, certfile, keyfile, port=47443, faults=None, request_log=None,
                 account=None, generated_dir=None, log=None, timings_log=None):
        self.content_dir = content_dir
        self.generated_dir = generated_dir
        self.account = account
        self.faults = faults if faults is not None else FaultSet()
        self.requests = RequestLog(request_log, timings_log)
        self.tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        self.tls.load_cert_chain(certfile, keyfile)
        self.port = port
        self._log = log
        self._httpd = None
        self._lock = threading.Lock()

    def say(self, message):
        if self._log is not None:
            self._log.write("refserver: %s\n" % message)
            self._log.flush()

    @property
    def listening(self):
        return self._httpd is not None

    def sync_listening(self, bind_timeout=10.0):
        """Listens or stops listening as the refuse fault says."""
        with self._lock:
            if self.faults.refusing and self._httpd:
                self._close()
            elif not self.faults.refusing and not self._httpd:
                self._httpd = self._bind(bind_timeout)
                self.port = self._httpd.server_address[1]
                threading.Thread(target=self._httpd.serve_forever, kwargs={"poll_interval": 0.05},
                                 daemon=True).start()
            elif self.port == 0:
                with socket.socket() as s:  # a port to come back to
                    s.bind((HOST, 0))
                    self.port = s.getsockname()[1]

    def _bind(self, timeout):
        # The previous server on this port may still be on its way out.
        deadline = time.monotonic() + timeout
        while True:
            try:
                return _TlsServer((HOST, self.port), self)
            except OSError as e:
                if e.errno != errno.EADDRINUSE or time.monotonic() > deadline:
                    raise
                time.sleep(0.1)

    def stop(self):
        with self._lock:
            if self._httpd:
                self._close()

    def _close(self):
        self._httpd.shutdown()
        self._httpd.server_close()
        self._httpd.close_connections()
        self._httpd = None

    @property
    def url(self):
        return "https://localhost:%d%s" % (self.port, SCRIPT_PATH)
