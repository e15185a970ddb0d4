"""Running the server from the command line: the control file, the ready
file, the lease and the main loop."""

import json
import os
import signal
import sys
import time

from .faults import FaultError, parse_fault_lines

POLL_SECONDS = 0.05


def write_atomically(path, data):
    temporary = path + ".tmp"
    with open(temporary, "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("ascii"))
    os.replace(temporary, path)


class ControlFile:
    """Faults from a file, read again whenever its content changes. The file
    holds one fault per line (blank and "#" lines skipped) and replaces all
    active faults. Once the change is in effect (for "refuse": once the port
    is closed or open again), the server writes FILE.applied: a first line
    "ok" or "error: REASON" (the faults then stay as they were), then the
    content it read."""

    def __init__(self, path):
        self.path = path
        self._seen = None

    def poll(self):
        """The new faults (a list) when the content changed, else None;
        raises FaultError for content that does not parse."""
        try:
            with open(self.path, "rb") as f:
                content = f.read()
        except FileNotFoundError:
            # No file yet: the faults given at start stay. A file that goes
            # away clears them.
            content = None if self._seen is None else b""
        if content is None or content == self._seen:
            return None
        self._seen = content
        return parse_fault_lines(content.decode("utf-8", "surrogateescape"))

    def acknowledge(self, error=None):
        status = "ok" if error is None else "error: %s" % error
        write_atomically(self.path + ".applied", status.encode("latin-1", "replace") + b"\n" + (self._seen or b""))


def run(server, control=None, ready_file=None, lease=None, max_lifetime=None):
    """Serves until a signal, the lease file vanishing or the lifetime
    running out. The ready file (JSON: pid, port, url, listening) is written
    once the server is up and removed when it has stopped listening."""
    stopping = []
    for signum in (signal.SIGTERM, signal.SIGINT):
        signal.signal(signum, lambda *_: stopping.append(True))
    started = time.monotonic()

    def apply_control():
        try:
            faults = control.poll()
        except FaultError as e:
            server.say("control file: %s" % e)
            control.acknowledge(str(e))
            return
        if faults is not None:
            server.faults.replace(faults)
            server.sync_listening()
            control.acknowledge()

    if control:
        apply_control()
    server.sync_listening()
    if ready_file:
        write_atomically(ready_file, json.dumps({
            "pid": os.getpid(), "port": server.port, "url": server.url, "listening": server.listening}))
    server.say("serving %s (pid %d)%s" % (server.url, os.getpid(), "" if server.listening else ", refusing"))
    try:
        while not stopping:
            if lease and not os.path.exists(lease):
                server.say("lease %s gone: stopping" % lease)
                break
            if max_lifetime is not None and time.monotonic() - started > max_lifetime:
                server.say("lifetime of %g s over: stopping" % max_lifetime)
                break
            if control:
                apply_control()
            time.sleep(POLL_SECONDS)
    finally:
        server.stop()
        if ready_file:
            try:
                os.remove(ready_file)
            except FileNotFoundError:
                pass
    sys.stdout.flush()
