"""The API description (api/velmo-kiv-api.json) as binding generators read it.

Shared by every language's generator: it indexes records and events by name, and answers the questions every template asks (the
arguments a caller gives, the record of a key, the name parts of an API).
Python 3 standard library only.
"""

import os

REPO_ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
DESCRIPTION_PATH = os.path.join(REPO_ROOT, "api", "velmo-kiv-api.json")


def upper_first(name):
    return name[:1].upper() + name[1:]


class Api:
    def __init__(self, data):
        self.__dict__.update(data)
        self.key_list = data["keys"]

    @property
    def is_async(self):
        return self.mode == "async"

    def caller_keys(self):
        """The keys a caller supplies: the engine fills payload addresses, and
        counts of arrays follow from the arrays."""
        return [k for k in self.key_list if not k.get("filledBy") and not k.get("countOf")]

    def payload_keys(self):
        return [k for k in self.key_list if k.get("filledBy") == "payload"]

    def count_keys(self):
        return [k for k in self.key_list if k.get("countOf")]


def text(entry, fallback=""):
    """An entry's one line of description, without its closing full stop."""
    return (entry.get("description") or fallback).rstrip(".")


class Description:
    def __init__(self, data):
        self.data = data
        self.library = data["library"]
        self.version = data["version"]
        self.codes = data["codes"]
        self.apis = [Api(a) for a in data["apis"]]
        self.records = data["records"]
        self.record_by_name = {r["name"]: r for r in self.records}
        self.events = data["events"]
        self.event_by_name = {e["name"]: e for e in self.events}
        self.enumerations = data.get("enumerations", [])
        self.enumeration_by_name = {e["name"]: e for e in self.enumerations}

    def modules(self):
        """Module names in the order the description lists their calls."""
        seen = []
        for api in self.apis:
            if api.module not in seen:
                seen.append(api.module)
        return seen

    def apis_of(self, module):
        return [a for a in self.apis if a.module == module]

    def request_events(self):
        """Events whose body carries a request id."""
        return [e for e in self.events if any(k["key"] == "requestId" for k in e["keys"])]

