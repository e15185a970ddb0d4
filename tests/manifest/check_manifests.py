#!/usr/bin/env python3
"""Checks the manifests embedded in the Windows programs of one build folder.

Windows refuses to start a program whose manifest gives its own identity
another processor architecture than the image's, so every program that
carries a manifest must name its own: amd64 for an x86-64 image, x86 for an
i386 one. The client's builds must also declare the Windows versions they
support and per-monitor DPI awareness (v2 first), with the older
declaration beside it for the systems that know only that one.

Usage: check_manifests.py BIN_FOLDER CLIENT_PROGRAM...
(the client programs relative to BIN_FOLDER). Exit status 0 when all is well.
"""

import pathlib
import struct
import sys
import xml.etree.ElementTree as ElementTree

RT_MANIFEST = 24
ARCHITECTURE_OF_MACHINE = {0x8664: "amd64", 0x014C: "x86"}
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"
SUPPORTED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "Windows 8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "Windows 8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "Windows 10 and 11",
}


class NotAProgram(Exception):
    pass


def read_pe(data):
    """The image's machine and its RT_MANIFEST resources' bytes."""
    if data[:2] != b"MZ":
        raise NotAProgram("no MZ header")
    pe_at = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe_at:pe_at + 4] != b"PE\0\0":
        raise NotAProgram("no PE header")
    machine, section_count = struct.unpack_from("<HH", data, pe_at + 4)
    optional_size = struct.unpack_from("<H", data, pe_at + 20)[0]
    optional_at = pe_at + 24
    magic = struct.unpack_from("<H", data, optional_at)[0]
    directories_at = optional_at + (112 if magic == 0x20B else 96)
    resource_rva, resource_size = struct.unpack_from("<II", data, directories_at + 2 * 8)
    sections = []
    section_at = optional_at + optional_size
    for index in range(section_count):
        _, virtual_size, virtual_address, raw_size, raw_at = struct.unpack_from(
            "<8sIIII", data, section_at + 40 * index)
        sections.append((virtual_address, max(virtual_size, raw_size), raw_at))

    def offset_of(rva):
        for virtual_address, size, raw_at in sections:
            if virtual_address <= rva < virtual_address + size:
                return raw_at + rva - virtual_address
        raise NotAProgram("address 0x%x outside every section" % rva)

    manifests = []
    if resource_rva == 0 or resource_size == 0:
        return machine, manifests
    root = offset_of(resource_rva)

    def entries(directory_at):
        named, numbered = struct.unpack_from("<HH", data, directory_at + 12)
        for index in range(named + numbered):
            name, target = struct.unpack_from("<II", data, directory_at + 16 + 8 * index)
            yield name, target

    for type_id, type_target in entries(root):
        if type_id != RT_MANIFEST or not type_target & 0x80000000:
            continue
        for _, name_target in entries(root + (type_target & 0x7FFFFFFF)):
            for _, language_target in entries(root + (name_target & 0x7FFFFFFF)):
                data_rva, data_size = struct.unpack_from("<II", data, root + language_target)
                at = offset_of(data_rva)
                manifests.append(data[at:at + data_size])
    return machine, manifests


def problems_of(path, is_client):
    try:
        machine, manifests = read_pe(path.read_bytes())
    except (NotAProgram, struct.error) as error:
        return ["not a readable program: %s" % error]
    expected = ARCHITECTURE_OF_MACHINE.get(machine)
    if expected is None:
        return ["unknown machine 0x%04x" % machine]
    if not manifests:
        return ["no manifest"] if is_client else []
    problems = []
    for manifest in manifests:
        try:
            assembly = ElementTree.fromstring(manifest)
        except ElementTree.ParseError as error:
            problems.append("manifest is not XML: %s" % error)
            continue
        identity = assembly.find(ASM_V1 + "assemblyIdentity")
        architecture = identity.get("processorArchitecture") if identity is not None else None
        if architecture != expected:
            problems.append("manifest names architecture %r, the image is %s" % (architecture, expected))
        if not is_client:
            continue
        declared = {os.get("Id").lower() for os in assembly.iter(COMPATIBILITY + "supportedOS")}
        for guid, name in SUPPORTED_OS.items():
            if guid not in declared:
                problems.append("%s is not declared as supported" % name)
        dpi_aware = [element.text.strip().lower() for element in assembly.iter()
                     if element.tag.endswith("}dpiAware") and element.text]
        if dpi_aware != ["true/pm"]:
            problems.append("no per-monitor DPI awareness for older systems (dpiAware %r)" % dpi_aware)
        awareness = [[value.strip().lower() for value in element.text.split(",")] for element in assembly.iter()
                     if element.tag.endswith("}dpiAwareness") and element.text]
        if awareness != [["permonitorv2", "permonitor"]]:
            problems.append("no per-monitor v2 DPI awareness with its fallback (dpiAwareness %r)" % awareness)
    return problems


def main(arguments):
    if len(arguments) < 2:
        print(__doc__)
        return 2
    folder = pathlib.Path(arguments[0])
    clients = {folder / name for name in arguments[1:]}
    programs = sorted(set(folder.rglob("*.exe")) | set(folder.rglob("*.dll")) | clients)
    failed = False
    for path in programs:
        if not path.exists():
            print("%s: missing" % path)
            failed = True
            continue
        problems = problems_of(path, path in clients)
        for problem in problems:
            print("%s: %s" % (path.relative_to(folder), problem))
        failed = failed or bool(problems)
    print("%d programs checked, %s" % (len(programs), "problems found" if failed else "all well"))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
