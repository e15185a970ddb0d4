#!/usr/bin/env python3
"""Runs a native program for a benchmark running under Wine, which can start
one but not wait for it, and reports through a file instead: RESULT gets one
line "EXIT_CODE WALL_SECONDS PEAK_RESIDENT_BYTES", then the program's
standard output. RESULT appears whole (written beside it, then renamed).

    time_unix_program.py RESULT PROGRAM [ARGUMENT...]
"""

import os
import resource
import subprocess
import sys
import time


def main():
    result, command = sys.argv[1], sys.argv[2:]
    started = time.monotonic()
    try:
        finished = subprocess.run(command, stdout=subprocess.PIPE)
        code, output = finished.returncode, finished.stdout
    except OSError as e:
        code, output = 127, str(e).encode()
    seconds = time.monotonic() - started
    peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss * 1024  # Linux counts KiB
    with open(result + ".tmp", "wb") as f:
        f.write(b"%d %.6f %d\n" % (code, seconds, peak) + output)
    os.replace(result + ".tmp", result)


if __name__ == "__main__":
    main()
