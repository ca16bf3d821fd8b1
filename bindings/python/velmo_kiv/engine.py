"""An engine handle with calls by API name and JSON, and its event sinks."""

import ctypes
import json
import threading
import weakref

from . import _hints, _native
from .events import EventSink, in_event_callback, log
# Return codes of CallQuonKivApi, from the API description.
from .names import BAD_PARAMS, NO_CLIENT, NO_MODULE, NULL_ENGINE, OK, UNKNOWN_API  # noqa: F401

CREATE = "KivClient_create"
RELEASE = "KivClient_release"
# The calls whose buffer is a message payload, with its size in "length".
PAYLOAD_APIS = frozenset({"KivClient_publish_2d36e93", "StreamChannel_publishTopicMessage_a31773e"})


class _EngineState:
    """The native engine and the event handlers registered with it.

    Kept apart from Engine so that the finalizer can destroy it without
    keeping the Engine object alive.
    """

    def __init__(self, library, handle):
        self.library = library
        self.handle = handle
        self.handlers = []
        self.calls = 0
        self.idle = threading.Condition()

    def destroy(self):
        if in_event_callback():
            # Destroying here would wait for the very callback that is running;
            # the engine was collected on an SDK thread, so finish elsewhere.
            threading.Thread(target=self.destroy_now, daemon=False).start()
        else:
            self.destroy_now()

    def destroy_now(self):
        with self.idle:
            self.idle.wait_for(lambda: self.calls == 0)
            handle, self.handle = self.handle, None
            handlers, self.handlers = self.handlers, []
        if handle:
            self.library.DestroyQuonKivEngine(handle)
        # Only now can no callback reach the handlers any more.
        for handler in handlers:
            handler.release()


class Engine:
    """One engine handle: call(name, params, payload) and the events of its client.

    events: None (a new sink with its own queue, `engine.sink.queue`), an
    EventSink to share, or a queue or callable to build a sink around. A sink
    built here is closed with the engine.
    """

    def __init__(self, library=None, events=None):
        self.library = _native.load_library(library)
        if isinstance(events, EventSink):
            self.sink, owned_sink = events, None
        else:
            self.sink = owned_sink = EventSink(events, self.library)
        handle = self.library.CreateQuonKivEngine(None)
        if not handle:
            raise MemoryError("CreateQuonKivEngine failed")
        self._state = _EngineState(self.library, handle)
        # Runs on close(), on collection, or at interpreter exit: engine first,
        # then the event handlers it may still call.
        self._finalizer = weakref.finalize(self, _close, self._state, owned_sink)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    @property
    def closed(self):
        return not self._finalizer.alive

    def close(self):
        """Destroys the engine (releasing its client), then the handlers it used."""
        if in_event_callback():
            raise RuntimeError("an engine cannot be destroyed from an event callback")
        self._finalizer()

    def create_client(self, config=None, sink=None):
        """"KivClient_create" with this engine's sink (or the given one)."""
        params = None if config is None else {"config": config}
        return self.call(CREATE, params, sink or self.sink)

    def call(self, name, params=None, payload=None):
        """Calls one API and returns (code, result).

        params: None, a JSON-serialisable value, or JSON text (str or bytes),
        passed as it is. payload: bytes-like, the message of a publish call (a
        dict's missing "length" is filled in); for "KivClient_create" an
        EventSink instead. result: the parsed result JSON, None when the
        library wrote none, or the text when it is not JSON (a result cut at
        65535 characters).
        """
        if not isinstance(name, str):
            raise TypeError("the API name must be a str")
        if "\0" in name:
            raise ValueError("the API name must not hold NUL characters")
        if name in (CREATE, RELEASE) and in_event_callback():
            raise RuntimeError("%s cannot be called from an event callback" % name)
        handler = None
        buffer_address = None
        payload_buffer = None
        payload_length = 0
        if isinstance(payload, EventSink):
            if name != CREATE:
                raise TypeError("an EventSink is a buffer of %s only" % CREATE)
            handler = payload._handler
            buffer_address = payload.handle
        elif payload is not None:
            if name == CREATE:
                raise TypeError("the buffer of %s must be an EventSink" % CREATE)
            data = memoryview(payload).tobytes()
            payload_length = len(data)
            payload_buffer = ctypes.create_string_buffer(data, max(payload_length, 1))
            buffer_address = ctypes.addressof(payload_buffer)
            if name in PAYLOAD_APIS and isinstance(params, dict):
                params = _with_length(params, payload_length)
        text = _encode(params)

        state = self._state
        with state.idle:
            handle = state.handle
            if handle is None:
                raise RuntimeError("the engine is closed")
            state.calls += 1  # destroy_now waits until no call is in flight
        try:
            if handler is not None:
                # Held before the call: events may arrive before it returns.
                handler.retain()
            code, result = _call(state.library, handle, name, text, buffer_address,
                                 payload_length)
            if name == CREATE:
                _track_handlers(state, handler, code)
        finally:
            with state.idle:
                state.calls -= 1
                state.idle.notify_all()
        if code in (BAD_PARAMS, UNKNOWN_API):
            reason = _hints.explain(name, params, code)
            if reason:
                log.warning("%s answered %d: %s", name, code, reason)
        return code, result

    def version(self):
        return self.library.version()

    def error_reason(self, code):
        return self.library.error_reason(code)


def _close(state, owned_sink):
    state.destroy()
    if owned_sink is not None:
        owned_sink.close()


def _encode(params):
    if params is None:
        return None
    if isinstance(params, str):
        return params.encode("utf-8")
    if isinstance(params, (bytes, bytearray)):
        return bytes(params)
    return json.dumps(params, ensure_ascii=False, allow_nan=False,
                      separators=(",", ":")).encode("utf-8")


def _with_length(params, payload_length):
    """The publish parameters with "length" set, refusing one outside the payload.

    The SDK reads "length" bytes from the payload's address, and the library
    keeps the low 32 bits of an integer: a negative or larger value would read
    past the end of the buffer.
    """
    length = params.get("length")
    if length is None:
        return dict(params, length=payload_length)
    is_number = isinstance(length, (int, float)) and not isinstance(length, bool)
    if is_number and not 0 <= length <= payload_length:
        raise ValueError('"length" %r is outside the %d payload bytes' % (length, payload_length))
    return params


def _call(library, handle, name, text, buffer_address, payload_length):
    result = ctypes.create_string_buffer(_native.RESULT_BUFFER_SIZE)
    param = _native.ApiParam()
    param.apiName = name.encode("utf-8")
    param.params = text
    param.paramsLength = len(text) if text else 0
    param.resultBuffer = ctypes.cast(result, ctypes.POINTER(ctypes.c_char))
    if buffer_address is not None:
        buffers = (ctypes.c_void_p * 1)(buffer_address)
        lengths = (ctypes.c_uint * 1)(payload_length)
        param.buffers = buffers
        param.bufferLengths = lengths
        param.bufferCount = 1
    code = library.CallQuonKivApi(handle, ctypes.byref(param))
    return code, _parse(result.value)


def _parse(raw):
    if not raw:
        return None
    text = raw.decode("utf-8", "replace")
    try:
        return json.loads(text)
    except ValueError:
        return text


def _track_handlers(state, handler, code):
    """Mirrors the library's sink list: "KivClient_create" adds its handler
    (once), or clears the list when it is given none."""
    with state.idle:
        if handler is None:
            released = state.handlers if code == OK else []
            if code == OK:
                state.handlers = []
        elif handler in state.handlers:
            released = [handler]  # listed once by the library: drop the extra hold
        else:
            state.handlers.append(handler)
            released = []
    for old in released:
        old.release()
