"""Fault texts and how the faults are handed out to requests."""

import os
import tempfile
import unittest

from gsdserver.control import ControlFile
from gsdserver.faults import FaultError, FaultSet, parse_fault
from gsdserver.payload import STREAM_CHUNK, SyntheticPayload
from gsdserver.shaping import CLOSE, SEND, WAIT, announced_length, shape_body


class ParseFaultTest(unittest.TestCase):
    def test_fault_texts(self):
        cases = [
            ("refuse", "any", "refuse", None, {}, None),
            ("list:reply=12", "list", "reply", b"12", {}, None),
            ("auth:reply=", "auth", "reply", b"", {}, None),
            ("list:reply= 17", "list", "reply", b" 17", {}, None),
            ("reply=%2C%00abc,times=2", "any", "reply", b",\0abc", {}, 2),
            ("status", "any", "status", 500, {}, None),
            ("file:status=404", "file", "status", 404, {}, None),
            ("file:redirect=http://localhost:1/a.asp", "file", "redirect", b"http://localhost:1/a.asp", {}, None),
            ("wrong-challenge", "auth", "wrong-challenge", None, {}, None),
            ("check:delay=0.5", "check", "delay", 0.5, {}, None),
            ("stall=40,after=10", "any", "stall", 40.0, {"after": 10}, None),
            ("file:slow=0.01,chunk=100,times=1", "file", "slow", 0.01, {"chunk": 100}, 1),
            ("file:drop", "file", "drop", None, {}, None),
            ("file:drop=1000", "file", "drop", 1000, {}, None),
            ("hangup\n", "any", "hangup", None, {}, None),
            ("file:wrong-length", "file", "wrong-length", None, {}, None),
            ("wrong-length=100,times=1", "any", "wrong-length", 100, {}, 1),
            ("file:chunked", "file", "chunked", None, {}, None),
            ("list:chunked=60", "list", "chunked", 60, {}, None),
        ]
        for text, scope, name, value, options, times in cases:
            fault = parse_fault(text)
            self.assertEqual((fault.scope, fault.name, fault.value, fault.options, fault.times),
                             (scope, name, value, options, times), text)

    def test_mistakes_are_rejected_with_a_reason(self):
        for text in ("explode", "web:reply=1", "reply", "delay", "delay=soon", "delay=-1", "refuse=1",
                     "list:refuse", "stall=1,chunk=5", "drop=1,after=2", "hangup,times=x",
                     "wrong-length=x", "wrong-length=-1", "chunked=x"):
            with self.assertRaises(FaultError, msg=text):
                parse_fault(text)


class FaultSetTest(unittest.TestCase):
    def test_scope_and_first_of_each_name(self):
        faults = FaultSet(parse_fault(t) for t in ("list:reply=12", "reply=1", "delay=1", "refuse"))
        self.assertTrue(faults.refusing)
        self.assertEqual(faults.take("list")["reply"].value, b"12")
        self.assertEqual(sorted(faults.take("auth")), ["delay", "reply"])
        self.assertEqual(faults.take("auth")["reply"].value, b"1")

    def test_times_counts_matching_requests_only(self):
        faults = FaultSet([parse_fault("file:drop,times=2")])
        self.assertEqual(faults.take("list"), {})
        self.assertIn("drop", faults.take("file"))
        self.assertIn("drop", faults.take("file"))
        self.assertEqual(faults.take("file"), {})


def faults_of(*texts):
    return {fault.name: fault for fault in map(parse_fault, texts)}


