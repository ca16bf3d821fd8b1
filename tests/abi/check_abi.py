#!/usr/bin/env python3
"""Checks that the binary contract with MSVC-built code holds in every Windows
build: the vtable slots of the callback interfaces and the SDK's object
interfaces (vtable_slots.txt), and the layout of every shared record
(shared_records.txt). Nothing is run: each compiler compiles one probe file,
for 32- and 64-bit x86, and

- clang in MSVC's ABI prints its vtables (-fdump-vtable-layouts): they must
  be exactly the listed slots;
- GCC and clang for MinGW print theirs (-fdump-lang-class,
  -fdump-vtable-layouts): the listed slots first, then nothing but the real
  destructor, which the other side never calls;
- every compiler writes sizeof, alignof and every field's offset of every
  record into a section of its object file: all must agree.

  check_abi.py <include folder> <work folder>
"""
import pathlib
import re
import shutil
import struct
import subprocess
import sys

HERE = pathlib.Path(__file__).resolve().parent
ARCHES = ("i686", "x86_64")
SECTION = b".vabi"
SLOTS = b".vslot"
CLANG = shutil.which("clang++-14") or shutil.which("clang++") or "clang++-14"


def read_list(name):
    """'name: item item' lines, continued on indented lines; # comments."""
    entries, current = {}, None
    for line in (HERE / name).read_text().splitlines():
        if not line.strip() or line.startswith("#"):
            continue
        if line[0].isspace():
            entries[current] += line.split()
        else:
            current, _, rest = line.partition(": ")
            entries[current] = rest.split()
    return entries


def probe_source(interfaces, records):
    lines = [
        "#include <stddef.h>",
        '#include "quon_event_handler.h"',
        '#include "velmo_kiv_sdk/velmo_kiv_sdk.h"',
        '#include "velmo_kiv_wrapper.h"',
        "// A pointer to a virtual operation makes every compiler lay out the vtable.",
        "template <class T> void* keep(T member) { return *reinterpret_cast<void**>(&member); }",
    ]
    for i, name in enumerate(interfaces):
        first = interfaces[name][1] if interfaces[name][0] == "~" else interfaces[name][0]
        lines.append(f"void* probe{i}() {{ return keep(&{name}::{first}); }}")
    # MinGW's ABI keeps a virtual operation's slot in its member pointer
    # (1 + the slot's byte offset), so GCC, whose dump does not name pure
    # virtual operations, is read from there.
    lines.append("#if !defined(_MSC_VER)")
    members = [(name, op) for name, ops in interfaces.items() for op in ops if op != "~"]
    lines.append("struct VelmoSlots {")
    lines += [f"  decltype(&{n}::{op}) s{i};" for i, (n, op) in enumerate(members)]
    lines.append("};")
    lines.append(f'extern "C" __attribute__((used, section("{SLOTS.decode()}")))')
    lines.append("const VelmoSlots velmo_abi_slots = {\n  "
                 + ",\n  ".join(f"&{n}::{op}" for n, op in members) + "};")
    lines.append("#endif")
    values = []
    for name, fields in records.items():
        values += [f"sizeof({name})", f"alignof({name})"]
        values += [f"offsetof({name}, {field})" for field in fields]
    lines.append(f'extern "C" __attribute__((used, section("{SECTION.decode()}")))')
    lines.append("const unsigned int velmo_abi_layout[] = {\n  " + ",\n  ".join(values) + "};")
    return "\n".join(lines) + "\n"


def compilers(arch, gcc):
    mingw, msvc = f"{arch}-w64-mingw32", f"{arch}-pc-windows-msvc"
    common = ["-std=c++17", "-fno-exceptions", "-c"]
    return {
        "MinGW GCC": ([gcc] + common + ["-fdump-lang-class={out}.class"], "gcc"),
        "MinGW clang": ([CLANG, f"--target={mingw}"] + common
                        + ["-Xclang", "-fdump-vtable-layouts"], "itanium"),
        "MSVC clang": ([CLANG, f"--target={msvc}", "-ffreestanding", "-fno-rtti"] + common
                       + ["-Xclang", "-fdump-vtable-layouts"], "msvc"),
    }


def vtables(dump, style):
    """{interface: [slot names]} from clang's dump; destructors are '~'."""
    tables = {}
    header = r"^VFTable for '([^']+)' \(\d+ entr" if style == "msvc" else r"^Vtable for '([^']+)' \(\d+ entr"
    for block in re.finditer(header + r".*\n((?:\s+(?:\d+ \|.*|--.*)\n)*)", dump, re.M):
        entries = re.findall(r"^\s+\d+ \| (.*)$", block.group(2), re.M)
        slots = [e for e in entries if not e.startswith("offset_to_top") and not e.endswith(" RTTI")]
        tables.setdefault(block.group(1), [slot_name(s) for s in slots])
    return tables


