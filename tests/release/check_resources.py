#!/usr/bin/env python3
"""Reads the manifest and the version resource back from built executables.

usage: check_resources.py WINDRES VERSION NAME=FILE...

NAME is the file name the executable ships under (huemix.exe, huemix.scr,
huemix-VERSION-setup.exe). The toolchain's windres decompiles each file's resources
into a script; this checks the manifest (id 1) and the VERSIONINFO (id 1) in it, and
that the PE header has no link time. The setup program's manifest asks for no
elevation and its header is the installer stub's. Prints one line per fault and exits
1 when there is any.
"""
import re
import struct
import subprocess
import sys
import xml.etree.ElementTree as ET

ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPAT = "{urn:schemas-microsoft-com:compatibility.v1}"
SETTINGS_2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
SETTINGS_2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"
SUPPORTED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # Windows 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # Windows 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # Windows 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # Windows 10 and 11
}

faults = []


def fault(name, message):
    faults.append(f"{name}: {message}")


def resource_blocks(script):
    """(name, type, body) of every resource in a decompiled script."""
    pattern = re.compile(r"^(\w+) (\w+)(?: /\*.*?\*/)?\s*\n(.*?)^END\s*$", re.M | re.S)
    return [(m.group(1), m.group(2), m.group(3)) for m in pattern.finditer(script)]


def rc_strings(body):
    """The bytes of a data block written as quoted strings with C escapes and as
    numbers (0x...L four bytes, 0x... two, little-endian), in their order."""
    out = bytearray()
    for literal, number, long in re.findall(r'"((?:[^"]|"")*)"|0x([0-9a-fA-F]+)(L?)', body):
        if number:
            out += int(number, 16).to_bytes(4 if long else 2, "little")
            continue
        text = literal.replace('""', '"')
        out += text.encode("latin-1").decode("unicode_escape").encode("latin-1")
    return bytes(out)


def check_setup_manifest(name, body):
    try:
        root = ET.fromstring(rc_strings(body))
    except ET.ParseError as error:
        fault(name, f"the manifest is not XML: {error}")
        return
    level = root.find(f".//{ASM_V3}requestedExecutionLevel")
    if level is None or level.get("level") != "asInvoker":
        fault(name, "the manifest does not ask to run as the invoker")
    systems = {e.get("Id") for e in root.iter(COMPAT + "supportedOS")}
    if not SUPPORTED_OS <= systems:
        fault(name, f"supportedOS lists {sorted(systems)}")


def check_manifest(name, version, body):
    try:
        root = ET.fromstring(rc_strings(body))
    except ET.ParseError as error:
        fault(name, f"the manifest is not XML: {error}")
        return
    identity = root.find(ASM_V1 + "assemblyIdentity")
    if identity is None or identity.get("version") != version + ".0":
        fault(name, f"the manifest's own version is not {version}.0")
    aware = root.findtext(f"{ASM_V3}application/{ASM_V3}windowsSettings/{SETTINGS_2005}dpiAware")
    awareness = root.findtext(f"{ASM_V3}application/{ASM_V3}windowsSettings/{SETTINGS_2016}dpiAwareness")
    if aware != "true/pm":
        fault(name, f"dpiAware is {aware!r}, not 'true/pm'")
    if awareness != "PerMonitorV2, PerMonitor":
        fault(name, f"dpiAwareness is {awareness!r}, not 'PerMonitorV2, PerMonitor'")
    systems = {e.get("Id") for e in root.iter(COMPAT + "supportedOS")}
    if systems != SUPPORTED_OS:
        fault(name, f"supportedOS lists {sorted(systems)}")
    controls = [
        e for e in root.iter(ASM_V1 + "assemblyIdentity")
        if e.get("name") == "Microsoft.Windows.Common-Controls" and e.get("version") == "6.0.0.0"
        and e.get("publicKeyToken") == "6595b64144ccf1df"
    ]
    if len(controls) != 1:
        fault(name, "no dependency on the Common Controls 6")


def check_version(name, version, body):
    numbers = ", ".join(version.split(".") + ["0"])
    for field in ("FILEVERSION", "PRODUCTVERSION"):
        if not re.search(rf"^\s*{field} {numbers}\s*$", body, re.M):
            fault(name, f"{field} is not {numbers}")
    values = dict(re.findall(r'VALUE "(\w+)", "((?:[^"]|"")*)"', body))
    wanted = {
        "CompanyName": "Korvane",
        "ProductName": "Huemix",
        "FileVersion": version,
        "ProductVersion": version,
        "OriginalFilename": name,
        "InternalName": name.rsplit(".", 1)[0],
    }
    for key, value in wanted.items():
        if values.get(key) != value:
            fault(name, f"{key} is {values.get(key)!r}, not {value!r}")
    if not values.get("FileDescription", "").startswith("Huemix "):
        fault(name, f"FileDescription is {values.get('FileDescription')!r}")
    if "Korvane" not in values.get("LegalCopyright", ""):
        fault(name, f"LegalCopyright is {values.get('LegalCopyright')!r}")
    if not re.search(r"BLOCK \"040904B0\"", body, re.I) or not re.search(r'VALUE "Translation", 0x409, 1200', body):
        fault(name, "the strings are not marked US English, Unicode")


def check_header(name, path):
    with open(path, "rb") as f:
        head = f.read(4096)
    pe = struct.unpack_from("<I", head, 0x3C)[0]
    if head[pe:pe + 4] != b"PE\0\0":
        fault(name, "not a PE file")
        return
    stamp = struct.unpack_from("<I", head, pe + 8)[0]
    if stamp != 0:
        fault(name, f"the PE header carries the link time {stamp}")


def main(argv):
    if len(argv) < 4:
        sys.stderr.write(__doc__)
        return 2
    windres, version = argv[1], argv[2]
    for item in argv[3:]:
        name, _, path = item.partition("=")
        setup = name.endswith("-setup.exe")
        if not setup:
            check_header(name, path)
        run = subprocess.run([windres, "-i", path, "-O", "rc"], capture_output=True, text=True,
                             encoding="latin-1")
        if run.returncode != 0:
            fault(name, f"windres cannot read it: {run.stderr.strip()}")
            continue
        blocks = resource_blocks(run.stdout)
        manifests = [b for b in blocks if b[1] == "24"]
        versions = [b for b in blocks if b[1] == "VERSIONINFO"]
        if [b[0] for b in manifests] != ["1"]:
            fault(name, f"manifest resources {[b[0] for b in manifests]}, not one of id 1")
        elif setup:
            check_setup_manifest(name, manifests[0][2])
        else:
            check_manifest(name, version, manifests[0][2])
        if [b[0] for b in versions] != ["1"]:
            fault(name, f"version resources {[b[0] for b in versions]}, not one of id 1")
        else:
            check_version(name, version, versions[0][2])
        if setup and " 14 /* RT_GROUP_ICON */" not in run.stdout:
            fault(name, "no icon")
    for line in faults:
        print("FAIL:", line)
    if not faults:
        print("PASS: manifest and version resource of", ", ".join(a.partition("=")[0] for a in argv[3:]))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
