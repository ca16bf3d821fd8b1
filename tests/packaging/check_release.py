#!/usr/bin/env python3
"""Checks what scripts/release.sh wrote: the archives' files, order and dates, the stand-in
only in loopback/, no build path in any binary, split debug information (Linux), each DLL
with the .pdb that belongs to it (Windows), the DLLs' size and version resource, and
VelmoKivWrapper.lib as an import archive of the eleven cdecl exports.
  check_release.py <dist> <version> <commit time> <unpack folder> <forbidden path>..."""
import calendar, hashlib, os, re, struct, subprocess, sys, tarfile, zipfile

EXPORTS = """CallQuonKivApi CreateQuonKivEngine CreateQuonKivEngineWithProcTable
  CreateQuonKivEventHandler DestroyQuonKivEngine DestroyQuonKivEventHandler GetQuonKivErrorReason
  GetQuonKivVersion createQuonKivClient destroyQuonKivClient getQuonKivErrorReason""".split()
FILES = {  # relative to the archive's top folder; {v} the version, {m} its major part
    "common": """README.md CHANGELOG.md LICENSE loopback/README.md licenses/nlohmann-json.txt
      licenses/spdlog.txt licenses/fmt.txt include/velmo_kiv_wrapper.h
      include/quon_event_handler.h include/velmo_kiv_sdk/kiv_event_handler.h
      include/velmo_kiv_sdk/kiv_interfaces.h include/velmo_kiv_sdk/kiv_records.h
      include/velmo_kiv_sdk/msvc_vtable.h include/velmo_kiv_sdk/velmo_kiv_sdk.h""",
    "win32": """bin/VelmoKivWrapper.dll bin/VelmoKivWrapper.pdb lib/VelmoKivWrapper.lib
      lib/libVelmoKivWrapper.dll.a lib/VelmoKivWrapper.def loopback/velmo_kiv_sdk.dll
      loopback/velmo_kiv_sdk.pdb loopback/libvelmo_kiv_sdk.dll.a loopback/velmo_kiv_sdk.def
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
# DLL, its OriginalFilename, a word its FileDescription holds, a source file its .pdb names
RESOURCES = [("bin/VelmoKivWrapper.dll", "VelmoKivWrapper.dll", "velmo_kiv_sdk",
              r"C:\VelmoKivWrapper\src\kiv\src\quon_kiv_exports.cpp"),
             ("loopback/velmo_kiv_sdk.dll", "velmo_kiv_sdk.dll", "stand-in",
              r"C:\VelmoKivWrapper\loopback_sdk\sdk_entry.cpp")]
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
    for f in sorted(f for f in files if re.search(r"\.(dll|so|lib|a|debug|pdb)$|\.so\.", f)):
        path = os.path.join(root, f)
        content = open(path, "rb").read()
        clean = only_in_command_lines if f.endswith(".pdb") else lambda data, p: p not in data
        check(all(clean(content, p.encode()) for p in forbidden), f"{f}: no build path")
        if f.endswith(".debug"):
            shipped = run(objdump, "-h", path[:-len(".debug")])
            check(".gnu_debuglink" in shipped and ".debug_info" not in shipped
                  and ".debug_info" in run(objdump, "-h", path), f"{f}: split from a stripped library")
    return root


def only_in_command_lines(pdb, path):
    """True when every occurrence of `path` in the .pdb lies in a command line recorded as
    given: clang 14 keeps each compile's ("-cc1" ...) and lld its own (after "cmd"), and
    neither can be told to leave it out. File names, module names and the linker's
    working folder, which debuggers show, must not name the build machine."""
    at = pdb.find(path)
    while at >= 0:
        start = pdb.rfind(b"\0", 0, at) + 1
        if not (pdb.startswith(b'"-cc1"', start) or pdb[max(0, start - 4):start] == b"cmd\0"):
            return False
        at = pdb.find(path, at + 1)
    return True


def pe_debug_records(dll):
    """(section names, COFF symbol table offset, [(type, data)] of the debug directory) of a PE
    file."""
    pe = struct.unpack_from("<I", dll, 0x3C)[0]
    count, _, symbols, _, optional_size = struct.unpack_from("<HIIIH", dll, pe + 6)
    optional = pe + 24
    directories = optional + (96 if struct.unpack_from("<H", dll, optional)[0] == 0x10B else 112)
    sections = [struct.unpack_from("<8s4I", dll, optional + optional_size + 40 * i)
                for i in range(count)]

    def offset(rva):
        return next(raw + rva - va for _, size, va, raw_size, raw in sections
                    if va <= rva < va + max(size, raw_size))
    rva, size = struct.unpack_from("<II", dll, directories + 6 * 8)  # the debug directory
    records = []
    for entry in range(offset(rva), offset(rva) + size, 28) if size else []:
        kind, length, _, pointer = struct.unpack_from("<4I", dll, entry + 12)
        records.append((kind, dll[pointer:pointer + length]))
    return [s[0].rstrip(b"\0").decode() for s in sections], symbols, records


def pdb_stream(pdb, index):
    """Stream `index` of an MSF 7.00 file (a .pdb): 1 is the info stream, 3 the DBI stream;
    empty if the file is no MSF 7.00 file."""
    if not pdb.startswith(b"Microsoft C/C++ MSF 7.00\r\n\x1aDS\0\0\0"):
        return b""
    block, _, _, directory_size, _, block_map = struct.unpack_from("<6I", pdb, 32)
    blocks = lambda n: (n + block - 1) // block
    read = lambda numbers: b"".join(pdb[b * block:(b + 1) * block] for b in numbers)
    directory = read(struct.unpack_from(f"<{blocks(directory_size)}I", pdb, block_map * block))
    streams = struct.unpack_from("<I", directory)[0]
    sizes = [0 if s == 0xFFFFFFFF else s for s in struct.unpack_from(f"<{streams}I", directory, 4)]
    at = 4 + 4 * streams + 4 * sum(blocks(s) for s in sizes[:index])
    return read(struct.unpack_from(f"<{blocks(sizes[index])}I", directory, at))[:sizes[index]]


def check_pdbs(root):
    """Each DLL carries one debug record, a CodeView "RSDS" one (GUID, age, .pdb name), and
    nothing else debug-related; its .pdb has that GUID and age in its info stream (version,
    signature, age, GUID) and that age in its DBI stream. A debugger loads a .pdb only when
    they agree, so each DLL is also checked against the other DLL's .pdb: they must not."""
    ids = {}
    pdb_of = lambda dll: os.path.basename(dll)[:-len(".dll")] + ".pdb"
    for dll, _, _, source in RESOURCES:
        pdb_name = pdb_of(dll)
        sections, symbols, records = pe_debug_records(open(os.path.join(root, dll), "rb").read())
        extra = [s for s in sections if s.startswith((".debug", "/"))]
        check(not extra and symbols == 0, f"{dll}: no DWARF section {extra}, no symbol table ({symbols})")
        record = records[0][1] if [kind for kind, _ in records] == [2] else b""
        check(record[:4] == b"RSDS" and record[24:] == pdb_name.encode() + b"\0",
              f"{dll}: one CodeView record naming {pdb_name} alone: {records}")
        pdb = open(os.path.join(os.path.dirname(os.path.join(root, dll)), pdb_name), "rb").read()
        info, dbi = pdb_stream(pdb, 1), pdb_stream(pdb, 3)
        ids[dll] = record[4:24]
        ids[pdb_name] = info[12:28] + info[8:12]
        check(len(info) >= 28 and ids[dll] == ids[pdb_name] and dbi[8:12] == record[20:24],
              f"{dll} and {pdb_name}: GUID and age {ids[dll].hex()} = {ids[pdb_name].hex()}, DBI age")
        check(source.encode() + b"\0" in pdb, f"{pdb_name}: names {source}")
    wrapper, sdk = (dll for dll, _, _, _ in RESOURCES)
    check(ids[wrapper] != ids[pdb_of(sdk)] and ids[sdk] != ids[pdb_of(wrapper)],
          "each DLL's GUID and age tell its .pdb from the other's")


def check_windows(root, version):
    check_pdbs(root)
    for dll, original, word, _ in RESOURCES:
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
