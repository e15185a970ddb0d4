"""How the stall, slow, drop and wrong-length faults shape a reply's body,
as a plan of steps the connection carries out. Kept apart from the sockets
so the plan can be checked without waiting for it."""

from .payload import STREAM_CHUNK

SEND, WAIT, CLOSE = "send", "wait", "close"


LAST_CHUNK = b"0\r\n\r\n"


def chunk_frame(data):
    """`data` as one chunk of the chunked transfer coding; nothing for no
    data, which would read as the last chunk."""
    return b"%x\r\n%s\r\n" % (len(data), data) if data else b""


def announced_length(length, faults, chunked=None):
    """The Content-Length the reply claims: the body's own length, more
    under wrong-length (its value, else a quarter more and at least 1), or
    the value of a chunked fault that gives one."""
    if chunked is not None and chunked.value is not None:
        return chunked.value
    wrong = faults.get("wrong-length")
    if wrong is None:
        return length
    return length + (wrong.value if wrong.value is not None else max(1, length // 4))


def shape_body(chunks, length, faults):
    """Yields (SEND, bytes), (WAIT, seconds) and, when the connection must
    end without the rest of the reply, a last (CLOSE,). Pieces sent are at
    most STREAM_CHUNK bytes whatever the faults, so a large slow chunk does
    not hold the payload in memory."""
    stall = faults.get("stall")
    stall_after = stall.options.get("after", 0) if stall else None
    slow = faults.get("slow")
    slow_chunk = max(1, slow.options.get("chunk", 1024)) if slow else None
    drop = faults.get("drop")
    drop_at = None
    if drop:
        drop_at = drop.value if drop.value is not None else length // 2
    piece_end = 0  # where the current slow piece ends
    sent = 0
    pending = b""
    source = iter(chunks)
    while True:
        if stall and sent >= stall_after:
            yield WAIT, stall.value
            stall = None
        if drop_at is not None and sent >= drop_at:
            yield (CLOSE,)
            return
        limit = STREAM_CHUNK
        new_piece = slow is not None and sent >= piece_end
        if new_piece:
            piece_end = sent + slow_chunk
        for boundary in (stall_after if stall else None, drop_at, piece_end if slow else None):
            if boundary is not None:
                limit = min(limit, boundary - sent)
        if not pending:
            pending = next(source, b"")
            if not pending:
                break
        out, pending = pending[:limit], pending[limit:]
        if new_piece:
            yield WAIT, slow.value
        yield SEND, out
        sent += len(out)
    if stall:  # asked to stall after more bytes than the body has
        yield WAIT, stall.value
    if "wrong-length" in faults:
        yield (CLOSE,)
