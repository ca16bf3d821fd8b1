#!/usr/bin/env python3
"""Writes, or with --check names without writing, every generated file.

    tools/bindgen/generate.py [--check] [--build DIR]

With --build, the source is the API description the build printed from the
library's tables (DIR/api/velmo-kiv-api.json) and the committed copy is one
more generated file; without it, the committed description is the source.
"""

import json
import os
import sys

import api_model
import dotnet_binding
import node_binding
import python_names
import reference_doc

# One module per language (and the reference page), each answering
# generated_files(description) with {path: text}.
LANGUAGES = (dotnet_binding, node_binding, python_names, reference_doc)


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
        sys.exit("no API description at %s: build the target api_description_json" % description_path)
    files = {api_model.DESCRIPTION_PATH: text}
    description = api_model.Description(json.loads(text))
    for language in LANGUAGES:
        files.update(language.generated_files(description))
    return files


def stale_files(files):
    return [path for path, text in files.items() if read_text(path) != text]


def main(argv):
    check = "--check" in argv
    build = argv[argv.index("--build") + 1] if "--build" in argv else None
    files = wanted_files(os.path.join(build, "api", "velmo-kiv-api.json") if build
                         else api_model.DESCRIPTION_PATH)
    stale = stale_files(files)
    for path in stale:
        print("not current:" if check else "wrote", os.path.relpath(path, api_model.REPO_ROOT))
        if not check:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w", encoding="utf-8", newline="\n") as f:
                f.write(files[path])
    if check and stale:
        print("refresh every generated file with:\n  cmake --build %s --target refresh_generated"
              % (build or "build"))
    return 1 if check and stale else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