def member_slots(obj, interfaces, arch, dump):
    """{interface: [slot names]} from the member pointers GCC wrote; the
    slots its dump counts besides them are the destructor's."""
    width = 4 if arch == "i686" else 8
    raw = coff_section(obj, SLOTS)
    pointers = struct.unpack(f"<{len(raw) // width}{'I' if width == 4 else 'Q'}", raw)[::2]
    tables, at = {}, 0
    for name, ops in interfaces.items():
        slots = {}
        for op in (op for op in ops if op != "~"):
            slots[(pointers[at] - 1) // width] = op
            at += 1
        entries = re.search(rf"^Vtable for {re.escape(name)}\n\S+: (\d+) entries", dump, re.M)
        total = int(entries.group(1)) - 2 if entries else len(slots)  # offset to top, RTTI
        tables[name] = [slots.get(i, "~") for i in range(total)]
    return tables


def slot_name(entry):
    name = re.sub(r"\(.*$", "", entry).split("::")[-1].strip()
    return "~" if name.startswith("~") or name == "deletingDestructor" else name


def coff_section(path, wanted):
    data = path.read_bytes()
    count = struct.unpack_from("<H", data, 2)[0]
    optional = struct.unpack_from("<H", data, 16)[0]
    for i in range(count):
        at = 20 + optional + 40 * i
        if data[at:at + 8].rstrip(b"\0") == wanted:
            size, offset = struct.unpack_from("<II", data, at + 16)
            return data[offset:offset + size]
    raise SystemExit(f"{path}: no {wanted.decode()} section")


def layout_names(records):
    names = []
    for name, fields in records.items():
        names += [f"sizeof({name})", f"alignof({name})"] + [f"{name}::{f}" for f in fields]
    return names


def main():
    include, work = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    work.mkdir(parents=True, exist_ok=True)
    interfaces, records = read_list("vtable_slots.txt"), read_list("shared_records.txt")
    probe = work / "abi_probe.cpp"
    probe.write_text(probe_source(interfaces, records))
    names, failures = layout_names(records), []
    for arch in ARCHES:
        gcc = shutil.which(f"{arch}-w64-mingw32-g++-posix") or shutil.which(f"{arch}-w64-mingw32-g++")
        if not gcc:
            raise SystemExit(f"no MinGW g++ for {arch} (Debian: g++-mingw-w64-{arch.replace('_', '-')}-posix)")
        layouts = {}
        for compiler, (command, style) in compilers(arch, gcc).items():
            out = work / f"{arch}-{style}"
            command = [c.replace("{out}", str(out)) for c in command]
            run = subprocess.run(command + ["-I", str(include), str(probe), "-o", f"{out}.o"],
                                 capture_output=True, text=True)
            if run.returncode != 0:
                raise SystemExit(f"{compiler} ({arch}) failed:\n{run.stderr}")
            if style == "gcc":
                found = member_slots(pathlib.Path(f"{out}.o"), interfaces, arch,
                                     pathlib.Path(f"{out}.class").read_text())
            else:
                found = vtables(run.stdout, style)
            for interface, expected in interfaces.items():
                slots = found.get(interface)
                if slots is None:
                    failures.append(f"{arch} {compiler}: no vtable of {interface} in its dump")
                    continue
                extra = slots[len(expected):]
                # MinGW's destructor pair sits after the listed slots.
                allowed = ["~", "~"] if style != "msvc" and expected[0] == "~" else []
                want = expected + allowed
                if slots[:len(expected)] != expected or extra != allowed:
                    at = next(i for i in range(max(len(slots), len(want)))
                              if i >= len(slots) or i >= len(want) or slots[i] != want[i])
                    failures.append(f"{arch} {compiler}: {interface} slot {at} is "
                                    f"{slots[at] if at < len(slots) else 'missing'}, expected "
                                    f"{want[at] if at < len(want) else 'nothing'} "
                                    f"({len(slots)} slots, expected {len(want)})")
            raw = coff_section(pathlib.Path(f"{out}.o"), SECTION)
            layouts[compiler] = struct.unpack(f"<{len(raw) // 4}I", raw)
        reference = layouts["MSVC clang"]
        for compiler, values in layouts.items():
            for name, want, got in zip(names, reference, values):
                if want != got:
                    failures.append(f"{arch} {compiler}: {name} is {got}, MSVC's ABI has {want}")
        print(f"{arch}: {len(interfaces)} vtables, {len(records)} records "
              f"({len(reference)} sizes and offsets) checked with {', '.join(layouts)}")
    for failure in failures:
        print("FAIL", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
