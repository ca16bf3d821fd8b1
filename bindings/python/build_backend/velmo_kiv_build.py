"""Builds the velmo-kiv wheel and source archive with the standard library alone.

The package is pure Python, so a wheel is the package folder plus the
metadata files of the wheel format; the name and version come from the
[project] table of pyproject.toml.
"""

import base64
import hashlib
import io
import os
import re
import tarfile
import zipfile

HERE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PACKAGE = "velmo_kiv"
TAG = "py3-none-any"


def _project():
    """The string keys of pyproject.toml's [project] table."""
    values, inside = {}, False
    with open(os.path.join(HERE, "pyproject.toml"), encoding="utf-8") as text:
        for line in text:
            line = line.strip()
            if line.startswith("["):
                inside = line == "[project]"
            match = re.match(r'^([A-Za-z-]+)\s*=\s*"([^"]*)"$', line) if inside else None
            if match:
                values[match.group(1)] = match.group(2)
    return values


def _dist_name(project):
    return "%s-%s" % (re.sub(r"[-.]+", "_", project["name"]), project["version"])


def _metadata(project):
    return ("Metadata-Version: 2.1\nName: %s\nVersion: %s\nSummary: %s\nLicense: %s\n"
            "Requires-Python: %s\n" %
            (project["name"], project["version"], project.get("description", ""),
             project.get("license", ""), project.get("requires-python", ">=3"))).encode()


def _package_files():
    root = os.path.join(HERE, PACKAGE)
    for folder, subfolders, files in os.walk(root):
        subfolders[:] = sorted(d for d in subfolders if d != "__pycache__")
        for name in sorted(files):
            if name.endswith(".py") or name == "py.typed":
                path = os.path.join(folder, name)
                yield path, os.path.relpath(path, HERE).replace(os.sep, "/")


def _record_line(name, data):
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
    return "%s,sha256=%s,%d" % (name, digest, len(data))


def _write_metadata(folder, project):
    info = os.path.join(folder, _dist_name(project) + ".dist-info")
    os.makedirs(info, exist_ok=True)
    with open(os.path.join(info, "METADATA"), "wb") as out:
        out.write(_metadata(project))
    return os.path.basename(info)


def get_requires_for_build_wheel(config_settings=None):
    return []


def get_requires_for_build_sdist(config_settings=None):
    return []


def prepare_metadata_for_build_wheel(metadata_directory, config_settings=None):
    return _write_metadata(metadata_directory, _project())


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    project = _project()
    info = _dist_name(project) + ".dist-info"
    files = [(archived, open(path, "rb").read()) for path, archived in _package_files()]
    files.append((info + "/METADATA", _metadata(project)))
    files.append((info + "/WHEEL", ("Wheel-Version: 1.0\nGenerator: velmo_kiv_build\n"
                                    "Root-Is-Purelib: true\nTag: %s\n" % TAG).encode()))
    record = [_record_line(name, data) for name, data in files] + [info + "/RECORD,,"]
    files.append((info + "/RECORD", ("\n".join(record) + "\n").encode()))
    wheel_name = "%s-%s.whl" % (_dist_name(project), TAG)
    with zipfile.ZipFile(os.path.join(wheel_directory, wheel_name), "w",
                         zipfile.ZIP_DEFLATED) as wheel:
        for name, data in files:
            wheel.writestr(name, data)
    return wheel_name


def build_sdist(sdist_directory, config_settings=None):
    project = _project()
    base = _dist_name(project)
    sources = [(os.path.join(HERE, "pyproject.toml"), "pyproject.toml")]
    sources += [(os.path.join(HERE, "build_backend", "velmo_kiv_build.py"),
                 "build_backend/velmo_kiv_build.py")]
    sources += list(_package_files())
    archive_name = base + ".tar.gz"
    with tarfile.open(os.path.join(sdist_directory, archive_name), "w:gz") as archive:
        for path, archived in sources:
            archive.add(path, arcname=base + "/" + archived)
        data = _metadata(project)
        entry = tarfile.TarInfo(base + "/PKG-INFO")
        entry.size = len(data)
        archive.addfile(entry, io.BytesIO(data))
    return archive_name
