#!/usr/bin/python3
"""Checks the built Vandrix.exe as a Windows loader and Explorer see it.

Reads the executable with pefile (Debian's python3-pefile) and checks its
headers, its imports, and its resources: exactly one icon, its icon group,
the version record, field by field, and the application manifest. The
expected version and maker's credit come from the build, as arguments.
Given the release zip too, checks that it holds this program and what a
Windows user needs beside it, with hashes that match. --x64 checks the
program built for 64-bit Windows (x86-64 headers) instead of the i386 one.

Usage: pe_check.py [--x64] EXE VERSION MAKER_NAME MAKER_NOTICE MAKER_WEBSITE [ZIP]
"""
import hashlib
import io
import struct
import sys
import xml.etree.ElementTree as ElementTree
import zipfile

import pefile

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
US_ENGLISH = 1033

# DLLs that come with every Windows; the runtime is linked in statically.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "shell32.dll", "ole32.dll",
               "msvcrt.dll", "advapi32.dll", "gdi32.dll"}
# The functions the program calls, by DLL: the ANSI ones, never their W
# twins. GetCommandLineW and MultiByteToWideChar only check that the ANSI
# command line holds what the program was started with.
CALLED = {
    "kernel32.dll": ["GetCommandLineA", "GetCommandLineW", "MultiByteToWideChar",
                     "GetFileAttributesA", "ExitProcess"],
    "ole32.dll": ["CoInitialize", "CoUninitialize"],
    "user32.dll": ["CharUpperBuffA", "MessageBoxA"],
    "shell32.dll": ["SHFileOperationA"],
}
WIDE = ["CharUpperBuffW", "MessageBoxW", "SHFileOperationW", "GetFileAttributesW"]

# The application manifest's namespaces and what it must say.
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"
SETTINGS_2019 = "{http://schemas.microsoft.com/SMI/2019/WindowsSettings}"
SUPPORTED_OS = [  # Vista, 7, 8, 8.1, 10 and 11
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"]

# The standard 16-colour palette (RGB); the icon draws with these only.
STANDARD_COLOURS = {
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128),
    (128, 0, 128), (0, 128, 128), (192, 192, 192), (128, 128, 128),
    (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255),
    (0, 255, 255), (255, 255, 255)}


class Checker:
    """Compares values, prints one line per check (or per group of fields)."""

    def __init__(self):
        self.failures = 0

    def check(self, what, got, want, show=None):
        self.fields(what, [None], [got], [want], show)

    def fields(self, prefix, names, got, want, show=None):
        show = show or _show
        bad = [(n, g, w) for n, g, w in zip(names, got, want) if g != w]
        self.failures += len(bad)
        for name, g, w in bad:
            print("  FAIL  %s%s: got %s, want %s" % (
                prefix, " " + name if name else "", show(g), show(w)))
        if not bad:
            print("  ok    %s: %s" % (prefix, ", ".join(
                (n + " " if n else "") + show(g) for n, g in zip(names, got))))


def _show(value):
    if isinstance(value, bytes):
        return '"%s"' % value.decode("utf-8", "replace")
    return str(value)


def resources(pe):
    """{(type, name or id, language): data bytes} for every resource."""
    found = {}
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        return found
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for name in kind.directory.entries:
            for lang in name.directory.entries:
                key = (kind.id, str(name.name) if name.name else name.id, lang.id)
                found[key] = pe.get_data(lang.data.struct.OffsetToData,
                                         lang.data.struct.Size)
    return found


def check_headers(c, pe, x64):
    print("headers:")
    if x64:
        c.check("optional header magic (PE32+)", pe.OPTIONAL_HEADER.Magic, 0x20B, hex)
        c.check("machine (x86-64)", pe.FILE_HEADER.Machine, 0x8664, hex)
    else:
        c.check("optional header magic (PE32)", pe.OPTIONAL_HEADER.Magic, 0x10B, hex)
        c.check("machine (i386)", pe.FILE_HEADER.Machine, 0x14C, hex)
    c.check("subsystem (Windows GUI)", pe.OPTIONAL_HEADER.Subsystem, 2)


def check_imports(c, pe):
    print("imports:")
    imported = {}
    for dll in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
        names = {i.name.decode() for i in dll.imports if i.name}
        imported.setdefault(dll.dll.decode().lower(), set()).update(names)
    c.check("DLLs outside Windows", sorted(set(imported) - SYSTEM_DLLS), [])
    for dll, functions in CALLED.items():
        c.check("from " + dll, [f for f in functions if f in imported.get(dll, ())],
                functions)
    every = set().union(*imported.values()) if imported else set()
    c.check("wide variants imported", sorted(every & set(WIDE)), [])


