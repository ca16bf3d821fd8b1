"""Event delivery into Python: copies, threads, exceptions and lifetimes."""

import ctypes
import gc
import os
import queue
import subprocess
import sys
import textwrap
import threading
import weakref

import velmo_kiv
from conftest import APP_ID, LOGIN, LOGIN_RESULT, unique


def test_events_are_copied_out_of_library_memory():
    name = ctypes.create_string_buffer(b"KivEventHandler_onMessageEvent_ce5f8f5")
    data = ctypes.create_string_buffer('{"event":{"publisher":"zoë"}}'.encode())
    first = ctypes.create_string_buffer(bytes(range(256)), 256)
    empty = ctypes.create_string_buffer(1)
    buffers = (ctypes.c_void_p * 3)(ctypes.addressof(first), None, ctypes.addressof(empty))
    lengths = (ctypes.c_uint * 3)(256, 0, 0)
    param = velmo_kiv.EventParam(
        eventName=ctypes.cast(name, ctypes.c_char_p), data=ctypes.addressof(data),
        dataLength=len(data.value), buffers=buffers, bufferLengths=lengths, bufferCount=3)

    event = velmo_kiv.Event.copy_from(param)
    ctypes.memset(first, 0xAA, 256)
    ctypes.memset(data, ord(" "), len(data.value))
    ctypes.memset(name, ord("x"), len(name.value))

    assert event.name == "KivEventHandler_onMessageEvent_ce5f8f5"
    assert event.data == {"event": {"publisher": "zoë"}}
    assert event.payloads == (bytes(range(256)), b"", b"")


def test_events_without_buffers_have_no_payloads():
    data = ctypes.create_string_buffer(b'{"errorCode":0}')
    param = velmo_kiv.EventParam(eventName=b"KivEventHandler_onLoginResult_4f46899",
                                 data=ctypes.addressof(data), dataLength=15, bufferCount=0)
    event = velmo_kiv.Event.copy_from(param)
    assert event.payloads == () and event.payload is None
    assert event.data == {"errorCode": 0}


def create_and_login(engine, user_id):
    assert engine.create_client({"appId": APP_ID, "userId": user_id}) == (
        0, {"result": 0, "errorCode": 0})
    code, result = engine.call(LOGIN, {"token": "token"})
    assert code == 0
    return result["requestId"]


def test_callable_target_runs_on_an_sdk_thread_and_survives_exceptions(make_engine, caplog):
    delivered = queue.Queue()
    calls = []

    def on_event(event):
        calls.append(event.name)
        if len(calls) == 1:
            raise ValueError("a broken host callback")
        delivered.put((event, threading.get_ident()))

    engine = make_engine(events=on_event)
    create_and_login(engine, unique("alice"))
    # The first event raised; the next login result still arrives.
    code, result = engine.call(LOGIN, {"token": "again"})
    assert code == 0
    while True:
        event, thread = delivered.get(timeout=10)
        if event.name == LOGIN_RESULT and event.data["requestId"] == result["requestId"]:
            break
    assert thread != threading.get_ident()
    assert engine.sink.errors == 1
    assert isinstance(engine.sink.last_error, ValueError)
    # Reported with its traceback, not only counted.
    reports = [r for r in caplog.records if r.name == "velmo_kiv" and r.exc_info]
    assert len(reports) == 1
    assert "a broken host callback" in caplog.text and "on_event" in caplog.text


def test_create_from_inside_a_callback_is_refused_not_deadlocked(make_engine):
    outcomes = queue.Queue()
    holder = {}

    def on_event(event):
        try:
            holder["engine"].create_client({"appId": APP_ID, "userId": "again"})
            outcomes.put("called")
        except RuntimeError as error:
            outcomes.put(error)
        try:
            holder["engine"].close()
            outcomes.put("closed")
        except RuntimeError as error:
            outcomes.put(error)

    engine = holder["engine"] = make_engine(events=on_event)
    create_and_login(engine, unique("alice"))
    assert isinstance(outcomes.get(timeout=10), RuntimeError)
    assert isinstance(outcomes.get(timeout=10), RuntimeError)
    assert not engine.closed


