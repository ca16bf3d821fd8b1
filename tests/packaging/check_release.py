#!/usr/bin/env python3
"""Checks the release archives that scripts/release.sh writes into dist/.

For both archives: exactly the expected files under one top folder, entries
sorted, every time the commit's, SHA256SUMS right, the stand-in SDK only in
loopback/, shipped libraries stripped with a debug link and their .debug file
holding the debug information, and no byte of a forbidden path (the source and
build folders) in any binary. For the Windows DLLs also: under 5 MB, and the
version resource read back from the file; for VelmoKivWrapper.lib: an import
archive naming each of the eleven exports the way MSVC's linker expects.

  check_release.py --dist dist --version 2.2.6.2 --epoch <commit time>
                   --unpack-to <folder> [--forbid <path>]...
"""
import argparse
import calendar
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tarfile
import zipfile

EXPORTS = [
    "CallQuonKivApi", "CreateQuonKivEngine", "CreateQuonKivEngineWithProcTable",
    "CreateQuonKivEventHandler", "DestroyQuonKivEngine", "DestroyQuonKivEventHandler",
    "GetQuonKivErrorReason", "GetQuonKivVersion", "createQuonKivClient",
    "destroyQuonKivClient", "getQuonKivErrorReason",
]
HEADERS = ["include/velmo_kiv_wrapper.h", "include/quon_event_handler.h"] + [
    "include/velmo_kiv_sdk/" + h for h in
    ("kiv_event_handler.h", "kiv_interfaces.h", "kiv_records.h", "velmo_kiv_sdk.h")]
COMMON = ["README.md", "CHANGELOG.md", "loopback/README.md", "licenses/nlohmann-json.txt",
          "licenses/spdlog.txt", "licenses/fmt.txt"] + HEADERS
MAX_DLL_BYTES = 5 * 1024 * 1024


def expected_files(platform, v):
    """Every file and link of the archive, relative to its top folder."""
    if platform == "win32":
        return set(COMMON + [
            "bin/VelmoKivWrapper.dll", "bin/VelmoKivWrapper.dll.debug",
            "lib/VelmoKivWrapper.lib", "lib/libVelmoKivWrapper.dll.a", "lib/VelmoKivWrapper.def",
            "loopback/velmo_kiv_sdk.dll", "loopback/velmo_kiv_sdk.dll.debug",
            "loopback/libvelmo_kiv_sdk.dll.a", "loopback/velmo_kiv_sdk.def",
            "licenses/gcc-runtime.txt", "licenses/mingw-w64-runtime.txt"])
    major = v.split(".")[0]
    libs = []
    for folder, name in (("lib", "libVelmoKivWrapper"), ("loopback", "libvelmo_kiv_sdk")):
        libs += [f"{folder}/{name}.so", f"{folder}/{name}.so.{major}",
                 f"{folder}/{name}.so.{v}", f"{folder}/{name}.so.{v}.debug"]
    package = "lib/cmake/VelmoKivWrapper/VelmoKivWrapper"
    return set(COMMON + libs + [
        package + "Config.cmake", package + "ConfigVersion.cmake",
        package + "Targets.cmake", package + "Targets-relwithdebinfo.cmake",
        "lib/pkgconfig/velmo-kiv-wrapper.pc"])


# (file in the archive, OriginalFilename, words the description must hold)
VERSION_RESOURCES = [
    ("bin/VelmoKivWrapper.dll", "VelmoKivWrapper.dll", "velmo_kiv_sdk"),
    ("loopback/velmo_kiv_sdk.dll", "velmo_kiv_sdk.dll", "stand-in"),
]

failures = []


def check(ok, what):
    print(("ok    " if ok else "FAIL  ") + what)
    if not ok:
        failures.append(what)


def tool(*names):
    for name in names:
        if shutil.which(name):
            return name
    sys.exit(f"none of {names} found")


def run(*cmd):
    return subprocess.run(cmd, check=True, capture_output=True, text=True).stdout


def entries(archive):
    """(name, mtime, is_file) of each entry, in archive order."""
    if archive.endswith(".zip"):
        with zipfile.ZipFile(archive) as z:
            return [(i.filename, calendar.timegm(i.date_time + (0, 0, -1)), True)
                    for i in z.infolist()]
    with tarfile.open(archive) as t:
        return [(m.name, int(m.mtime), not m.isdir()) for m in t.getmembers()]


def check_archive(path, platform, args):
    name = os.path.basename(path)
    listed = entries(path)
    names = [n for n, _, _ in listed]
    check(names == sorted(names), f"{name}: entries sorted")
    # zip keeps times in steps of two seconds.
    slack = 1 if path.endswith(".zip") else 0
    check(all(abs(t - args.epoch) <= slack for _, t, _ in listed),
          f"{name}: every entry dated at the commit ({args.epoch})")
    top = f"VelmoKivWrapper-{args.version}-{platform}/"
    files = {n[len(top):] for n, _, is_file in listed if is_file and n.startswith(top)}
    check(len(files) == sum(1 for _, _, f in listed if f), f"{name}: everything under {top}")
    want = expected_files(platform, args.version)
    check(files == want, f"{name}: the expected files"
          + "".join(f"\n        missing {f}" for f in sorted(want - files))
          + "".join(f"\n        extra   {f}" for f in sorted(files - want)))
    stand_in = [f for f in files if re.match(r"(lib)?velmo_kiv_sdk\.", os.path.basename(f))]
    check(stand_in and all(f.startswith("loopback/") for f in stand_in),
          f"{name}: the stand-in SDK only in loopback/")
    root = os.path.join(args.unpack_to, top)
    shutil.rmtree(root, ignore_errors=True)
    if path.endswith(".zip"):
        with zipfile.ZipFile(path) as z:
            z.extractall(args.unpack_to)
    else:
        with tarfile.open(path) as t:
            t.extractall(args.unpack_to)
    return root, files


