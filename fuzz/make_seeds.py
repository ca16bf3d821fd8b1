#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

call_path: one session per API name of tests/modules/api_rows.h with its
valid arguments, plus hand-written sessions for the cases the rows leave out.
The bytes are laid out the way the target's FuzzedDataProvider reads them:
numbers from the end of the input, texts from the front.
event_path: one input per callback slot. record_readers: one JSON text per
record read from requests, and texts for the log masking.
Run again after API names change; existing seeds are replaced.
"""
import json
import pathlib
import random
import re

ROOT = pathlib.Path(__file__).resolve().parent.parent
CORPUS = ROOT / "fuzz" / "corpus"
CHANNEL = "fuzz"  # the channel the call-path target creates


class ProviderBytes:
    """Builds an input for LLVM's FuzzedDataProvider."""

    def __init__(self):
        self.front = bytearray()
        self.tail = bytearray()  # in the order the provider consumes them

    def byte_in_range(self, low, high, value):
        assert 0 < high - low < 256 and low <= value <= high
        self.tail.append(value - low)

    def boolean(self, value):
        self.tail.append(1 if value else 0)

    def text(self, data: bytes):
        self.front += data.replace(b"\\", b"\\\\") + b"\\x"

    def rest(self, data: bytes):
        self.front += data

    def data(self):
        return bytes(self.front) + bytes(reversed(self.tail))


def api_rows():
    header = (ROOT / "tests" / "modules" / "api_rows.h").read_text()
    pattern = r'\{"([A-Za-z]+_[A-Za-z0-9_]+)",\s*(nullptr|R"\((.*?)\)"|"((?:[^"\\]|\\.)*)")'
    rows = []
    for name, whole, raw, plain in re.findall(pattern, header, re.S):
        text = None if whole == "nullptr" else (raw if whole.startswith("R") else plain)
        rows.append((name, text))
    return rows


def call_session(calls, setup=2):
    """calls: (api name, params text or None, buffer count)."""
    names = sorted({name for name, _ in api_rows()} | {"KivClient_create"})
    out = ProviderBytes()
    out.byte_in_range(0, 2, setup)
    out.byte_in_range(1, 4, len(calls))
    for i, (name, params, buffers) in enumerate(calls):
        if name in names:
            out.boolean(True)
            out.tail.append(names.index(name))
        else:
            out.boolean(False)
            out.text(name.encode())
        out.byte_in_range(0, 3, buffers)
        out.byte_in_range(0, 7, 1)  # buffers present
        out.byte_in_range(0, 7, 0 if params is None else 3)  # null params, or the whole text
        body = (params or "").encode()
        if i == len(calls) - 1:
            out.rest(body)
        else:
            out.text(body)
    return out.data()


def channel_params(name, text):
    if text is None or not name.startswith("StreamChannel_"):
        return text
    params = json.loads(text)
    if "channelName" in params:
        params["channelName"] = CHANNEL
    return json.dumps(params, separators=(",", ":"))


def call_path_seeds():
    seeds = {}
    for name, text in api_rows():
        buffers = 1 if name in ("KivClient_publish_2d36e93",
                                "StreamChannel_publishTopicMessage_a31773e") else 0
        seeds[name] = call_session([(name, channel_params(name, text), buffers)])
    seeds["create-full-config"] = call_session([(
        "KivClient_create",
        json.dumps({"config": {"appId": "0123456789abcdef", "userId": "u1", "areaCode": 3,
                               "logConfig": {"filePath": "x", "fileSizeInKB": 4, "level": 2},
                               "encryptionConfig": {"encryptionMode": 1, "encryptionKey": "k" * 20,
                                                    "encryptionSalt": [1, 2, 300, -1, 2.5]},
                               "privateConfig": {"accessPointHosts": ["a", "b"]},
                               "proxyConfig": {"server": "s", "port": 70000, "password": "pw"}}}),
        1)], setup=0)
    seeds["no-client"] = call_session([("KivLock_getLocks_ad8568b",
                                        '{"channelName":"c","channelType":1}', 0)], setup=0)
    seeds["unknown-names"] = call_session([("KivClient", None, 0), ("Nope_x", "{}", 0),
                                           ("KivClient_login", '{"token":"t"}', 0),
                                           ("StreamChannel_leave_90386a9", '{"channelName":"zz"}', 0)])
    seeds["wrong-kinds"] = call_session([
        ("KivStorage_setChannelMetadata_55e6d00",
         '{"channelName":1,"channelType":"1","data":[],"options":{}}', 0),
        ("KivHistory_getMessages_e5877fc",
         '{"channelName":"c","channelType":1.9e300,"options":{"start_str":"-99999999999999999999999",'
         '"end":-1,"messageCount":1e20}}', 0),
        ("KivPresence_setState_b73723a",
         '{"channelName":"c","channelType":-1,"items":[1,{"key":2},{"key":"k","value":"v"}]}', 0),
        ("KivClient_setParameters_3a2037f", '{"parameters":"{\\"kiv.log_filter\\":1e300}"}', 0)])
    seeds["secrets-cut"] = call_session([
        ("KivClient_login_1fa04dd", '{"token":"abcd\\"efgh\\\\', 0),
        ("StreamChannel_join_2090a6b", '{"channelName":"fuzz","options":{"token" : "12345678"}}', 0)])
    return seeds