def test_callback_objects_outlive_their_python_references(library):
    """Only the engine is kept: the sink, its CFUNCTYPE object and the
    callbacks record must stay alive as long as the library may call them."""
    events = queue.Queue()
    engine = velmo_kiv.Engine(library, events=events)
    sink = weakref.ref(engine.sink)
    gc.collect()
    try:
        request_id = create_and_login(engine, unique("alice"))
        gc.collect()
        event = events.get(timeout=10)
        while not (event.name == LOGIN_RESULT and event.data["requestId"] == request_id):
            event = events.get(timeout=10)
    finally:
        engine.close()
    assert sink().handle is None


def test_a_shared_sink_lives_until_its_last_engine_is_destroyed(make_engine, library):
    sink = velmo_kiv.EventSink(library=library)
    first, second = make_engine(events=sink), make_engine(events=sink)
    first_request = create_and_login(first, unique("alice"))
    second_request = create_and_login(second, unique("bob"))

    sink.close()  # deferred: both engines may still call it
    assert sink.handle is not None
    for request_id in (first_request, second_request):
        sink.wait_for(lambda e: e.name == LOGIN_RESULT and e.data["requestId"] == request_id)

    first.close()
    assert sink.handle is not None
    code, result = second.call(LOGIN, {"token": "again"})
    assert code == 0
    sink.wait_for(lambda e: e.name == LOGIN_RESULT and e.data["requestId"] == result["requestId"])
    second.close()
    assert sink.handle is None


def test_create_without_a_sink_releases_the_registered_ones(make_engine, library):
    sink = velmo_kiv.EventSink(library=library)
    engine = make_engine()
    assert engine.create_client({"appId": APP_ID, "userId": unique("a")}, sink=sink)[0] == 0
    sink.close()
    assert sink.handle is not None
    # No handler buffer: the library clears its sink list, so the sink can go.
    assert engine.call("KivClient_create", {"config": {"appId": APP_ID, "userId": unique("b")}})[
        0] == 0
    assert sink.handle is None


def test_collected_engine_is_destroyed_before_its_sink(library):
    engine = velmo_kiv.Engine(library)
    create_and_login(engine, unique("alice"))
    sink = engine.sink
    del engine
    gc.collect()
    assert sink.handle is None


def test_engine_left_open_is_destroyed_cleanly_at_exit(library):
    """Events still flowing when the interpreter exits must not reach a
    finalised interpreter: the engine is destroyed at exit, before teardown."""
    script = textwrap.dedent("""
        import velmo_kiv
        engine = velmo_kiv.Engine()
        engine.create_client({"appId": "exit-test", "userId": "%s"})
        for i in range(20):
            engine.call("KivClient_login_1fa04dd", {"token": "t%%d" %% i})
        print("leaving with the engine open")
    """ % unique("alice"))
    env = dict(os.environ, PYTHONPATH=os.pathsep.join(sys.path))
    done = subprocess.run([sys.executable, "-c", script], env=env, capture_output=True,
                          text=True, timeout=120)
    assert done.returncode == 0, done.stderr
    assert "leaving with the engine open" in done.stdout


def test_close_waits_for_calls_in_flight(make_engine):
    """Calls racing with close() either complete with a code of the library or
    are refused with RuntimeError; none is made on a destroyed engine."""
    engine = make_engine()
    create_and_login(engine, unique("alice"))
    started = threading.Barrier(5)
    outcomes = queue.Queue()

    def caller():
        started.wait()
        try:
            while True:
                code, _ = engine.call(LOGIN, {"token": "t"})
                outcomes.put(code)
        except RuntimeError:
            outcomes.put("refused")

    threads = [threading.Thread(target=caller) for _ in range(4)]
    for thread in threads:
        thread.start()
    started.wait()
    engine.close()
    for thread in threads:
        thread.join(timeout=30)
        assert not thread.is_alive()
    codes = []
    while not outcomes.empty():
        codes.append(outcomes.get())
    assert codes.count("refused") == 4
    assert set(codes) <= {velmo_kiv.OK, "refused"}