def check_icon(c, found):
    print("icon:")
    group = found.get((RT_GROUP_ICON, "APPICON", US_ENGLISH), b"")
    c.check("group size (header + one entry)", len(group), 6 + 14)
    if len(group) >= 20:
        c.fields("group", ["reserved", "type", "count"],
                 struct.unpack_from("<HHH", group), (0, 1, 1))
        c.fields("group entry", ["width", "height", "colour count", "reserved",
                                 "planes", "bit count", "size", "id"],
                 struct.unpack_from("<BBBBHHIH", group, 6),
                 (32, 32, 4, 0, 1, 4, 744, 1))
    image = found.get((RT_ICON, 1, US_ENGLISH), b"")
    c.check("image size (40 + 64 + 512 + 128)", len(image), 744)
    if len(image) != 744:
        return
    c.fields("image header", ["size", "width", "height (XOR + AND)", "planes",
                              "bit count", "compression"],
             struct.unpack_from("<IiiHHI", image), (40, 32, 64, 1, 4, 0))
    palette = [struct.unpack_from("<BBBB", image, 40 + 4 * i) for i in range(16)]
    c.check("palette outside standard 16 colours",
            [p for p in palette if (p[2], p[1], p[0]) not in STANDARD_COLOURS or p[3]], [])
    xor, mask = image[104:616], image[616:744]
    c.check("picture drawn (some opaque pixels)", mask != b"\xff" * 128, True)
    c.check("transparent pixels black in XOR", all(
        not (mask[y * 4 + x // 8] >> (7 - x % 8) & 1) or
        not (xor[y * 16 + x // 2] >> (0 if x % 2 else 4) & 0xF)
        for y in range(32) for x in range(32)), True)


def utf16_offsets(data, keys):
    """Where each key (NUL-terminated UTF-16) first appears in data."""
    return [data.find((k + "\0").encode("utf-16-le")) for k in keys]


def check_version(c, pe, found, expected, version):
    print("version record:")
    raw = found.get((RT_VERSION, 1, US_ENGLISH), b"")
    c.check("version record present", bool(raw), True)
    if not raw:
        return
    parts = [int(p) for p in version.split(".")]
    ms, ls = parts[0] << 16 | parts[1], parts[2] << 16 | parts[3]
    fixed = pe.VS_FIXEDFILEINFO[0]
    names = ["Signature", "StrucVersion", "FileVersionMS", "FileVersionLS",
             "ProductVersionMS", "ProductVersionLS", "FileFlagsMask",
             "FileFlags", "FileOS", "FileType", "FileSubtype"]
    c.fields("fixed", names, [getattr(fixed, n) for n in names],
             [0xFEEF04BD, 0x10000, ms, ls, ms, ls, 0, 0, 4, 1, 0], hex)
    tables = [t for info in pe.FileInfo for entry in info
              for t in getattr(entry, "StringTable", [])]
    c.check("string tables", [t.LangID for t in tables], [b"040904E4"])
    strings = tables[0].entries if tables else {}
    for key, value in expected:
        c.check("string " + key, strings.get(key.encode()), value.encode())
    c.check("string keys, in order", [k.decode() for k in strings],
            [k for k, _ in expected])
    offsets = utf16_offsets(raw, [k for k, _ in expected])
    c.check("string keys, in order in the raw record", offsets == sorted(offsets) and -1 not in offsets,
            True)
    translations = [v.entry for info in pe.FileInfo for entry in info
                    for v in getattr(entry, "Var", [])]
    c.check("translation", translations, [{b"Translation": "0x0409 0x04e4"}])


def check_manifest(c, found, version):
    """The application manifest: well-formed XML that asks for no elevation
    (and so no file virtualization), UTF-8 as the ANSI code page, names the
    Windows versions up to 10/11 and Common Controls 6."""
    print("application manifest:")
    raw = found.get((RT_MANIFEST, 1, US_ENGLISH), b"")
    c.check("manifest present", bool(raw), True)
    try:
        root = ElementTree.fromstring(raw)
    except ElementTree.ParseError as error:
        c.check("manifest parses as XML", str(error), "no error")
        return
    c.check("root element", root.tag, ASM_V1 + "assembly")
    identity = root.find(ASM_V1 + "assemblyIdentity")
    c.check("identity", None if identity is None else (
        identity.get("name"), identity.get("version")), ("Vandrix", version))
    level = root.find(".//%srequestedExecutionLevel" % ASM_V3)
    c.check("requestedExecutionLevel", None if level is None else (
        level.get("level"), level.get("uiAccess")), ("asInvoker", "false"))
    page = root.find("./%sapplication/%swindowsSettings/%sactiveCodePage" % (
        ASM_V3, ASM_V3, SETTINGS_2019))
    c.check("activeCodePage", None if page is None else page.text, "UTF-8")
    c.check("supportedOS (Vista to 10/11)", [e.get("Id") for e in root.findall(
        "./%scompatibility/%sapplication/%ssupportedOS" % ((COMPATIBILITY,) * 3))],
        SUPPORTED_OS)
    controls = [(e.get("name"), e.get("version")) for e in root.findall(
        "./%sdependency/%sdependentAssembly/%sassemblyIdentity" % ((ASM_V1,) * 3))]
    c.check("dependencies", controls, [("Microsoft.Windows.Common-Controls", "6.0.0.0")])


def bare_line_feeds(text):
    return text.count(b"\n") - text.count(b"\r\n")


def check_release(c, zip_path, exe_data, version):
    """The zip: the program, its text for Windows users, the license and
    SHA256SUMS, whose every line is the hash of a file in the zip."""
    print("release %s:" % zip_path)
    with zipfile.ZipFile(zip_path) as z:
        files = {n: z.read(n) for n in z.namelist()}
    c.check("files", sorted(files),
            ["LICENSE.txt", "README.txt", "SHA256SUMS", "Vandrix.exe"])
    c.check("Vandrix.exe is the program checked", files.get("Vandrix.exe") == exe_data, True)
    sums = files.get("SHA256SUMS", b"").decode().splitlines()
    want = ["%s  %s" % (hashlib.sha256(files[n]).hexdigest(), n)
            for n in sorted(files) if n != "SHA256SUMS"]
    c.check("SHA256SUMS", sums, want)
    for text in ("README.txt", "LICENSE.txt"):
        c.check(text + " lines end in CR LF", bare_line_feeds(files.get(text, b"")), 0)
    readme = files.get("README.txt", b"").decode("ascii", "replace")
    for needed in ("Vandrix " + version, "certutil -hashfile Vandrix.exe SHA256",
                   "start /wait", "if %errorlevel% neq 0", "PATH"):
        c.check("README.txt tells '%s'" % needed, needed in readme, True)
    for builder in ("cmake", "ctest", "scripts/"):
        c.check("README.txt has no '%s'" % builder, builder in readme, False)


def main(argv):
    x64 = argv[1:2] == ["--x64"]
    if x64:
        argv = argv[:1] + argv[2:]
    if len(argv) not in (6, 7):
        sys.exit(__doc__.strip().splitlines()[-1])
    exe, version, name, notice, website = argv[1:6]
    with open(exe, "rb") as f:
        data = f.read()
    pe = pefile.PE(data=data)
    c = Checker()
    print("%s:" % exe)
    check_headers(c, pe, x64)
    check_imports(c, pe)
    found = resources(pe)
    print("resources:")
    c.check("resources (type, name, language)", sorted(found, key=str), sorted(
        [(RT_ICON, 1, US_ENGLISH), (RT_GROUP_ICON, "APPICON", US_ENGLISH),
         (RT_VERSION, 1, US_ENGLISH), (RT_MANIFEST, 1, US_ENGLISH)], key=str))
    check_icon(c, found)
    check_manifest(c, found, version)
    expected = [
        ("CompanyName", name),
        ("FileDescription",
         "Vandrix performs shell operations like COPY, MOVE, REN and DEL"),
        ("FileVersion", version),
        ("InternalName", "VANDRIX"),
        ("OriginalFilename", "VANDRIX.exe"),
        ("LegalCopyright", notice),
        ("ProductName", "VANDRIX base"),
        ("ProductVersion", version),
        ("Comments", "Other utilities: " + website),
    ]
    check_version(c, pe, found, expected, version)
    print("usage text:")
    usage = ("Vandrix version " + version).encode()
    # The text is shown as stored: the line must be one string in the program.
    c.check("'%s' stored in the program" % usage.decode(), usage in data, True)
    if len(argv) == 7:
        check_release(c, argv[6], data, version)
    if c.failures:
        print("%s: %d check(s) failed" % (exe, c.failures))
        return 1
    print("%s: all checks passed" % exe)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
