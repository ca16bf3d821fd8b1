"""The tables of docs/api-reference.md, from the API description: each
module's calls, the events and the enumerations, each between a
"<!-- generated: NAME -->" line and "<!-- end generated -->"; the prose
around them is the page's own. Written and checked by tools/bindgen/generate.py.
"""

import os
import re

import api_model
from api_model import text

PAGE = os.path.join(api_model.REPO_ROOT, "docs", "api-reference.md")
BLOCK = re.compile(r"(<!-- generated: ([A-Za-z]+) -->\n)(.*?)(<!-- end generated -->)", re.S)
BUFFERS = {"none": "none", "message": "one: the message payload",
           "perHistoryMessage": "one per message, in list order"}


def described(entry):
    return text(entry) + "." if entry.get("description") else ""


def key_cell(api):
    parts = []
    for k in api.key_list:
        cell = "`%s` %s" % (k["key"], k["kind"])
        if k["kind"] == "object":
            cell += " (%s)" % k["record"]
        elif k["kind"] == "array":
            cell += " (of %s)" % (k["record"] if k.get("items") == "object" else "strings")
        if k.get("enumeration"):
            cell += ", [%s](#%s)" % (k["enumeration"], k["enumeration"].lower())
        if k["key"] in api.optionalKeys:
            cell += ", optional"
        parts.append(cell)
    buffer = {"eventSink": "; the call's buffer is the event sink",
              "payload": "; the call's buffer is the payload"}.get(api.buffer, "")
    return (", ".join(parts) or "none") + buffer


def result_cell(api):
    if not api.result:
        return "none; code %d" % api.code
    keys = ", ".join("`%s`" % r for r in api.result)
    return "async: " + keys if api.is_async else keys


def calls_table(desc, prefix):
    rows = ["| API name | keys (kind), in order | result keys | what it does |", "|---|---|---|---|"]
    for api in desc.apis:
        if api.name.split("_", 1)[0] == prefix:
            rows.append("| `%s` | %s | %s | %s |" % (api.name, key_cell(api), result_cell(api),
                                                     described(api.__dict__)))
    return rows


def event_keys(event):
    """The body keys as the event catalogue names their JSON types."""
    parts = []
    for k in event["keys"]:
        kind = "unsigned integer" if k["kind"] == "unsigned64" else k["kind"]
        cell = "`%s` %s" % (k["key"], kind)
        if k.get("record"):
            cell += " (%s)" % k["record"]
        parts.append(cell)
        if k.get("twin"):
            parts.append("`%s` string" % k["twin"])
    return ", ".join(parts)


def events_table(desc):
    rows = ["| event name | body keys, in the callback's argument order | buffers | what it reports |",
            "|---|---|---|---|"]
    for e in desc.events:
        rows.append("| `%s` | %s | %s | %s |" % (e["name"], event_keys(e), BUFFERS[e["buffers"]],
                                                 described(e)))
    return rows


def takers(desc, name):
    """The keys taking an enumeration: "`key` of where" each, or "`key`
    wherever it appears" for a key taking it in many places."""
    places = {}
    entries = ([(api.operation, api.key_list) for api in desc.apis]
               + [(e["callback"], e["keys"]) for e in desc.events]
               + [(r["name"], r["fields"]) for r in desc.records])
    for where, keys in entries:
        for k in keys:
            if k.get("enumeration") == name:
                places.setdefault(k["key"], set()).add(where)
    return ", ".join("`%s` wherever it appears" % key if len(found) > 3 else
                     ", ".join("`%s` of %s" % (key, w) for w in sorted(found))
                     for key, found in sorted(places.items()))


def enumerations_list(desc):
    """One heading and table per enumeration, with the keys that take it."""
    rows = []
    for e in desc.enumerations:
        rows += ["### %s" % e["name"], "",
                 "%s Values from %s; taken by %s." % (described(e), e["valuesFrom"], takers(desc, e["name"])),
                 "", "| value | name | meaning |", "|---|---|---|"]
        rows += ["| %d | %s | %s |" % (v["value"], v["name"], described(v)) for v in e["values"]]
        rows.append("")
    return rows[:-1]


def block(desc, name):
    if name == "events":
        return events_table(desc)
    if name == "enumerations":
        return enumerations_list(desc)
    return calls_table(desc, name)


def render(desc, page):
    def fill(m):
        return m.group(1) + "\n".join(block(desc, m.group(2))) + "\n" + m.group(4)
    return BLOCK.sub(fill, page)


def generated_files(desc):
    with open(PAGE, encoding="utf-8", newline="") as f:
        page = f.read()
    return {PAGE: render(desc, page)}
