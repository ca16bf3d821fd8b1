"""Why the library refused a call (-2 or -1009), told from the API description
in the words of the library's own log line."""

import difflib
import json

from . import names

_TYPES = {"string": (str,), "boolean": (bool,), "object": (dict,), "array": (list, tuple)}


def _of_kind(value, kind):
    types = _TYPES.get(kind)
    if types:
        return isinstance(value, types)
    return isinstance(value, (int, float)) and not isinstance(value, bool)


def explain(name, params, code):
    """The reason for a refused call, or None when the description tells none."""
    if code == names.UNKNOWN_API:
        near = difflib.get_close_matches(name, names.API_NAMES, n=3, cutoff=0.8)
        return "no API is named %s%s" % (name, "; did you mean %s?" % ", ".join(near)
                                         if near else "")
    keys = names.API_KEYS.get(name)
    if code != names.BAD_PARAMS or keys is None:
        return None
    if isinstance(params, (str, bytes)):
        try:
            params = json.loads(params)
        except ValueError:
            return "%s: the parameters are not JSON" % name
    if params is None:
        params = {}
    if not isinstance(params, dict):
        return "%s: the parameters must be a JSON object" % name
    for key, kind, record, optional in keys:
        wanted = kind + (" " + record if record else "")
        if key not in params:
            if optional:
                continue
            return '%s needs "%s" (%s)' % (name, key, wanted)
        if not _of_kind(params[key], kind):
            return '%s: "%s" must be %s, not %s' % (name, key, wanted,
                                                   type(params[key]).__name__)
    return None
