"""Events from the library as Python objects, and the sink that receives them.

The library calls the sink on SDK threads while it holds its own delivery
lock. The callback therefore only copies the event (name, JSON text, payload
bytes) and hands the copy over; it never lets an exception reach C.
"""

import collections
import ctypes
import functools
import json
import logging
import queue
import threading
import time
import weakref

from . import _native

_callback_thread = threading.local()
# Where an exception raised while handling an event is reported, with its
# traceback; without logging set up, Python prints it on standard error.
log = logging.getLogger("velmo_kiv")


def in_event_callback():
    """True on a thread that is inside the library's event callback right now."""
    return getattr(_callback_thread, "active", False)


class Event:
    """One event, copied out of the library's memory."""

    def __init__(self, name, text, payloads=()):
        self.name = name
        self.text = text
        self.payloads = tuple(payloads)

    @functools.cached_property
    def data(self):
        """The JSON body, parsed on first use (outside the SDK thread)."""
        return json.loads(self.text)

    @property
    def payload(self):
        """The first payload buffer (message events carry one), or None."""
        return self.payloads[0] if self.payloads else None

    def __repr__(self):
        return "Event(%r, %r, %d payload(s))" % (self.name, self.text, len(self.payloads))

    @classmethod
    def copy_from(cls, param):
        """Copies an EventParam; nothing of the result points into library memory."""
        name = _native._text(param.eventName)
        text = ctypes.string_at(param.data, param.dataLength) if param.data else b""
        payloads = []
        if param.buffers and param.bufferLengths:
            for index in range(param.bufferCount):
                address = param.buffers[index]
                length = param.bufferLengths[index]
                payloads.append(ctypes.string_at(address, length) if address and length else b"")
        return cls(name, text.decode("utf-8", "replace"), payloads)


def _report(error):
    try:
        log.error("an event callback raised %s; the event is lost", type(error).__name__,
                  exc_info=(type(error), error, error.__traceback__))
    except BaseException:  # a failing log handler must not reach the library either
        pass


class _Handler:
    """The native event handler, its callback object and who still needs them.

    The library keeps only the handler's address; the CFUNCTYPE object and the
    handle stay alive until every engine it was registered with is destroyed
    and the sink is closed or collected.
    """

    def __init__(self, library, deliver):
        self._library = library
        self._deliver = deliver
        self._lock = threading.Lock()
        self.users = 0
        self.closing = False
        self.errors = 0
        self.last_error = None
        self.dropped = 0
        self.callback = _native.OnEventFn(self._on_event)
        callbacks = _native.HostEventCallbacks(self.callback)  # copied by the library
        self.handle = library.CreateQuonKivEventHandler(ctypes.byref(callbacks))
        if not self.handle:
            raise MemoryError("CreateQuonKivEventHandler failed")

    def _on_event(self, param_ptr):
        _callback_thread.active = True
        try:
            self._deliver(Event.copy_from(param_ptr.contents))
        except queue.Full:
            with self._lock:
                self.dropped += 1
        except BaseException as error:  # nothing may propagate into the library
            with self._lock:
                self.errors += 1
                self.last_error = error
            _report(error)
        finally:
            _callback_thread.active = False

    def retain(self):
        with self._lock:
            if self.handle is None:
                raise RuntimeError("the event sink is closed")
            self.users += 1

    def release(self):
        with self._lock:
            self.users -= 1
            self._destroy_if_unused()

    def close(self):
        with self._lock:
            self.closing = True
            self._destroy_if_unused()

    def _destroy_if_unused(self):
        if self.closing and self.users == 0 and self.handle is not None:
            self._library.DestroyQuonKivEventHandler(self.handle)
            self.handle = None


class EventSink:
    """Receives the library's events: into a queue, or by calling a function.

    target: None (a new queue.Queue), an object with put_nowait (a queue), or a
    callable taking one Event. A callable runs on an SDK thread while the
    library holds its delivery lock: keep it short, and do not create or
    release the client or close the engine from it.
    """

    def __init__(self, target=None, library=None):
        library = _native.load_library(library)
        if target is None:
            target = queue.Queue()
        if hasattr(target, "put_nowait"):
            self.queue = target
            deliver = target.put_nowait
        elif callable(target):
            self.queue = None
            deliver = target
        else:
            raise TypeError("target must be a queue or a callable")
        self._backlog = collections.deque()
        self._handler = _Handler(library, deliver)
        self._finalizer = weakref.finalize(self, self._handler.close)

    @property
    def handle(self):
        """The native handler's address, or None once destroyed."""
        return self._handler.handle

    @property
    def errors(self):
        """How many events raised in the target (the events are lost).

        Each is also logged, with its traceback, to the "velmo_kiv" logger.
        """
        return self._handler.errors

    @property
    def last_error(self):
        return self._handler.last_error

    @property
    def dropped(self):
        """How many events a full bounded queue refused."""
        return self._handler.dropped

    def close(self):
        """Destroys the native handler once no live engine holds it any more."""
        self._finalizer()

    def get(self, timeout=None):
        """The next event of a queue sink; raises queue.Empty on time-out."""
        if self._backlog:
            return self._backlog.popleft()
        return self._own_queue().get(timeout=timeout)

    def wait_for(self, match, timeout=10.0):
        """Waits for the first event matching `match` (an event name or a predicate).

        Events that do not match are kept, in order, for later get/wait_for calls.
        """
        if isinstance(match, str):
            name = match
            match = lambda event: event.name == name  # noqa: E731
        for index, event in enumerate(self._backlog):
            if match(event):
                del self._backlog[index]
                return event
        events = self._own_queue()
        deadline = time.monotonic() + timeout
        while True:
            remaining = deadline - time.monotonic()
            try:
                event = events.get(timeout=max(remaining, 0))
            except queue.Empty:
                seen = [event.name for event in self._backlog]
                raise TimeoutError("no matching event in %.1f s; unmatched: %s" %
                                   (timeout, seen)) from None
            if match(event):
                return event
            self._backlog.append(event)

    def _own_queue(self):
        if self.queue is None:
            raise TypeError("this sink hands events to a function, not a queue")
        return self.queue
