"""The check of tools/bindgen/generate.py names every stale file and writes
nothing: run against a build folder whose API description lost one API and
one event and gained one record."""

import json
import os
import re
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
GENERATE = os.path.join(ROOT, "tools", "bindgen", "generate.py")
sys.path.insert(0, os.path.dirname(GENERATE))
import generate  # noqa: E402


def marked_generated():
    """The bindings' files whose opening says they are generated, and the
    description itself: found without asking the generator."""
    found = {"api/velmo-kiv-api.json"}
    for folder, subfolders, files in os.walk(os.path.join(ROOT, "bindings")):
        subfolders[:] = [d for d in subfolders if d not in ("node_modules", "bin", "obj")]
        for name in files:
            path = os.path.join(folder, name)
            with open(path, encoding="utf-8", errors="replace") as f:
                opening = f.read(400)
            if re.search(r"Generated .* do not edit", opening):
                found.add(os.path.relpath(path, ROOT))
    return found


def run_check(build):
    return subprocess.run([sys.executable, GENERATE, "--check", "--build", build],
                          capture_output=True, text=True, timeout=60)


class CheckTest(unittest.TestCase):
    def test_a_changed_description_names_every_file_made_from_it(self):
        committed = generate.wanted_files(generate.api_model.DESCRIPTION_PATH)
        with open(generate.api_model.DESCRIPTION_PATH, encoding="utf-8") as f:
            description = json.load(f)
        description["apis"].pop()
        description["events"].pop()
        record = dict(description["records"][-1], name="AddedRecord")
        description["records"].append(record)
        with tempfile.TemporaryDirectory() as build:
            os.makedirs(os.path.join(build, "api"))
            with open(os.path.join(build, "api", "velmo-kiv-api.json"), "w",
                      encoding="utf-8", newline="\n") as f:
                json.dump(description, f, indent=2)
            run = run_check(build)
        self.assertEqual(run.returncode, 1, run.stdout + run.stderr)
        named = {line.split(": ", 1)[1] for line in run.stdout.splitlines()
                 if line.startswith("not current: ")}
        self.assertEqual(named, marked_generated())
        self.assertIn("cmake --build %s --target refresh_generated" % build, run.stdout)
        self.assertEqual(generate.stale_files(committed), [], "the check wrote a file")

    def test_a_build_without_a_description_says_what_to_build(self):
        with tempfile.TemporaryDirectory() as build:
            run = run_check(build)
        self.assertNotEqual(run.returncode, 0)
        self.assertIn("api_description_json", run.stderr)


if __name__ == "__main__":
    unittest.main()
