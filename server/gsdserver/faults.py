"""Misbehaviour on demand: the faults a test can switch on, per request kind.

A fault is written as  [SCOPE:]NAME[=VALUE][,OPTION=VALUE]...
  SCOPE   any (default), check, auth, list or file. "check" is every request
          without a body: the connection check, and also the bodiless first
          request that opening the URL sends before each exchange.
  VALUE   is %-decoded (reply=%2C is a comma, reply=%2017 a blank and 17).
Names:
  refuse               stop listening, so connections are refused (no scope)
  reply=TEXT           answer TEXT (may be empty) instead of the real reply
  status=CODE          answer HTTP status CODE (default 500) with an HTML page
  redirect=URL         answer 302 with Location URL (a test's downgrade to
                       plain HTTP, say)
  wrong-challenge      answer authentication with a challenge one letter off
  hangup               close the connection without answering
  delay=SECONDS        wait before answering
  stall=SECONDS        send the headers and the first `after` body bytes
                       (option after=N, default 0), then wait, then the rest
  slow=SECONDS         pause this long before each `chunk` bytes of the body
                       (option chunk=N, default 1024)
  drop[=N]             send the headers and N body bytes (default half the
                       body), then close the connection
  wrong-length[=N]     claim N more body bytes in Content-Length than are
                       sent (default a quarter more, at least 1), and close
                       the connection after the real body
  chunked[=N]          send the body with Transfer-Encoding: chunked, and
                       with N also a Content-Length of N: a length given two
                       ways
Every fault takes the option times=N: it applies to the next N matching
requests and then ends.
"""

import threading
import urllib.parse

SCOPES = ("any", "check", "auth", "list", "file")

# Per name: the kind of value it takes and the options it allows.
_NAMES = {
    "refuse": (None, ()),
    "reply": ("bytes", ()),
    "status": ("int?", ()),
    "redirect": ("bytes", ()),
    "wrong-challenge": (None, ()),
    "hangup": (None, ()),
    "delay": ("float", ()),
    "stall": ("float", ("after",)),
    "slow": ("float", ("chunk",)),
    "drop": ("int?", ()),
    "wrong-length": ("int?", ()),
    "chunked": ("int?", ()),
}


class FaultError(ValueError):
    pass


class Fault:
    def __init__(self, text, scope, name, value, options, times):
        self.text = text
        self.scope = scope
        self.name = name
        self.value = value
        self.options = options
        self.times = times  # None: for ever

    def applies_to(self, kind):
        return self.scope in ("any", kind)

    def __repr__(self):
        return "Fault(%r)" % self.text


def _number(text, kind, what):
    try:
        value = float(text) if kind == "float" else int(text)
    except ValueError:
        raise FaultError("%s needs a number, not %r" % (what, text))
    if value < 0:
        raise FaultError("%s must not be negative" % what)
    return value


def parse_fault(text):
    """Parses one fault; raises FaultError with the reason."""
    rest = text.rstrip("\r\n")
    scope = "any"
    head = rest.split("=", 1)[0]
    if ":" in head:
        scope, rest = rest.split(":", 1)
        if scope not in SCOPES:
            raise FaultError("unknown scope %r in %r (use %s)" % (scope, text, ", ".join(SCOPES)))
    parts = rest.split(",")
    name, has_value, raw_value = parts[0].partition("=")
    if name not in _NAMES:
        raise FaultError("unknown fault %r in %r" % (name, text))
    value_kind, allowed = _NAMES[name]
    value = None
    if value_kind is None:
        if has_value:
            raise FaultError("%s takes no value" % name)
    elif value_kind == "bytes":
        if not has_value:
            raise FaultError("%s needs =TEXT" % name)
        # Back to the bytes given (argv and the control file decode with
        # surrogateescape), then %-escapes.
        value = urllib.parse.unquote_to_bytes(raw_value.encode("utf-8", "surrogateescape"))
    elif has_value or not value_kind.endswith("?"):
        value = _number(urllib.parse.unquote(raw_value), value_kind.rstrip("?"), name)
    options = {}
    times = None
    for option in parts[1:]:
        key, _, option_value = option.partition("=")
        if key == "times":
            times = _number(option_value, "int", "times")
        elif key in allowed:
            options[key] = _number(option_value, "int", key)
        else:
            raise FaultError("%s takes no option %r" % (name, key))
    if name == "wrong-challenge" and scope == "any":
        scope = "auth"
    if name == "refuse" and scope != "any":
        raise FaultError("refuse applies to every request; give it no scope")
    if name == "status" and value is None:
        value = 500
    return Fault(text.rstrip("\r\n"), scope, name, value, options, times)


def parse_fault_lines(text):
    """Faults of a control file: one per line; blank lines and "#" lines are
    skipped."""
    return [parse_fault(line) for line in text.splitlines() if line.strip() and not line.startswith("#")]


class FaultSet:
    """The active faults, shared by the request threads."""

    def __init__(self, faults=()):
        self._lock = threading.Lock()
        self._faults = list(faults)

    def replace(self, faults):
        with self._lock:
            self._faults = list(faults)

    @property
    def refusing(self):
        with self._lock:
            return any(f.name == "refuse" for f in self._faults)

    def take(self, kind):
        """The faults for one request of `kind`, at most one per name (the
        first listed wins), each counted against its times=N."""
        chosen = {}
        with self._lock:
            for fault in self._faults:
                if fault.name == "refuse" or fault.name in chosen or not fault.applies_to(kind):
                    continue
                chosen[fault.name] = fault
                if fault.times is not None:
                    fault.times -= 1
            self._faults = [f for f in self._faults if f.times is None or f.times > 0]
        return chosen
