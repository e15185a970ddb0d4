"""A throw-away certificate authority and a server certificate for
"localhost", made with the openssl command, for test runs and the demo."""

import fcntl
import os
import secrets
import subprocess
import tempfile

CA_CERT = "ca.pem"
SERVER_CERT = "server.pem"
SERVER_KEY = "server.key"

_SERVER_EXTENSIONS = """\
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = DNS:{host}
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid, issuer
"""


def _openssl(*args, cwd):
    result = subprocess.run(["openssl"] + list(args), cwd=cwd, capture_output=True, text=True)
    if result.returncode != 0:
        raise RuntimeError("openssl %s failed: %s" % (args[0], result.stderr.strip()))


def make_test_ca(directory, host="localhost", days=30):
    """Makes ca.pem, server.pem and server.key in `directory` unless they are
    there already, and returns their paths (CA certificate, server certificate,
    server key). Safe to call from several processes at once: the first makes
    them, the others wait and reuse them. Each CA has a name of its own, so
    two runs' CAs never stand for each other."""
    os.makedirs(directory, exist_ok=True)
    paths = tuple(os.path.join(directory, name) for name in (CA_CERT, SERVER_CERT, SERVER_KEY))
    with open(os.path.join(directory, ".lock"), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if all(os.path.isfile(p) for p in paths):
            return paths
        with tempfile.TemporaryDirectory(dir=directory) as work:
            name = "Gravelpit Test CA %s" % secrets.token_hex(4)
            _openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-sha256", "-days", str(days),
                     "-keyout", "ca.key", "-out", CA_CERT, "-subj", "/CN=%s" % name,
                     "-addext", "basicConstraints=critical,CA:TRUE",
                     "-addext", "keyUsage=critical,keyCertSign,cRLSign", cwd=work)
            _openssl("req", "-newkey", "rsa:2048", "-nodes", "-keyout", SERVER_KEY, "-out", "server.csr",
                     "-subj", "/CN=%s" % host, cwd=work)
            with open(os.path.join(work, "server.ext"), "w") as f:
                f.write(_SERVER_EXTENSIONS.format(host=host))
            _openssl("x509", "-req", "-in", "server.csr", "-CA", CA_CERT, "-CAkey", "ca.key",
                     "-CAcreateserial", "-sha256", "-days", str(days), "-extfile", "server.ext",
                     "-out", SERVER_CERT, cwd=work)
            # The server certificate goes last: its presence means "complete".
            for name in (CA_CERT, SERVER_KEY, SERVER_CERT):
                os.replace(os.path.join(work, name), os.path.join(directory, name))
    return paths
