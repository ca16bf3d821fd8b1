#!/usr/bin/env python3
"""Writes, or checks, every generated file of the repository.

    tools/bindgen/generate.py [--check] [--build DIR]

With --build, the API description comes from the build folder DIR, where the
build prints it from the library's tables (DIR/api/velmo-kiv-api.json), and the
committed api/velmo-kiv-api.json is one more generated file; without it, the
committed description is the source. Each binding's files are rendered from
that description by its own module. --check writes nothing: it names every
file that is not current and the one command that refreshes them all.
"""

import argparse
import json
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import api_model  # noqa: E402
import dotnet_binding  # noqa: E402
import node_binding  # noqa: E402
import python_names  # noqa: E402

# One module per language; each answers generated_files(description) with
# {path: text}.
LANGUAGES = (dotnet_binding, node_binding, python_names)


def read_text(path):
    try:
        with open(path, encoding="utf-8", newline="") as f:
            return f.read()
    except FileNotFoundError:
        return None


def wanted_files(description_path):
    """Every generated file's path and the text it should hold."""
    text = read_text(description_path)
    if text is None:
        raise SystemExit("no API description at %s: build the target api_description_json"
                         % description_path)
    files = {api_model.DESCRIPTION_PATH: text}
    description = api_model.Description(json.loads(text))
    for language in LANGUAGES:
        files.update(language.generated_files(description))
    return files


def stale_files(files):
    return [path for path, text in files.items() if read_text(path) != text]


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--check", action="store_true",
                        help="write nothing; exit 1 naming the files that are not current")
    parser.add_argument("--build", help="the build folder whose API description is the source")
    args = parser.parse_args(argv)
    description_path = (os.path.join(args.build, "api", "velmo-kiv-api.json")
                        if args.build else api_model.DESCRIPTION_PATH)
    files = wanted_files(description_path)
    stale = stale_files(files)
    if args.check:
        for path in stale:
            print("not current: %s" % os.path.relpath(path, api_model.REPO_ROOT))
        if stale:
            print("refresh every generated file with:\n  cmake --build %s --target refresh_generated"
                  % (args.build or "build"))
            return 1
        print("%d generated files are current" % len(files))
        return 0
    for path in stale:
        api_model.write_if_changed(path, files[path])
        print("wrote", os.path.relpath(path, api_model.REPO_ROOT))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
