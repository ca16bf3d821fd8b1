#!/usr/bin/env python3
"""Checks what scripts/release.sh wrote: the archives' files, order and dates, the stand-in
only in loopback/, no build path in any binary, split debug information, the DLLs' size and
version resource, and VelmoKivWrapper.lib as an import archive of the eleven cdecl exports.
  check_release.py <dist> <version> <commit time> <unpack folder> <forbidden path>..."""
import calendar, hashlib, os, re, subprocess, sys, tarfile, zipfile

EXPORTS = """CallQuonKivApi CreateQuonKivEngine CreateQuonKivEngineWithProcTable
  CreateQuonKivEventHandler DestroyQuonKivEngine DestroyQuonKivEventHandler GetQuonKivErrorReason
  GetQuonKivVersion createQuonKivClient destroyQuonKivClient getQuonKivErrorReason""".split()
FILES = {  # relative to the archive's top folder; {v} the version, {m} its major part
    "common": """README.md CHANGELOG.md LICENSE loopback/README.md licenses/nlohmann-json.txt
      licenses/spdlog.txt licenses/fmt.txt include/velmo_kiv_wrapper.h
      include/quon_event_handler.h include/velmo_kiv_sdk/kiv_event_handler.h
      include/velmo_kiv_sdk/kiv_interfaces.h include/velmo_kiv_sdk/kiv_records.h
      include/velmo_kiv_sdk/velmo_kiv_sdk.h""",
    "win32": """bin/VelmoKivWrapper.dll bin/VelmoKivWrapper.dll.debug lib/VelmoKivWrapper.lib
      lib/libVelmoKivWrapper.dll.a lib/VelmoKivWrapper.def loopback/velmo_kiv_sdk.dll
      loopback/velmo_kiv_sdk.dll.debug loopback/libvelmo_kiv_sdk.dll.a loopback/velmo_kiv_sdk.def
      licenses/gcc-runtime.txt licenses/mingw-w64-runtime.txt""",
    "linux-x86_64": """lib/libVelmoKivWrapper.so lib/libVelmoKivWrapper.so.{m}
      lib/libVelmoKivWrapper.so.{v} lib/libVelmoKivWrapper.so.{v}.debug
      loopback/libvelmo_kiv_sdk.so loopback/libvelmo_kiv_sdk.so.{m}
      loopback/libvelmo_kiv_sdk.so.{v} loopback/libvelmo_kiv_sdk.so.{v}.debug
      lib/pkgconfig/velmo-kiv-wrapper.pc lib/cmake/VelmoKivWrapper/VelmoKivWrapperConfig.cmake
      lib/cmake/VelmoKivWrapper/VelmoKivWrapperConfigVersion.cmake
      lib/cmake/VelmoKivWrapper/VelmoKivWrapperTargets.cmake
      lib/cmake/VelmoKivWrapper/VelmoKivWrapperTargets-relwithdebinfo.cmake""",
}
# DLL, its OriginalFilename, a word its FileDescription holds
RESOURCES = [("bin/VelmoKivWrapper.dll", "VelmoKivWrapper.dll", "velmo_kiv_sdk"),
             ("loopback/velmo_kiv_sdk.dll", "velmo_kiv_sdk.dll", "stand-in")]
failures = []


def check(ok, what):
    print(("ok    " if ok else "FAIL  ") + what)
    failures.extend([] if ok else [what])


def run(*cmd):
    return subprocess.run(cmd, check=True, capture_output=True, text=True).stdout


def unpack(path, into):
    """(name, time, is_file) of each entry in archive order; extracts into `into`."""
    if path.endswith(".zip"):
        with zipfile.ZipFile(path) as z:
            z.extractall(into)
            return [(i.filename, calendar.timegm(i.date_time), True) for i in z.infolist()]
    with tarfile.open(path) as t:
        t.extractall(into)
        return [(m.name, m.mtime, not m.isdir()) for m in t.getmembers()]