def event_path_seeds():
    rng = random.Random(7)
    seeds = {}
    for slot in range(1, 48):
        body = bytes(rng.randrange(256) for _ in range(200))
        # The provider reads the callback count, then the slot, from the end.
        seeds[f"slot-{slot:02d}"] = body + bytes([slot - 1, 0])
    return seeds


def record_readers_seeds():
    records = [
        {"filePath": "/tmp/x", "fileSizeInKB": 1.5, "level": -3},
        {"proxyType": 1, "server": "s", "port": 65537, "account": "a", "password": "p"},
        {"encryptionMode": 2, "encryptionKey": "k", "encryptionSalt": [1, True, 2.9, -7, "x"] * 8},
        {"serviceType": 1, "accessPointHosts": ["h1", 2, None, "h4"]},
        {"appId": "abc", "userId": "", "context": 12, "eventHandler": 0, "useStringUserId": 1,
         "logConfig": [], "privateConfig": {"accessPointHosts": ["x"]}, "_quon_data": 5},
        {"channelType": 1e300, "messageType": -1e300, "customType": "c", "storeInHistory": False},
        {"withMessage": False, "beQuiet": 1},
        {"token": "t", "withLock": True},
        {"qos": 1, "priority": "9", "meta": "m", "syncWithMedia": True},
        {"messageType": 1, "sendTs_str": " +18446744073709551616", "sendTs": -5, "customType": ""},
        {"users": ["a", "b", {"c": 1}], "_quon_data": {"users": 7}},
        {"includeUserId": False, "page": "p"},
        {"includeState": True, "page": None},
        {"messageCount": 70000, "start_str": "123abc", "start": 5, "end_str": 17, "end": 1.5},
        {"recordTs": True, "recordUserId": False},
        {"key": "k", "value": "v", "authorUserId": "u", "revision": -9.5, "updateTs": 2 ** 63},
        {"majorRevision": 3, "items": [{"key": "a"}, 1, {"value": "\u00e9"}]},
        {"key": "k", "value": "v"},
    ]
    seeds = {}
    for selector, record in enumerate(records):
        seeds[f"record-{selector:02d}"] = bytes([selector]) + json.dumps(record).encode()
        seeds[f"nested-{selector:02d}"] = bytes([selector]) + json.dumps({"o": record}).encode()
    masks = [
        '{"appId":"abcdef","token":"1234567890"}',
        '{"appId" : "abc123xyz", "token":"ab\\"cdefghij\\\\"}',
        '{"token":"tok"}{"token":"tokentoken","encryptionKey":"k","password":"',
        '"token":"\\',
    ]
    for i, text in enumerate(masks):
        seeds[f"mask-{i}"] = b"\x04" + text.encode()
    return seeds


def write(target, seeds):
    folder = CORPUS / target
    folder.mkdir(parents=True, exist_ok=True)
    for name, data in seeds.items():
        (folder / re.sub(r"[^A-Za-z0-9_.-]", "_", name)).write_bytes(data)


if __name__ == "__main__":
    write("call_path", call_path_seeds())
    write("event_path", event_path_seeds())
    write("record_readers", record_readers_seeds())
