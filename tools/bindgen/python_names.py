"""Writes bindings/python/velmo_kiv/names.py from the API description.

The Python package's typed constants: the codes of CallQuonKivApi, every API
name (class Api) and event name (class EventName), and the keys each call
needs, which the package uses to say why a call was refused. Written and
checked by tools/bindgen/generate.py.
"""

import json
import os
import re

import api_model

OUTPUT = os.path.join(api_model.REPO_ROOT, "bindings", "python", "velmo_kiv", "names.py")


def constant(*words):
    """KivClient + renewToken -> KIV_CLIENT_RENEW_TOKEN."""
    text = re.sub(r"([a-z0-9])([A-Z])", r"\1_\2", "_".join(words))
    return re.sub(r"[^A-Za-z0-9]+", "_", text).strip("_").upper()


def api_constant(api):
    # The name's own prefix, not the answering module: KivClient_createStreamChannel_...
    return constant(api.name.split("_", 1)[0], api.operation)


def event_constant(event):
    return constant(event["callback"])


def unique(entries, name_of, full_name):
    """One constant per entry; a constant taken twice keeps the name's hash suffix."""
    counts = {}
    for entry in entries:
        counts[name_of(entry)] = counts.get(name_of(entry), 0) + 1
    named = []
    for entry in entries:
        name = name_of(entry)
        if counts[name] > 1:
            name += "_" + full_name(entry).rsplit("_", 1)[-1].upper()
        named.append((name, entry))
    return named


def doc_comment(entry):
    """The entry's line as an attribute doc comment, which documentation tools read."""
    return ["    #: " + entry["description"]] if entry.get("description") else []


def render(description):
    out = [
        '"""API names, event names and codes of %s %s.' % (description.library,
                                                           description.version),
        "",
        "Generated from api/velmo-kiv-api.json by tools/bindgen/python_names.py: do not edit.",
        '"""',
        "",
        "from typing import Dict, Final, FrozenSet, Optional, Tuple",
        "",
        "# Codes of CallQuonKivApi.",
    ]
    for code in description.codes:
        out.append("%s: Final = %d  # %s" % (constant(code["name"]), code["code"], code["meaning"]))
    out += ["", "", "class Api:", '    """Every API name that CallQuonKivApi answers."""', ""]
    for name, api in unique(description.apis, api_constant, lambda a: a.name):
        out += doc_comment(api.__dict__)
        out.append("    %s: Final = %s" % (name, json.dumps(api.name)))
    out += ["", "", "class EventName:", '    """Every event name that reaches a sink."""', ""]
    for name, event in unique(description.events, event_constant, lambda e: e["name"]):
        out += doc_comment(event)
        out.append("    %s: Final = %s" % (name, json.dumps(event["name"])))
    out += [
        "",
        "",
        "API_NAMES: FrozenSet[str] = frozenset(",
        "    value for key, value in vars(Api).items() if not key.startswith(\"_\"))",
        "EVENT_NAMES: FrozenSet[str] = frozenset(",
        "    value for key, value in vars(EventName).items() if not key.startswith(\"_\"))",
        "",
        "# The keys each call needs, in the order the library checks them:",
        "# (key, kind, record or None, optional). Keys the library fills in from the",
        "# call's buffer are left out.",
        "API_KEYS: Dict[str, Tuple[Tuple[str, str, Optional[str], bool], ...]] = {",
    ]
    for api in description.apis:
        optional = set(api.optionalKeys)
        keys = tuple((k["key"], k["kind"], k.get("record"), k["key"] in optional)
                     for k in api.key_list if not k.get("filledBy"))
        out.append("    %s: %r," % (json.dumps(api.name), keys))
    out += ["}", ""]
    return "\n".join(out)


def generated_files(description):
    return {OUTPUT: render(description)}
