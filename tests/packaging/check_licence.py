#!/usr/bin/env python3
"""Checks that LICENSE holds the Apache License 2.0 and that every package's metadata names it
(SPDX Apache-2.0). The release archives' copy is checked by check_release.py.
  check_licence.py <source folder>"""
import json, os, re, sys

SPDX = "Apache-2.0"


def read(root, path):
    with open(os.path.join(root, path), encoding="utf-8") as text:
        return text.read()


def licence_file(root):
    lines = [line.strip() for line in read(root, "LICENSE").splitlines() if line.strip()]
    return SPDX if lines[:2] == ["Apache License", "Version 2.0, January 2004"] else lines[:2]


def npm_package(root):
    return json.loads(read(root, "bindings/node/package.json")).get("license")


def nuget_package(project):
    """The project's PackageLicenseExpression, else the one all projects share."""
    def expression(root):
        for path in (project, "bindings/dotnet/Directory.Build.props"):
            found = re.search(r"<PackageLicenseExpression>([^<]*)</PackageLicenseExpression>",
                              read(root, path))
            if found:
                return found.group(1)
        return None
    return expression


def python_package(root):
    """The License field of the metadata that the package's own build backend writes."""
    sys.dont_write_bytecode = True  # nothing written into the source tree
    sys.path.insert(0, os.path.join(root, "bindings", "python", "build_backend"))
    import velmo_kiv_build
    metadata = velmo_kiv_build._metadata(velmo_kiv_build._project()).decode()
    found = re.search(r"^License: (.*)$", metadata, re.M)
    return found and found.group(1)


CASES = [
    ("LICENSE", licence_file),
    ("npm package velmo-kiv-wrapper", npm_package),
    ("NuGet package VelmoKiv", nuget_package("bindings/dotnet/VelmoKiv/VelmoKiv.csproj")),
    ("NuGet package VelmoKiv.Loopback",
     nuget_package("bindings/dotnet/VelmoKiv.Loopback/VelmoKiv.Loopback.csproj")),
    ("Python package velmo-kiv", python_package),
]


def main(root):
    failed = 0
    for what, licence_of in CASES:
        found = licence_of(root)
        print(("ok    " if found == SPDX else "FAIL  ") + "%s: %s" % (what, found))
        failed += found != SPDX
    sys.exit("%d licence check(s) failed" % failed if failed else None)


if __name__ == "__main__":
    main(*sys.argv[1:])
