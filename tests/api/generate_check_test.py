"""tools/bindgen/generate.py --check names every stale file and writes nothing."""

import json
import os
import re
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
GENERATE = os.path.join(ROOT, "tools", "bindgen", "generate.py")


def marked_generated():
    """The description and the bindings' files whose opening says they are
    generated: found without asking the generator."""
    found = {"api/velmo-kiv-api.json"}
    for folder, subfolders, files in os.walk(os.path.join(ROOT, "bindings")):
        subfolders[:] = [d for d in subfolders if d not in ("node_modules", "bin", "obj")]
        for name in files:
            with open(os.path.join(folder, name), encoding="utf-8", errors="replace") as f:
                if re.search(r"Generated .* do not edit", f.read(400)):
                    found.add(os.path.relpath(os.path.join(folder, name), ROOT))
    return found


def contents(paths):
    found = {}
    for path in paths:
        with open(os.path.join(ROOT, path), "rb") as f:
            found[path] = f.read()
    return found


def check(*args):
    return subprocess.run([sys.executable, GENERATE, "--check", *args],
                          capture_output=True, text=True, timeout=60)


class CheckTest(unittest.TestCase):
    def test_a_changed_description_names_every_file_made_from_it(self):
        with open(os.path.join(ROOT, "api", "velmo-kiv-api.json"), encoding="utf-8") as f:
            description = json.load(f)
        description["apis"].pop()  # one API and one event fewer, one record more
        description["events"].pop()
        description["records"].append(dict(description["records"][-1], name="AddedRecord"))
        before = contents(marked_generated())
        with tempfile.TemporaryDirectory() as build:
            os.makedirs(os.path.join(build, "api"))
            with open(os.path.join(build, "api", "velmo-kiv-api.json"), "w", encoding="utf-8") as f:
                json.dump(description, f, indent=2)
            run = check("--build", build)
        self.assertEqual(run.returncode, 1, run.stdout + run.stderr)
        named = set(re.findall(r"^not current: (.*)$", run.stdout, re.M))
        self.assertEqual(named, marked_generated())
        self.assertIn("cmake --build %s --target refresh_generated" % build, run.stdout)
        self.assertTrue(contents(before) == before, "the check wrote a file")

    def test_a_build_without_a_description_says_what_to_build(self):
        with tempfile.TemporaryDirectory() as build:
            run = check("--build", build)
        self.assertNotEqual(run.returncode, 0)
        self.assertIn("api_description_json", run.stderr)


if __name__ == "__main__":
    unittest.main()
