"""The server's content: a catalogue of items and their payload files.

A content folder holds catalogue.txt, one item per line in the ten-field
download-list layout (Kind|Title|FileName|Author|Description|ColumnNote|
Version1|Version2|Version3|Languages), and a folder files/ with each item's
payload. Blank lines and lines starting with "#" are ignored; every other line
is sent exactly as written, so a test may serve malformed lines on purpose.
"""

import os
import subprocess

from .inventory import version_key
from .wire import (DATABASE_FAILED, DOWNLOAD_ID_FAILED, FILE_NAME_FAILED, FILE_TO_RETURN_FAILED,
                   RequestError, leading_number)

PROGRAM, LANGUAGE, OBJECT_PACK, PROGRAM_UPGRADE = 1, 2, 3, 4

# Where a payload may be, tried in order, for an item whose FileName is N:
# files/N, files/N.mdc, files/N.exe, files/N.bytes (a synthetic payload of
# the size written in it, see payload.py), then a pack made at start-up from
# files/N.manifest (see prepare_payloads).
PAYLOAD_SUFFIXES = ("", ".mdc", ".exe", ".bytes")


class Item:
    def __init__(self, line):
        self.line = line
        self.fields = line.split(b"|")

    def field(self, index):
        return self.fields[index] if index < len(self.fields) else b""

    @property
    def kind(self):
        return leading_number(self.field(0))

    @property
    def title(self):
        return self.field(1)

    @property
    def file_name(self):
        return self.field(2)

    @property
    def version(self):
        return [self.field(6), self.field(7), self.field(8)]


def read_catalogue(content_dir):
    """The catalogue's items in file order. Raises RequestError (database
    failure) when the catalogue cannot be read."""
    path = os.path.join(content_dir, "catalogue.txt")
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError as e:
        raise RequestError(DATABASE_FAILED, "cannot read %s: %s" % (path, e))
    items = []
    for raw in data.split(b"\n"):
        line = raw.rstrip(b"\r")
        if line.strip() and not line.startswith(b"#"):
            items.append(Item(line))
    return items


def is_offered(item, inventory):
    """Whether the client lacks `item` in its version: the program (kind 1)
    and program upgrades (kind 4) are offered when newer than the reported
    program, the language file when newer than the reported one, an object
    pack when no installed pack has its title or every one that has is older.
    Items of any other kind are always offered. Language masks and the
    interface language play no part."""
    newer = lambda installed: version_key(item.version) > version_key(installed)
    if item.kind in (PROGRAM, PROGRAM_UPGRADE):
        return newer(inventory.program_version)
    if item.kind == LANGUAGE:
        return newer(inventory.language_version)
    if item.kind == OBJECT_PACK:
        return all(newer(pack.version) for pack in inventory.packs if pack.title == item.title)
    return True


def download_list(items, inventory):
    """The reply to a download-list request: the offered items' lines joined
    by CR LF, in catalogue order; empty when nothing is offered."""
    return b"\r\n".join(item.line for item in items if is_offered(item, inventory))


def find_requested_item(items, fields):
    """The item a file request names. The request carries fields 5-10:
    Version1, Version2, Version3, Languages, Title, Kind (a title holding "|"
    spreads over several fields, so the kind is the last one); the first item
    whose fields match them exactly is the one."""
    if len(fields) < 11:
        raise RequestError(DOWNLOAD_ID_FAILED, "a file request needs fields 5 to 10")
    wanted = (fields[5], fields[6], fields[7], fields[8], b"|".join(fields[9:-1]), fields[-1])
    for item in items:
        if (item.field(6), item.field(7), item.field(8), item.field(9), item.title, item.field(0)) == wanted:
            return item
    raise RequestError(FILE_NAME_FAILED, "no catalogue item matches %r" % (wanted,))


def payload_path(content_dir, item, generated_dir=None):
    """The payload file of `item`. Raises RequestError when it has none or
    when the file name would leave the files folder."""
    name = item.file_name.decode("latin-1")
    if not name or "/" in name or "\\" in name or name in (".", ".."):
        raise RequestError(FILE_TO_RETURN_FAILED, "unusable file name %r" % name)
    candidates = [os.path.join(content_dir, "files", name + s) for s in PAYLOAD_SUFFIXES]
    if generated_dir:
        candidates.append(os.path.join(generated_dir, name + ".mdc"))
    for path in candidates:
        if os.path.isfile(path):
            return path
    raise RequestError(FILE_TO_RETURN_FAILED, "no payload for %r in %s" % (name, content_dir))


def prepare_payloads(content_dir, generated_dir, mdctool):
    """Packs every files/N.manifest that has no ready payload into
    generated_dir/N.mdc with `mdctool pack`. Returns the names packed; raises
    RuntimeError naming the manifest that failed."""
    files = os.path.join(content_dir, "files")
    packed = []
    if not os.path.isdir(files):
        return packed
    for entry in sorted(os.listdir(files)):
        if not entry.endswith(".manifest"):
            continue
        name = entry[:-len(".manifest")]
        if any(os.path.isfile(os.path.join(files, name + s)) for s in PAYLOAD_SUFFIXES):
            continue
        os.makedirs(generated_dir, exist_ok=True)
        result = subprocess.run([mdctool, "pack", os.path.join(generated_dir, name + ".mdc"),
                                 os.path.join(files, entry)], capture_output=True, text=True)
        if result.returncode != 0:
            raise RuntimeError("mdctool could not pack %s: %s" % (entry, result.stderr.strip()))
        packed.append(name)
    return packed
