"""Where a file reply's bytes come from: a payload file streamed from disk,
or synthetic bytes made on the fly for payloads too big to keep in the
repository.

A synthetic payload is a file files/N.bytes holding a size: a decimal number
of bytes, optionally followed by K, M or G (1024, 1024^2, 1024^3), e.g.
"200M" or "1G". Its content is fixed by the offset alone, so a client can
check what it received without a copy: byte o is o mod 251, except that
every 64 KiB block starts with its own offset as 8 bytes big-endian (a
block dropped, repeated or swapped shows)."""

import os
import re
import struct

STREAM_CHUNK = 64 * 1024
SYNTHETIC_SUFFIX = ".bytes"

_UNITS = {"": 1, "K": 1024, "M": 1024 ** 2, "G": 1024 ** 3}
_SIZE = re.compile(r"\s*(\d+)\s*([KMG]?)\s*", re.IGNORECASE)
_CYCLE_LENGTH = 251
# Long enough to cut any block's filler from, whatever its starting phase.
_CYCLE = bytes(range(_CYCLE_LENGTH)) * (STREAM_CHUNK // _CYCLE_LENGTH + 2)
_STAMP = struct.Struct(">Q")


def parse_size(text):
    """The byte count a .bytes file holds ("200M", "1G", "4096"); raises
    ValueError for anything else."""
    match = _SIZE.fullmatch(text)
    if not match:
        raise ValueError("not a size: %r (use e.g. 4096, 64K, 200M, 1G)" % text)
    return int(match.group(1)) * _UNITS[match.group(2).upper()]


class FilePayload:
    def __init__(self, path):
        self.path = path
        self.length = os.path.getsize(path)

    def chunks(self):
        with open(self.path, "rb") as f:
            while True:
                chunk = f.read(STREAM_CHUNK)
                if not chunk:
                    return
                yield chunk


class SyntheticPayload:
    def __init__(self, length):
        self.length = length

    def chunks(self):
        """The content in blocks of STREAM_CHUNK bytes, each made when asked
        for: memory use does not grow with the length."""
        for offset in range(0, self.length, STREAM_CHUNK):
            size = min(STREAM_CHUNK, self.length - offset)
            phase = (offset + _STAMP.size) % _CYCLE_LENGTH
            block = _STAMP.pack(offset) + _CYCLE[phase:phase + STREAM_CHUNK - _STAMP.size]
            yield block[:size]


def open_payload(path):
    """The payload stored at `path`: synthetic for a .bytes file, else the
    file itself. Raises ValueError for a .bytes file that holds no size."""
    if path.endswith(SYNTHETIC_SUFFIX):
        with open(path, "rb") as f:
            return SyntheticPayload(parse_size(f.read(64).decode("ascii", "replace")))
    return FilePayload(path)