def section_names(objdump, path):
    return set(re.findall(r"^\s*\d+\s+(\S+)", run(objdump, "-h", path), re.M))


def check_binaries(root, files, objdump, args):
    binaries = [f for f in files if re.search(r"\.(dll|so|lib|a|debug)$|\.so\.", f)
                and not os.path.islink(os.path.join(root, f))]
    for f in sorted(binaries):
        data = open(os.path.join(root, f), "rb").read()
        leaks = [p for p in args.forbid if p.encode() in data or p.encode("utf-16-le") in data]
        check(not leaks, f"{f}: names no build path {leaks or ''}")
    for f in sorted(b for b in binaries if b.endswith(".debug")):
        shipped = os.path.join(root, f[:-len(".debug")])
        shipped_sections = section_names(objdump, shipped)
        check(".gnu_debuglink" in shipped_sections and ".debug_info" not in shipped_sections,
              f"{f[:-len('.debug')]}: stripped, with a debug link")
        check(".debug_info" in section_names(objdump, os.path.join(root, f)),
              f"{f}: holds the debug information")


def version_resource(windres, dll):
    """FILEVERSION and the StringFileInfo values, as windres reads them back."""
    text = run(windres, "-O", "rc", "-i", dll)
    fixed = re.search(r"FILEVERSION\s+([\d, ]+)", text)
    values = dict(re.findall(r'VALUE\s+"(\w+)",\s+"((?:[^"\\]|\\.)*)"', text))
    return (fixed.group(1).replace(" ", "") if fixed else None), values


def check_windows(root, args):
    windres = tool("i686-w64-mingw32-windres")
    for f, original, words in VERSION_RESOURCES:
        dll = os.path.join(root, f)
        size = os.path.getsize(dll)
        check(size < MAX_DLL_BYTES, f"{f}: {size} bytes, under {MAX_DLL_BYTES}")
        fixed, values = version_resource(windres, dll)
        check(fixed == ",".join((args.version.split(".") + ["0"] * 4)[:4]),
              f"{f}: FILEVERSION {fixed}")
        check(values.get("FileVersion") == args.version
              and values.get("ProductVersion", "").startswith(args.version),
              f"{f}: file and product version {args.version}")
        check(values.get("OriginalFilename") == original, f"{f}: original file name {original}")
        check(words in values.get("FileDescription", "") and values.get("ProductName")
              and values.get("LegalCopyright", "").startswith("Copyright"),
              f"{f}: description, product name, copyright: {values}")

    lib = os.path.join(root, "lib/VelmoKivWrapper.lib")
    check(open(lib, "rb").read(8) == b"!<arch>\n", "VelmoKivWrapper.lib: an archive")
    dump = run(tool("llvm-readobj", "llvm-readobj-16", "llvm-readobj-15", "llvm-readobj-14"),
               "--coff-imports", lib)
    # One block per short import member: its DLL, kind, name type and symbols.
    imports = {}
    for block in dump.split("\nFile: ")[1:]:
        if "Format: COFF-import-file" not in block:
            continue
        symbols = re.findall(r"Symbol: (\S+)", block)
        code = re.search(r"Type: code\n", block) and re.search(r"Name type: noprefix\n", block)
        for s in symbols:
            if s.startswith("__imp__") and block.startswith("VelmoKivWrapper.dll") and code:
                imports[s[len("__imp__"):]] = "_" + s[len("__imp__"):] in symbols
    check(sorted(imports) == sorted(EXPORTS) and all(imports.values()),
          f"VelmoKivWrapper.lib: cdecl code imports of exactly the eleven exports {sorted(imports)}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dist", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--epoch", type=int, required=True)
    parser.add_argument("--unpack-to", required=True)
    parser.add_argument("--forbid", action="append", default=[])
    args = parser.parse_args()
    os.makedirs(args.unpack_to, exist_ok=True)

    archives = {"win32": f"VelmoKivWrapper-{args.version}-win32.zip",
                "linux-x86_64": f"VelmoKivWrapper-{args.version}-linux-x86_64.tar.gz"}
    sums = dict(reversed(line.split()) for line in
                open(os.path.join(args.dist, "SHA256SUMS")).read().splitlines())
    for platform, archive in archives.items():
        path = os.path.join(args.dist, archive)
        digest = hashlib.sha256(open(path, "rb").read()).hexdigest()
        check(sums.get(archive) == digest, f"SHA256SUMS: {archive}")
        root, files = check_archive(path, platform, args)
        objdump = tool("i686-w64-mingw32-objdump") if platform == "win32" else tool("objdump")
        check_binaries(root, files, objdump, args)
        if platform == "win32":
            check_windows(root, args)
    if failures:
        sys.exit(f"{len(failures)} release check(s) failed")
    print("release archives are complete")


if __name__ == "__main__":
    main()
