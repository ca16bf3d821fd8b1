"""Return codes and results of calls through the Engine object and the raw exports."""

import ctypes
import math

import pytest

import velmo_kiv
from conftest import APP_ID, LOGIN, PUBLISH, SUBSCRIBE, unique


@pytest.mark.parametrize("name, params, code", [
    ("Nothing_call", {}, velmo_kiv.NO_MODULE),
    ("NoUnderscoreAtAll", None, velmo_kiv.NO_MODULE),
    ("kivclient_login_1fa04dd", {"token": "t"}, velmo_kiv.NO_MODULE),  # prefixes are case-sensitive
    ("KivClient_create", "{", velmo_kiv.BAD_PARAMS),
    ("KivClient_create", '{"config": {"appId": "a"}', velmo_kiv.BAD_PARAMS),
    ("KivClient_create", b'{"config": // comment\n {}}', velmo_kiv.BAD_PARAMS),
    ("KivClient_noSuchCall", {}, velmo_kiv.UNKNOWN_API),
    (LOGIN, {"token": "t"}, velmo_kiv.NO_CLIENT),
    (SUBSCRIBE, {"channelName": "c", "options": {}}, velmo_kiv.NO_CLIENT),
    ("KivClient_release", None, velmo_kiv.NO_CLIENT),
])
def test_bad_input_without_a_client(make_engine, name, params, code):
    engine = make_engine()
    assert engine.call(name, params) == (code, None)


def test_bad_input_with_a_client(login):
    engine = login(unique("alice"))
    assert engine.call(LOGIN, {"token": 5}) == (velmo_kiv.BAD_PARAMS, None)
    assert engine.call(LOGIN, {}) == (velmo_kiv.BAD_PARAMS, None)
    assert engine.call(SUBSCRIBE, {"channelName": 7, "options": {}})[0] == velmo_kiv.BAD_PARAMS
    assert engine.call(LOGIN, "[1, 2")[0] == velmo_kiv.BAD_PARAMS
    # Still usable afterwards.
    code, result = engine.call(LOGIN, {"token": "again"})
    assert code == velmo_kiv.OK and result["result"] == 0 and result["requestId"] > 0


def test_getters_answer_4_with_a_null_result(login):
    engine = login(unique("alice"))
    assert engine.call("KivClient_getLock") == (4, None)


def test_create_reports_the_factory_error(make_engine, library):
    engine = make_engine()
    code, result = engine.create_client({"appId": APP_ID, "userId": ""})
    assert code == velmo_kiv.OK
    assert result["result"] == result["errorCode"] != 0
    assert library.error_reason(result["errorCode"])
    assert engine.call(LOGIN, {"token": "t"})[0] == velmo_kiv.NO_CLIENT


@pytest.mark.parametrize("name, params, payload, error", [
    ("KivClient_login\0_1fa04dd", {"token": "t"}, None, ValueError),
    (b"KivClient_login_1fa04dd", {"token": "t"}, None, TypeError),
    (LOGIN, {"token": math.nan}, None, ValueError),
    # The SDK would read "length" bytes from a 3-byte buffer (-1 becomes 2^32 - 1).
    (PUBLISH, {"channelName": "c", "length": 4, "option": {}}, b"abc", ValueError),
    (PUBLISH, {"channelName": "c", "length": -1, "option": {}}, b"abc", ValueError),
    (PUBLISH, {"channelName": "c", "length": 2**32 + 1, "option": {}}, b"abc", ValueError),
    # Its buffer is read as an event handler, never as bytes.
    ("KivClient_create", None, b"not a handler", TypeError),
    (PUBLISH, {"channelName": "c", "option": {}}, "text, not bytes", TypeError),
])
def test_unsafe_input_is_refused_before_the_library(make_engine, name, params, payload, error):
    engine = make_engine()
    with pytest.raises(error):
        engine.call(name, params, payload)
    # The refused call left the engine usable.
    assert engine.call(LOGIN, {"token": "t"})[0] == velmo_kiv.NO_CLIENT


def test_sink_buffer_is_for_create_only(make_engine):
    engine = make_engine()
    with pytest.raises(TypeError):
        engine.call(PUBLISH, {"channelName": "c", "option": {}}, engine.sink)


def test_closed_engine_refuses_calls(make_engine):
    engine = make_engine()
    sink = engine.sink
    engine.close()
    engine.close()
    assert engine.closed and sink.handle is None
    with pytest.raises(RuntimeError):
        engine.call(LOGIN, {"token": "t"})


def test_raw_exports(library):
    result = ctypes.create_string_buffer(velmo_kiv.RESULT_BUFFER_SIZE)
    param = velmo_kiv.ApiParam(apiName=LOGIN.encode(), resultBuffer=ctypes.cast(
        result, ctypes.POINTER(ctypes.c_char)))
    assert library.CallQuonKivApi(None, ctypes.byref(param)) == velmo_kiv.NULL_ENGINE
    assert result.value == b""

    engine = library.createQuonKivClient(None)
    assert engine
    try:
        assert library.CallQuonKivApi(engine, None) == velmo_kiv.BAD_PARAMS
        assert library.CallQuonKivApi(engine, ctypes.byref(param)) == velmo_kiv.NO_CLIENT
        assert result.value == b"null"
    finally:
        library.destroyQuonKivClient(engine)
    library.DestroyQuonKivEngine(None)
    library.DestroyQuonKivEventHandler(None)

    for code in (0, 1, 6, -12345):
        assert library.getQuonKivErrorReason(code) == library.GetQuonKivErrorReason(code)
        assert library.error_reason(code)
    text, build = library.version()
    assert text and build >= 0
