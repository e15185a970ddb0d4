"""The server over real TLS on loopback: replies, streaming, the request log,
faults as a client sees them, and the command line's ready file, control
file and lease."""

import base64
import http.client
import json
import os
import socket
import ssl
import subprocess
import sys
import tempfile
import time
import unittest

from gsdserver import wire
from gsdserver.faults import parse_fault
from gsdserver.httpd import ReferenceServer
from gsdserver.payload import SyntheticPayload
from gsdserver.testca import make_test_ca

HERE = os.path.dirname(os.path.abspath(__file__))
CHALLENGE = bytes(ord("A") + (i * 7) % 25 for i in range(100))
AUTH_BODY = b"ACTION_REQUEST=AUTHENTICATE+HOST&ACTION_MESSAGE=1|0|0000|2||" + wire.scramble(CHALLENGE)
LIST_BODY = b"ACTION_REQUEST=RETURN+DOWNLOAD+LIST&ACTION_MESSAGE=1%7c0%7c0000%7c2%7c%7c1%7c0%7c0%7c1%7c0%7c0%7c1%7c0%7c0"
FILE_BODY = b"ACTION_REQUEST=RETURN+FILE&ACTION_MESSAGE=1%7c0%7c0000%7c2%7c%7c1%7c2%7c0%7c3%7cBig+Bricks%7c3"
CATALOGUE = (b"3|Big Bricks|Bricks|Ann|Red bricks||1|2|0|3\n2|Language|Language|Quil|Texts||1|1|0|1\n"
             b"3|Sand|Sand|Ann|Made up||1|0|0|1\n3|Broken|Broken|Ann|Bad size||1|0|0|1\n")
PAYLOAD = os.urandom(3 * 1024 * 1024 + 17)
SAND_SIZE = 300000


def file_body(title):
    return b"ACTION_REQUEST=RETURN+FILE&ACTION_MESSAGE=1%7c0%7c0000%7c2%7c%7c1%7c0%7c0%7c1%7c" + title + b"%7c3"

folder = None
certificates = None


def setUpModule():
    global folder, certificates
    folder = tempfile.TemporaryDirectory()
    certificates = make_test_ca(os.path.join(folder.name, "ca"))
    content = os.path.join(folder.name, "content")
    os.makedirs(os.path.join(content, "files"))
    with open(os.path.join(content, "catalogue.txt"), "wb") as f:
        f.write(CATALOGUE)
    for name, data in (("Bricks.mdc", PAYLOAD), ("Sand.bytes", b"%d\n" % SAND_SIZE), ("Broken.bytes", b"lots")):
        with open(os.path.join(content, "files", name), "wb") as f:
            f.write(data)


def tearDownModule():
    folder.cleanup()


