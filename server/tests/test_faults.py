"""Fault texts and how the faults are handed out to requests."""

import os
import tempfile
import unittest

from gsdserver.control import ControlFile
from gsdserver.faults import FaultError, FaultSet, parse_fault


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
            ("wrong-challenge", "auth", "wrong-challenge", None, {}, None),
            ("check:delay=0.5", "check", "delay", 0.5, {}, None),
            ("stall=40,after=10", "any", "stall", 40.0, {"after": 10}, None),
            ("file:slow=0.01,chunk=100,times=1", "file", "slow", 0.01, {"chunk": 100}, 1),
            ("file:drop", "file", "drop", None, {}, None),
            ("file:drop=1000", "file", "drop", 1000, {}, None),
            ("hangup\n", "any", "hangup", None, {}, None),
        ]
        for text, scope, name, value, options, times in cases:
            fault = parse_fault(text)
            self.assertEqual((fault.scope, fault.name, fault.value, fault.options, fault.times),
                             (scope, name, value, options, times), text)

    def test_mistakes_are_rejected_with_a_reason(self):
        for text in ("explode", "web:reply=1", "reply", "delay", "delay=soon", "delay=-1", "refuse=1",
                     "list:refuse", "stall=1,chunk=5", "drop=1,after=2", "hangup,times=x"):
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