class BodyShapeTest(unittest.TestCase):
    BODY = bytes(i % 256 for i in range(150000))

    def plan(self, body, *faults):
        """The steps with consecutive sends merged into byte counts, and
        every byte sent, in order."""
        chunks = [body[i:i + STREAM_CHUNK] for i in range(0, len(body), STREAM_CHUNK)]
        steps, sent = [], b""
        for step in shape_body(chunks, len(body), faults_of(*faults)):
            self.assertLessEqual(len(step[1]) if step[0] == SEND else 0, STREAM_CHUNK)
            if step[0] == SEND:
                sent += step[1]
                if steps and steps[-1][0] == SEND:
                    steps[-1] = (SEND, steps[-1][1] + len(step[1]))
                    continue
                step = (SEND, len(step[1]))
            steps.append(step)
        return steps, sent

    def test_faults_shape_the_body(self):
        n = len(self.BODY)
        cases = [
            ((), [(SEND, n)]),
            (("stall=2,after=100000",), [(SEND, 100000), (WAIT, 2), (SEND, n - 100000)]),
            (("stall=3",), [(WAIT, 3), (SEND, n)]),
            (("stall=1,after=999999",), [(SEND, n), (WAIT, 1)]),
            (("drop=1000",), [(SEND, 1000), (CLOSE,)]),
            (("drop",), [(SEND, n // 2), (CLOSE,)]),
            (("slow=0.5,chunk=65536",), [(WAIT, 0.5), (SEND, 65536), (WAIT, 0.5), (SEND, 65536),
                                         (WAIT, 0.5), (SEND, n - 131072)]),
            # Pieces larger than the stream's own still pause once per piece.
            (("slow=0.5,chunk=100000",), [(WAIT, 0.5), (SEND, 100000), (WAIT, 0.5), (SEND, n - 100000)]),
            (("slow=0.1,chunk=60000", "drop=100000"), [(WAIT, 0.1), (SEND, 60000), (WAIT, 0.1), (SEND, 40000),
                                                       (CLOSE,)]),
            (("wrong-length",), [(SEND, n), (CLOSE,)]),
        ]
        for faults, expected in cases:
            steps, sent = self.plan(self.BODY, *faults)
            self.assertEqual(steps, expected, faults)
            self.assertEqual(sent, self.BODY[:len(sent)], faults)

    def test_wrong_length_claims_more_than_the_body(self):
        cases = [((), 1000, 1000), (("wrong-length",), 1000, 1250), (("wrong-length",), 3, 4),
                 (("wrong-length=7",), 1000, 1007), (("drop=10",), 1000, 1000)]
        for faults, length, expected in cases:
            self.assertEqual(announced_length(length, faults_of(*faults)), expected, faults)

    def test_slow_keeps_a_large_payload_flowing_beyond_thirty_seconds(self):
        size = 4 * 1024 * 1024
        waited = sent = 0
        for step in shape_body(SyntheticPayload(size).chunks(), size, faults_of("file:slow=0.5,chunk=65536")):
            self.assertNotEqual(step[0], CLOSE)
            waited += step[1] if step[0] == WAIT else 0
            sent += len(step[1]) if step[0] == SEND else 0
        self.assertEqual((sent, waited), (size, 32.0))


class ControlFileTest(unittest.TestCase):
    def setUp(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        self.path = os.path.join(folder.name, "control")
        self.control = ControlFile(self.path)

    def write(self, text):
        with open(self.path, "w") as f:
            f.write(text)

    def applied(self):
        with open(self.path + ".applied") as f:
            return f.read()

    def test_changes_are_read_once_and_acknowledged(self):
        self.assertIsNone(self.control.poll())  # no file: start-up faults stay
        self.write("# set 1\nlist:reply=12\n\nauth:wrong-challenge\n")
        self.assertEqual([f.text for f in self.control.poll()], ["list:reply=12", "auth:wrong-challenge"])
        self.control.acknowledge()
        self.assertEqual(self.applied(), "ok\n# set 1\nlist:reply=12\n\nauth:wrong-challenge\n")
        self.assertIsNone(self.control.poll())
        os.remove(self.path)
        self.assertEqual(self.control.poll(), [])

    def test_a_bad_line_is_reported(self):
        self.write("list:reply=12\nexplode\n")
        with self.assertRaises(FaultError) as caught:
            self.control.poll()
        self.control.acknowledge(str(caught.exception))
        self.assertTrue(self.applied().startswith("error: unknown fault 'explode'"))


if __name__ == "__main__":
    unittest.main()