class ServerTest(unittest.TestCase):
    def setUp(self):
        self.log = os.path.join(folder.name, "requests-%s.jsonl" % self.id())
        self.server = ReferenceServer(os.path.join(folder.name, "content"), certificates[1], certificates[2],
                                      port=0, request_log=self.log)
        self.server.sync_listening()
        self.addCleanup(self.server.stop)
        self.tls = ssl.create_default_context(cafile=certificates[0])

    def connect(self):
        return http.client.HTTPSConnection("localhost", self.server.port, context=self.tls, timeout=10)

    def exchange(self, body=b"", path="/autodownload.asp", connection=None):
        connection = connection or self.connect()
        connection.request("GET", path, body=body or None,
                           headers={"Content-Type": "application/x-www-form-urlencoded"} if body else {})
        response = connection.getresponse()
        return response.status, response.read()

    def set_faults(self, *texts):
        self.server.faults.replace(parse_fault(t) for t in texts)
        self.server.sync_listening()

    def logged(self):
        with open(self.log) as f:
            return [json.loads(line) for line in f]

    def test_each_request_gets_its_reply(self):
        cases = [
            (b"", (200, b"0")),
            (AUTH_BODY, (200, CHALLENGE)),
            (LIST_BODY, (200, CATALOGUE.rstrip(b"\n").replace(b"\n", b"\r\n"))),
            (FILE_BODY, (200, PAYLOAD)),
            (b"ACTION_REQUEST=RETURN+FILE&ACTION_MESSAGE=1%7c0%7c0000%7c2%7c%7c9%7c9%7c9%7c3%7cX%7c3", (200, b"16")),
            (file_body(b"Sand"), (200, b"".join(SyntheticPayload(SAND_SIZE).chunks()))),
            (file_body(b"Broken"), (200, b"12")),
            (b"nonsense", (200, b"4")),
        ]
        for body, expected in cases:
            self.assertEqual(self.exchange(body), expected, body[:40])
        self.assertEqual(self.exchange(path="/other.asp")[0], 404)

    def test_log_holds_the_exact_bytes_received(self):
        self.exchange(AUTH_BODY)
        entry = self.logged()[0]
        self.assertEqual(base64.b64decode(entry["body_b64"]), AUTH_BODY)
        self.assertEqual((entry["method"], entry["path"], entry["kind"]), ("GET", "/autodownload.asp", "auth"))
        self.assertIn(["Content-Type", "application/x-www-form-urlencoded"], entry["headers"])
        self.assertEqual((entry["reply_status"], entry["reply_length"]), (200, 100))

    def test_bodiless_request_then_body_on_one_connection(self):
        # What WinINet does: opening the URL sends a GET, the body follows.
        connection = self.connect()
        self.assertEqual(self.exchange(b"", connection=connection), (200, b"0"))
        self.assertEqual(self.exchange(AUTH_BODY, connection=connection), (200, CHALLENGE))

    def test_faults_change_the_reply(self):
        cases = [
            (("auth:reply=",), AUTH_BODY, (200, b"")),
            (("list:reply= 17",), LIST_BODY, (200, b" 17")),
            (("list:reply=12",), b"", (200, b"0")),  # other kinds untouched
            (("wrong-challenge",), AUTH_BODY, (200, wire.wrong_challenge(CHALLENGE))),
        ]
        for faults, body, expected in cases:
            self.set_faults(*faults)
            self.assertEqual(self.exchange(body), expected, faults)
        self.set_faults("list:status=500")
        status, page = self.exchange(LIST_BODY)
        self.assertEqual(status, 500)
        self.assertIn(b"Internal Server Error", page)

    def test_connection_faults(self):
        self.set_faults("file:drop=100000")
        connection = self.connect()
        connection.request("GET", "/autodownload.asp", body=FILE_BODY)
        response = connection.getresponse()
        with self.assertRaises(http.client.IncompleteRead) as caught:
            response.read()
        self.assertEqual(caught.exception.partial, PAYLOAD[:100000])
        self.set_faults("hangup")
        with self.assertRaises((http.client.RemoteDisconnected, ConnectionError, ssl.SSLError)):
            self.exchange(AUTH_BODY)

    def test_timings_name_each_reply_once_sent(self):
        timings = os.path.join(folder.name, "timings-%s.jsonl" % self.id())
        server = ReferenceServer(os.path.join(folder.name, "content"), certificates[1], certificates[2],
                                 port=0, timings_log=timings)
        server.sync_listening()
        self.addCleanup(server.stop)
        self.server = server
        self.set_faults("file:slow=0.05,chunk=262144")
        self.assertEqual(self.exchange(AUTH_BODY), (200, CHALLENGE))
        self.assertEqual(self.exchange(file_body(b"Sand"))[0], 200)
        # The client may have the last byte before the server has logged it.
        deadline = time.monotonic() + 10
        while True:
            with open(timings) as f:
                entries = [json.loads(line) for line in f]
            if len(entries) >= 2 or time.monotonic() > deadline:
                break
            time.sleep(0.02)
        self.assertEqual([(e["seq"], e["kind"], e["sent"]) for e in entries], [(1, "auth", 100), (2, "file", SAND_SIZE)])
        # The paced reply's pauses are inside its time.
        self.assertGreaterEqual(entries[1]["seconds"], 0.05 * (SAND_SIZE // 262144))

    def test_file_replies_announce_their_length_unless_told_to_lie(self):
        cases = [((), FILE_BODY, len(PAYLOAD)), ((), file_body(b"Sand"), SAND_SIZE),
                 (("file:wrong-length",), FILE_BODY, len(PAYLOAD) * 5 // 4),
                 (("file:wrong-length=10",), file_body(b"Sand"), SAND_SIZE + 10)]
        for faults, body, announced in cases:
            self.set_faults(*faults)
            connection = self.connect()
            self.addCleanup(connection.close)
            connection.request("GET", "/autodownload.asp", body=body)
            response = connection.getresponse()
            self.assertEqual(int(response.getheader("Content-Length")), announced, faults)
            if faults:  # the whole payload comes, then the connection ends
                with self.assertRaises(http.client.IncompleteRead) as caught:
                    response.read()
                self.assertEqual(len(caught.exception.partial), announced - caught.exception.expected, faults)
            else:
                self.assertEqual(len(response.read()), announced)

    def test_chunked_replies_carry_a_length_only_when_told(self):
        cases = [(("file:chunked",), FILE_BODY, None, PAYLOAD),
                 (("list:chunked=60",), LIST_BODY, "60", CATALOGUE.rstrip(b"\n").replace(b"\n", b"\r\n")),
                 (("file:chunked=100", "file:drop=1000"), FILE_BODY, "100", None)]
        for faults, body, announced, expected in cases:
            self.set_faults(*faults)
            connection = self.connect()
            self.addCleanup(connection.close)
            connection.request("GET", "/autodownload.asp", body=body)
            response = connection.getresponse()
            self.assertEqual((response.getheader("Transfer-Encoding"), response.getheader("Content-Length")),
                             ("chunked", announced), faults)
            if expected is None:  # cut inside the body: no last chunk
                with self.assertRaises(http.client.IncompleteRead, msg=faults):
                    response.read()
            else:
                self.assertEqual(response.read(), expected, faults)

    def test_file_scoped_pacing_delivers_the_payload_intact(self):
        for fault in ("file:stall=0.2,after=100000", "file:slow=0.01,chunk=262144"):
            self.set_faults(fault)
            self.assertEqual(self.exchange(AUTH_BODY), (200, CHALLENGE), fault)
            self.assertEqual(self.exchange(FILE_BODY), (200, PAYLOAD), fault)
            self.assertEqual([entry["faults"] for entry in self.logged()[-2:]], [[], [fault]])

    def test_timing_faults(self):
        self.set_faults("delay=0.3")
        started = time.monotonic()
        self.exchange()
        self.assertGreaterEqual(time.monotonic() - started, 0.3)

        self.set_faults("stall=0.4,after=50")
        connection = self.connect()
        connection.request("GET", "/autodownload.asp", body=AUTH_BODY)
        response = connection.getresponse()
        started = time.monotonic()
        self.assertEqual(response.read(50), CHALLENGE[:50])
        self.assertLess(time.monotonic() - started, 0.3)
        self.assertEqual(response.read(), CHALLENGE[50:])
        self.assertGreaterEqual(time.monotonic() - started, 0.35)

        self.set_faults("slow=0.05,chunk=25")
        started = time.monotonic()
        self.assertEqual(self.exchange(AUTH_BODY), (200, CHALLENGE))
        self.assertGreaterEqual(time.monotonic() - started, 0.2)

    def test_refuse_closes_the_port_and_kept_connections_until_cleared(self):
        port = self.server.port
        kept = self.connect()
        self.assertEqual(self.exchange(connection=kept), (200, b"0"))
        self.set_faults("refuse")
        with self.assertRaises(ConnectionRefusedError):
            socket.create_connection(("127.0.0.1", port), timeout=5)
        with self.assertRaises((http.client.RemoteDisconnected, ConnectionError, ssl.SSLError)):
            self.exchange(connection=kept)
        self.set_faults()
        self.assertEqual(self.server.port, port)
        self.assertEqual(self.exchange(), (200, b"0"))


class CommandLineTest(unittest.TestCase):
    def test_ready_file_control_file_and_lease(self):
        work = tempfile.TemporaryDirectory()
        self.addCleanup(work.cleanup)
        path = lambda name: os.path.join(work.name, name)
        open(path("lease"), "w").close()
        with open(path("control"), "w") as f:
            f.write("refuse\n")
        server = subprocess.Popen([sys.executable, os.path.join(HERE, "..", "refserver.py"), "--port", "0",
                                   "--cert", certificates[1], "--key", certificates[2],
                                   "--content", os.path.join(folder.name, "content"), "--control", path("control"),
                                   "--ready-file", path("ready"), "--lease", path("lease"), "--log", path("log")])
        self.addCleanup(server.kill)
        deadline = time.monotonic() + 10
        while not os.path.exists(path("ready")) and time.monotonic() < deadline:
            time.sleep(0.02)
        with open(path("ready")) as f:
            ready = json.load(f)
        self.assertFalse(ready["listening"])  # the control file's refuse holds from the start

        with open(path("control.new"), "w") as f:
            f.write("# 2\n")
        os.replace(path("control.new"), path("control"))
        while time.monotonic() < deadline:
            if os.path.exists(path("control.applied")) and open(path("control.applied")).read() == "ok\n# 2\n":
                break
            time.sleep(0.02)
        socket.create_connection(("127.0.0.1", ready["port"]), timeout=5).close()

        os.remove(path("lease"))
        self.assertEqual(server.wait(timeout=10), 0)
        self.assertFalse(os.path.exists(path("ready")))


if __name__ == "__main__":
    unittest.main()
