"""The library's C surface for ctypes: the records, the eleven exports, loading.

Every export is a plain cdecl function, so the library is opened with
ctypes.CDLL (not WinDLL) on every platform.
"""

import ctypes
import ctypes.util
import os
import threading

LIBRARY_ENV = "VELMO_KIV_LIBRARY"
RESULT_BUFFER_SIZE = 65536


class ApiParam(ctypes.Structure):
    """One call, filled by the host; the engine writes the result buffer."""

    _fields_ = [
        ("apiName", ctypes.c_char_p),
        ("params", ctypes.c_char_p),
        ("paramsLength", ctypes.c_uint),
        ("resultBuffer", ctypes.POINTER(ctypes.c_char)),
        ("buffers", ctypes.POINTER(ctypes.c_void_p)),
        ("bufferLengths", ctypes.POINTER(ctypes.c_uint)),
        ("bufferCount", ctypes.c_uint),
    ]


class EventParam(ctypes.Structure):
    """One event; its memory is valid only while the callback runs."""

    _fields_ = [
        ("eventName", ctypes.c_char_p),
        # Read with dataLength rather than as a NUL-terminated text.
        ("data", ctypes.c_void_p),
        ("dataLength", ctypes.c_uint),
        ("resultBuffer", ctypes.c_void_p),
        ("buffers", ctypes.POINTER(ctypes.c_void_p)),
        ("bufferLengths", ctypes.POINTER(ctypes.c_uint)),
        ("bufferCount", ctypes.c_uint),
    ]


OnEventFn = ctypes.CFUNCTYPE(None, ctypes.POINTER(EventParam))


class HostEventCallbacks(ctypes.Structure):
    _fields_ = [("onEvent", OnEventFn)]


CreateKivClientFn = ctypes.CFUNCTYPE(ctypes.c_void_p, ctypes.c_void_p, ctypes.POINTER(ctypes.c_int))


class KivProcTable(ctypes.Structure):
    """The SDK client factory; must outlive every engine created with it."""

    _fields_ = [("createKivClient", CreateKivClientFn)]


_PROTOTYPES = {
    "CreateQuonKivEngine": (ctypes.c_void_p, [ctypes.c_void_p]),
    "CreateQuonKivEngineWithProcTable": (ctypes.c_void_p, [ctypes.POINTER(KivProcTable)]),
    "createQuonKivClient": (ctypes.c_void_p, [ctypes.c_void_p]),
    "DestroyQuonKivEngine": (None, [ctypes.c_void_p]),
    "destroyQuonKivClient": (None, [ctypes.c_void_p]),
    "CallQuonKivApi": (ctypes.c_int, [ctypes.c_void_p, ctypes.POINTER(ApiParam)]),
    "CreateQuonKivEventHandler": (ctypes.c_void_p, [ctypes.POINTER(HostEventCallbacks)]),
    "DestroyQuonKivEventHandler": (None, [ctypes.c_void_p]),
    "GetQuonKivErrorReason": (ctypes.c_char_p, [ctypes.c_int]),
    "getQuonKivErrorReason": (ctypes.c_char_p, [ctypes.c_int]),
    "GetQuonKivVersion": (ctypes.c_char_p, [ctypes.POINTER(ctypes.c_int)]),
}
EXPORT_NAMES = tuple(_PROTOTYPES)


class LibraryNotFound(OSError):
    pass


class Library:
    """The loaded library with its eleven exports declared."""

    def __init__(self, path):
        self.path = path
        if os.name == "nt" and hasattr(os, "add_dll_directory"):
            # The SDK's DLL sits beside the library's.
            os.add_dll_directory(os.path.dirname(os.path.abspath(path)))
        self.dll = ctypes.CDLL(path)
        for name, (restype, argtypes) in _PROTOTYPES.items():
            function = getattr(self.dll, name)
            function.restype = restype
            function.argtypes = argtypes
            setattr(self, name, function)

    def version(self):
        """The SDK's version text and build number."""
        build = ctypes.c_int(0)
        text = self.GetQuonKivVersion(ctypes.byref(build))
        return _text(text), build.value

    def error_reason(self, code):
        return _text(self.GetQuonKivErrorReason(int(code)))


def _text(raw):
    return "" if raw is None else raw.decode("utf-8", "replace")


_loaded = {}
_loaded_lock = threading.Lock()


def library_path(path=None):
    """The library to load: the given path, else $VELMO_KIV_LIBRARY, else the system's search."""
    if path:
        return os.fspath(path)
    from_env = os.environ.get(LIBRARY_ENV)
    if from_env:
        return from_env
    found = ctypes.util.find_library("VelmoKivWrapper")
    if found:
        return found
    raise LibraryNotFound(
        "VelmoKivWrapper not found: pass its path or set %s to it" % LIBRARY_ENV)


def load_library(path=None):
    """Loads the library once per path and returns the same Library afterwards."""
    if isinstance(path, Library):
        return path
    resolved = library_path(path)
    key = os.path.abspath(resolved) if os.path.sep in resolved else resolved
    with _loaded_lock:
        library = _loaded.get(key)
        if library is None:
            library = Library(resolved)
            _loaded[key] = library
        return library
