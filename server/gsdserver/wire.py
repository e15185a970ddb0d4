"""What travels between the client and /autodownload.asp: form bodies, field
lists, the challenge scrambler and the error codes the client understands."""

import re

# The client scrambles its challenge with these four bytes, repeated.
SCRAMBLER_KEY = bytes((0x13, 0x07, 0x1C, 0x0A))

# Fields 0-3 of every action message; field 4 is the account.
BASE_FIELDS = [b"1", b"0", b"0000", b"2"]

# Error codes: a reply of at most three bytes is read by the client as one of
# these. Only the numbers the client has texts for are used.
GENERAL_ERROR = b"1"
INVALID_PROTOCOL = b"4"
NEWEST_PROGRAM_FAILED = b"8"
NEWEST_LANGUAGE_FAILED = b"9"
NEWEST_PACKS_FAILED = b"10"
DECRYPT_FAILED = b"11"
FILE_TO_RETURN_FAILED = b"12"
ENCRYPTED_MESSAGE_FAILED = b"13"
DATABASE_FAILED = b"14"
USER_DENIED = b"15"
FILE_NAME_FAILED = b"16"
DOWNLOAD_ID_FAILED = b"17"

AUTHENTICATE = "auth"
DOWNLOAD_LIST = "list"
FILE = "file"
CHECK = "check"

_REQUEST_KINDS = {
    b"AUTHENTICATE HOST": AUTHENTICATE,
    b"RETURN DOWNLOAD LIST": DOWNLOAD_LIST,
    b"RETURN FILE": FILE,
}

CHALLENGE_LENGTH = 100


class RequestError(Exception):
    """A request the server cannot serve; `code` is the error-code reply."""

    def __init__(self, code, reason):
        super().__init__(reason)
        self.code = code
        self.reason = reason


def scramble(data):
    """XORs byte i with key byte i mod 4; applying it twice restores the input."""
    return bytes(b ^ SCRAMBLER_KEY[i % 4] for i, b in enumerate(data))


_ESCAPE = re.compile(rb"%([0-9A-Fa-f]{2})")


def form_decode(data):
    """Undoes the form encoding: "+" is a blank, "%hh" a byte. A "%" that is
    not followed by two hexadecimal digits is a protocol error."""
    data = data.replace(b"+", b" ")
    if data.count(b"%") != len(_ESCAPE.findall(data)):
        raise RequestError(INVALID_PROTOCOL, "broken %-escape in the form body")
    return _ESCAPE.sub(lambda m: bytes((int(m.group(1), 16),)), data)


def leading_number(text):
    """Reads a decimal number the way the client does: leading white space,
    an optional sign, the digits that follow; 0 when there are none."""
    m = re.match(rb"[ \t\n\v\f\r]*([+-]?)([0-9]*)", text)
    if not m.group(2):
        return 0
    value = int(m.group(2))
    return -value if m.group(1) == b"-" else value


def is_decimal(text):
    return re.fullmatch(rb"-?[0-9]+", text) is not None


def split_body(body):
    """Splits "ACTION_REQUEST=<kind>&ACTION_MESSAGE=<message>" into the
    request kind (AUTHENTICATE, DOWNLOAD_LIST or FILE) and the message as it
    was sent, still encoded. The message is everything after the first
    "&ACTION_MESSAGE=": the authentication message travels unencoded."""
    prefix = b"ACTION_REQUEST="
    separator = b"&ACTION_MESSAGE="
    if not body.startswith(prefix):
        raise RequestError(INVALID_PROTOCOL, "body does not start with ACTION_REQUEST=")
    end = body.find(separator)
    if end < 0:
        raise RequestError(INVALID_PROTOCOL, "no ACTION_MESSAGE in the body")
    name = form_decode(body[len(prefix):end])
    kind = _REQUEST_KINDS.get(name)
    if kind is None:
        raise RequestError(INVALID_PROTOCOL, "unknown request %r" % name)
    return kind, body[end + len(separator):]


def message_fields(message, account=None):
    """Splits an action message on "|" and checks its base fields. With
    `account` set, field 4 must equal it."""
    fields = message.split(b"|")
    if len(fields) < 5 or fields[:4] != BASE_FIELDS:
        raise RequestError(INVALID_PROTOCOL, "base fields are not 1|0|0000|2|<account>")
    if account is not None and fields[4] != account:
        raise RequestError(USER_DENIED, "unknown account %r" % fields[4])
    return fields


def answer_challenge(message, account=None):
    """The plain challenge for an authentication message (unencoded bytes)."""
    fields = message_fields(message, account)
    scrambled = b"|".join(fields[5:])
    if len(fields) < 6 or len(scrambled) != CHALLENGE_LENGTH:
        raise RequestError(ENCRYPTED_MESSAGE_FAILED,
                           "field 5 is %d bytes, not %d" % (len(scrambled), CHALLENGE_LENGTH))
    plain = scramble(scrambled)
    if any(b < ord("A") or b > ord("Y") for b in plain):
        raise RequestError(DECRYPT_FAILED, "the unscrambled challenge is not letters A to Y")
    return plain


def wrong_challenge(plain):
    """A challenge answer that differs from `plain` in its first letter."""
    first = b"B" if plain[:1] == b"A" else b"A"
    return first + plain[1:]
