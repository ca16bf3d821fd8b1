"""tools/bindgen/generate.py --check names every stale file and writes nothing."""

import json
import os
import re
import subprocess
import sys
import tempfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


def marked_generated():
    """The description, the reference page and every file under bindings/ whose
    opening says it is generated, with its contents: found without asking the
    generator."""
    paths = ["api/velmo-kiv-api.json", "docs/api-reference.md"]
    for folder, subfolders, files in os.walk(os.path.join(ROOT, "bindings")):
        subfolders[:] = [d for d in subfolders if d not in ("node_modules", "bin", "obj")]
        paths += [os.path.relpath(os.path.join(folder, name), ROOT) for name in files]
    found = {}
    for path in paths:
        with open(os.path.join(ROOT, path), "rb") as f:
            found[path] = f.read()
        if path.startswith("bindings") and not re.search(rb"Generated .* do not edit", found[path][:400]):
            del found[path]
    return found


with open(os.path.join(ROOT, "api", "velmo-kiv-api.json"), encoding="utf-8") as f:
    description = json.load(f)
# One API and one event fewer, one record more, a value's line changed: every file changes.
description["apis"].pop()
description["events"].pop()
description["records"].append(dict(description["records"][-1], name="AddedRecord"))
description["enumerations"][0]["values"][0]["description"] = "Changed."
before = marked_generated()
with tempfile.TemporaryDirectory() as build:
    os.makedirs(os.path.join(build, "api"))
    with open(os.path.join(build, "api", "velmo-kiv-api.json"), "w", encoding="utf-8") as f:
        json.dump(description, f, indent=2)
    run = subprocess.run([sys.executable, os.path.join(ROOT, "tools", "bindgen", "generate.py"),
                          "--check", "--build", build], capture_output=True, text=True, timeout=60)
    refresh = "cmake --build %s --target refresh_generated" % build
named = set(re.findall(r"^not current: (.*)$", run.stdout, re.M))
failures = [what for what, fine in [
    ("exit code %d, not 1" % run.returncode, run.returncode == 1),
    ("named %s, not %s" % (sorted(named), sorted(before)), named == set(before)),
    ("no refresh command", refresh in run.stdout),
    ("a file was written", marked_generated() == before)] if not fine]
print("\n".join(failures) or "ok", "\n" + run.stdout + run.stderr)
sys.exit(1 if failures else 0)
