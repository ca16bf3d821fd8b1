"""A Python host for VelmoKivWrapper over ctypes (standard library only).

    from velmo_kiv import Engine
    with Engine() as engine:
        engine.create_client({"appId": "demo-app", "userId": "alice"})
        code, result = engine.call("KivClient_login_1fa04dd", {"token": "t"})
        event = engine.sink.wait_for("KivEventHandler_onLoginResult_4f46899")

The library is found from the path given as `library`, else from the
environment variable VELMO_KIV_LIBRARY, else by the system's library search.
"""

from ._native import (EXPORT_NAMES, LIBRARY_ENV, RESULT_BUFFER_SIZE, ApiParam, EventParam,
                      HostEventCallbacks, KivProcTable, Library, LibraryNotFound, OnEventFn,
                      load_library)
from .engine import (BAD_PARAMS, CREATE, NO_CLIENT, NO_MODULE, NULL_ENGINE, OK, PAYLOAD_APIS,
                     RELEASE, UNKNOWN_API, Engine)
from .events import Event, EventSink, in_event_callback
from .names import API_NAMES, EVENT_NAMES, Api, EventName

__all__ = [
    "API_NAMES", "Api", "EVENT_NAMES", "EventName", "ApiParam", "BAD_PARAMS", "CREATE", "EXPORT_NAMES", "Engine", "Event", "EventParam",
    "EventSink", "HostEventCallbacks", "KivProcTable", "LIBRARY_ENV", "Library",
    "LibraryNotFound", "NO_CLIENT", "NO_MODULE", "NULL_ENGINE", "OK", "OnEventFn",
    "PAYLOAD_APIS", "RELEASE", "RESULT_BUFFER_SIZE", "UNKNOWN_API", "in_event_callback",
    "load_library",
]
