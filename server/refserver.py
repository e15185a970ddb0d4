#!/usr/bin/env python3
"""The reference download server: /autodownload.asp over HTTPS on 127.0.0.1.

It serves a content folder's catalogue and files and misbehaves on demand;
see server/README.md."""

import argparse
import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from gsdserver import catalogue, control  # noqa: E402
from gsdserver.faults import FaultError, FaultSet, parse_fault  # noqa: E402
from gsdserver.httpd import ReferenceServer  # noqa: E402
from gsdserver.testca import make_test_ca  # noqa: E402


def parse_arguments(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0].rstrip("."))
    parser.add_argument("--port", type=int, default=47443, help="port on 127.0.0.1 (0: any free port)")
    parser.add_argument("--content", required=True, help="folder with catalogue.txt and files/")
    tls = parser.add_argument_group("TLS (either --cert and --key, or --tls-dir)")
    tls.add_argument("--cert", help="server certificate (PEM)")
    tls.add_argument("--key", help="server key (PEM)")
    tls.add_argument("--tls-dir", help="folder with a test CA and certificate, made there when missing")
    parser.add_argument("--fault", action="append", default=[], metavar="FAULT",
                        help="a fault active from the start (repeatable); see README")
    parser.add_argument("--control", metavar="FILE", help="faults file, re-read when it changes")
    parser.add_argument("--log-requests", metavar="FILE", help="append every request as a JSON line")
    parser.add_argument("--log-timings", metavar="FILE",
                        help="append every reply once sent, with its seconds from arrival, as a JSON line")
    parser.add_argument("--ready-file", metavar="FILE", help="written (JSON) once serving, removed at exit")
    parser.add_argument("--lease", metavar="FILE", help="stop as soon as this file no longer exists")
    parser.add_argument("--max-lifetime", type=float, metavar="SECONDS", help="stop after this long")
    parser.add_argument("--account", help="accept only requests with this account field")
    parser.add_argument("--mdctool", metavar="PATH", help="pack files/NAME.manifest payloads at start-up")
    parser.add_argument("--log", metavar="FILE", help="server messages to FILE instead of standard error")
    parser.add_argument("--quiet", action="store_true", help="no server messages at all")
    args = parser.parse_args(argv)
    if bool(args.cert) != bool(args.key) or bool(args.cert) == bool(args.tls_dir):
        parser.error("give either --cert and --key, or --tls-dir")
    return args


def main(argv=None):
    args = parse_arguments(argv)
    try:
        faults = FaultSet(parse_fault(text) for text in args.fault)
    except FaultError as e:
        sys.exit("refserver: %s" % e)
    log = None if args.quiet else sys.stderr
    if args.log:
        # Everything, tracebacks included, goes to the log; the server keeps
        # no hold on the output of whoever started it (a test runner waits
        # for those to close).
        with open(args.log, "a") as f:
            os.dup2(f.fileno(), 1)
            os.dup2(f.fileno(), 2)
        with open(os.devnull) as f:
            os.dup2(f.fileno(), 0)
    generated = None
    try:
        if args.tls_dir:
            _, args.cert, args.key = make_test_ca(args.tls_dir)
        if args.mdctool:
            generated = tempfile.mkdtemp(prefix="refserver-payloads-")
            catalogue.prepare_payloads(args.content, generated, args.mdctool)
        server = ReferenceServer(args.content, args.cert, args.key, port=args.port, faults=faults,
                                 request_log=args.log_requests,
                                 account=None if args.account is None else args.account.encode("utf-8", "surrogateescape"),
                                 generated_dir=generated, log=log, timings_log=args.log_timings)
        control.run(server, control.ControlFile(args.control) if args.control else None,
                    args.ready_file, args.lease, args.max_lifetime)
    except (OSError, RuntimeError) as e:
        sys.exit("refserver: %s" % e)
    finally:
        if generated:
            shutil.rmtree(generated, ignore_errors=True)


if __name__ == "__main__":
    main()