def check_archive(dist, platform, version, epoch, into, forbidden):
    top = f"VelmoKivWrapper-{version}-{platform}"
    archive = f"{top}.zip" if platform == "win32" else f"{top}.tar.gz"
    data = open(os.path.join(dist, archive), "rb").read()
    check(f"{hashlib.sha256(data).hexdigest()}  {archive}\n" in
          open(os.path.join(dist, "SHA256SUMS")).read(), f"SHA256SUMS lists {archive}")
    entries = unpack(os.path.join(dist, archive), into)
    check([e[0] for e in entries] == sorted(e[0] for e in entries)  # zip times: 2 s steps
          and all(abs(t - epoch) <= 1 for _, t, _ in entries), f"{archive}: sorted, dated {epoch}")
    files = {n[len(top) + 1:] for n, _, is_file in entries if is_file}
    want = set((FILES["common"] + " " + FILES[platform]).format(v=version, m=version.split(".")[0]).split())
    check(files == want, f"{archive}: missing {sorted(want - files)}, extra {sorted(files - want)}")
    stand_in = [f for f in files if re.match(r"(lib)?velmo_kiv_sdk\.(dll|so|def)", f.split("/")[-1])]
    check(stand_in and all(f.startswith("loopback/") for f in stand_in), f"{archive}: stand-in in loopback/")
    root = os.path.join(into, top)
    objdump = "i686-w64-mingw32-objdump" if platform == "win32" else "objdump"
    for f in sorted(f for f in files if re.search(r"\.(dll|so|lib|a|debug)$|\.so\.", f)):
        path = os.path.join(root, f)
        content = open(path, "rb").read()
        check(not [p for p in forbidden if p.encode() in content], f"{f}: no build path")
        if f.endswith(".debug"):
            shipped = run(objdump, "-h", path[:-len(".debug")])
            check(".gnu_debuglink" in shipped and ".debug_info" not in shipped
                  and ".debug_info" in run(objdump, "-h", path), f"{f}: split from a stripped library")
    return root


def check_windows(root, version):
    for dll, original, word in RESOURCES:
        path = os.path.join(root, dll)
        check(os.path.getsize(path) < 5 << 20, f"{dll}: {os.path.getsize(path)} bytes, under 5 MB")
        rc = run("i686-w64-mingw32-windres", "-O", "rc", "-i", path)
        fixed = re.search(r"FILEVERSION ([\d, ]+)", rc).group(1).replace(" ", "")
        values = dict(re.findall(r'VALUE "(\w+)", "([^"]*)"', rc))
        check(fixed == ",".join((version.split(".") + ["0"] * 3)[:4])
              and values.get("FileVersion") == version and values.get("OriginalFilename") == original
              and word in values.get("FileDescription", "") and values.get("ProductName")
              and values.get("LegalCopyright", "").startswith("Copyright")
              and values.get("ProductVersion", "").startswith(version), f"{dll}: {fixed} {values}")
    lib = os.path.join(root, "lib/VelmoKivWrapper.lib")
    members = run("llvm-readobj", "--coff-imports", lib).split("\nFile: ")[1:]
    imported = sorted(re.search(r"Symbol: __imp__(\w+)\nSymbol: _(\w+)", m).group(1) for m in members
                      if re.match(r"VelmoKivWrapper\.dll\nFormat: COFF-import-file\nType: code\n"
                                  r"Name type: noprefix\n", m))
    check(open(lib, "rb").read(8) == b"!<arch>\n" and imported == sorted(EXPORTS),
          f"VelmoKivWrapper.lib: imports {imported}")


def main(dist, version, epoch, into, *forbidden):
    for platform in ("win32", "linux-x86_64"):
        root = check_archive(dist, platform, version, int(epoch), into, forbidden)
        if platform == "win32":
            check_windows(root, version)
    sys.exit(f"{len(failures)} release check(s) failed" if failures else None)


if __name__ == "__main__":
    main(*sys.argv[1:])
