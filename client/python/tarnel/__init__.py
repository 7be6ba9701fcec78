"""Attach a simulation to the overhead-panel station and use its fields by name.

    import tarnel
    with tarnel.attach(prefix="") as sim:
        sim["fuel.button3.position"]            # 1 in, 0 out
        sim.set("fuel.button3.upper_lamp", 1)  # light its FAULT lamp
        sim.changes()                           # [(id, old, new), ...] since the last call

A field is named by its id ("fuel.button3.position") or by the control's
legend and the field's role as `tarnel-shm describe` prints them
("L TK PUMP 1 lower lamp OFF"; "fuel:PUMP 2 position" names the panel too).
The layout and unit are the station's unless given. Failures raise
TarnelError with the library's code and text.

A thin ctypes layer over libtarnel-client; $TARNEL_CLIENT_LIBRARY names the
library file when it is not installed.
"""

import ctypes
import ctypes.util
import os

__all__ = ["attach", "find", "fields", "Field", "Simulation", "TarnelError"]

OK, E_ARGUMENT, E_ATTACH, E_VERSION, E_NOT_FOUND, E_AMBIGUOUS, E_STATION_FIELD, E_RANGE, E_DETACHED = range(9)
_TYPES = ("u8", "i16", "u16", "i32", "u32", "f32")


class TarnelError(Exception):
    """A failure of the library: .code (a TARNEL_E_ value) and .text."""

    def __init__(self, code, text):
        super().__init__(text)
        self.code = code
        self.text = text


class _Info(ctypes.Structure):
    _fields_ = [("id", ctypes.c_char_p), ("legend", ctypes.c_char_p), ("role", ctypes.c_char_p),
                ("area", ctypes.c_char_p), ("area_id", ctypes.c_int32), ("layout", ctypes.c_char_p),
                ("unit", ctypes.c_int32), ("offset", ctypes.c_uint32), ("width", ctypes.c_uint32),
                ("type", ctypes.c_int), ("writer", ctypes.c_int), ("station_uses", ctypes.c_int)]


class _Change(ctypes.Structure):
    _fields_ = [("field", ctypes.c_void_p), ("old_value", ctypes.c_double), ("new_value", ctypes.c_double)]


class _Station(ctypes.Structure):
    _fields_ = [("alive", ctypes.c_int), ("running", ctypes.c_int), ("iterations", ctypes.c_uint32)]


def _load():
    # Installed: PREFIX/lib/python3/dist-packages/tarnel beside PREFIX/lib;
    # in the source tree: client/python/tarnel beside build/lib.
    up = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..")
    near = [p for p in (os.path.join(up, "libtarnel-client.so.1"), os.path.join(up, "build", "lib",
                                                                                  "libtarnel-client.so.1"))
            if os.path.exists(p)]
    path = os.environ.get("TARNEL_CLIENT_LIBRARY") or (near[0] if near else None) \
        or ctypes.util.find_library("tarnel-client") or "libtarnel-client.so.1"
    lib = ctypes.CDLL(path)
    p, i, d, sz = ctypes.c_void_p, ctypes.c_int, ctypes.c_double, ctypes.c_size_t
    for name, result, args in (
            ("tarnel_last_error", ctypes.c_char_p, []),
            ("tarnel_attach", i, [ctypes.c_char_p, ctypes.POINTER(p)]),
            ("tarnel_detach", None, [p]),
            ("tarnel_station_status", i, [p, ctypes.c_uint32, ctypes.POINTER(_Station)]),
            ("tarnel_find", i, [ctypes.c_char_p, ctypes.c_char_p, ctypes.c_int32, ctypes.POINTER(p)]),
            ("tarnel_field_count", sz, []),
            ("tarnel_field_at", p, [sz]),
            ("tarnel_field_describe", i, [p, ctypes.POINTER(_Info)]),
            ("tarnel_get", i, [p, p, ctypes.POINTER(d)]),
            ("tarnel_set", i, [p, p, d]),
            ("tarnel_changes", i, [p, ctypes.POINTER(_Change), sz, ctypes.POINTER(sz)])):
        function = getattr(lib, name)
        function.restype = result
        function.argtypes = args
    return lib


_lib = _load()


def _check(status):
    if status != OK:
        raise TarnelError(status, _lib.tarnel_last_error().decode(errors="replace"))


class Field:
    """One field of the interface (see `tarnel-shm describe`)."""

    __slots__ = ("handle", "id", "legend", "role", "area", "area_id", "layout", "unit", "offset", "width",
                 "type", "station_writes", "station_uses")

    def __init__(self, handle):
        info = _Info()
        _check(_lib.tarnel_field_describe(handle, ctypes.byref(info)))
        self.handle = handle
        for name in ("id", "legend", "role", "area", "layout"):
            setattr(self, name, getattr(info, name).decode())
        self.area_id, self.unit, self.offset, self.width = info.area_id, info.unit, info.offset, info.width
        self.type = _TYPES[info.type]
        self.station_writes = info.writer == 1
        self.station_uses = bool(info.station_uses)

    def _value(self, number):
        return number if self.type == "f32" else int(number)

    def __repr__(self):
        return "<tarnel.Field %s %r %s>" % (self.id, self.legend, self.role)


_found = {}


def find(key, layout=None, unit=-1):
    """The field of that id or "legend role", in the station's layout and unit unless given."""
    cached = _found.get((key, layout, unit))
    if cached is None:
        handle = ctypes.c_void_p()
        _check(_lib.tarnel_find(key.encode(), layout.encode() if layout else None, unit, ctypes.byref(handle)))
        cached = _found[(key, layout, unit)] = Field(handle.value)
    return cached


def fields():
    """Every field of every layout and unit, in describe's order."""
    return [Field(_lib.tarnel_field_at(i)) for i in range(_lib.tarnel_field_count())]


class Simulation:
    """An attached client; detach() (or the end of a `with` block) lets go."""

    def __init__(self, prefix=None):
        self._client = ctypes.c_void_p()
        _check(_lib.tarnel_attach(prefix.encode() if prefix is not None else None, ctypes.byref(self._client)))
        self._changes = (_Change * 256)()
        self._fields = {}

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.detach()
        return False

    def __del__(self):
        self.detach()

    def detach(self):
        if getattr(self, "_client", None) and _lib is not None:
            _lib.tarnel_detach(self._client)
            self._client = None

    def _field(self, key, layout=None, unit=-1):
        return key if isinstance(key, Field) else find(key, layout, unit)

    def get(self, key, layout=None, unit=-1):
        field = self._field(key, layout, unit)
        value = ctypes.c_double()
        _check(_lib.tarnel_get(self._client, field.handle, ctypes.byref(value)))
        return field._value(value.value)

    __getitem__ = get

    def set(self, key, value, layout=None, unit=-1):
        """Writes a field the simulation writes; refused (TarnelError) for the station's."""
        field = self._field(key, layout, unit)
        _check(_lib.tarnel_set(self._client, field.handle, float(value)))

    __setitem__ = set

    def changes(self):
        """[(id, old, new)] of the station's outputs that changed since the last call."""
        found = []
        count = ctypes.c_size_t(len(self._changes))
        while count.value == len(self._changes):
            _check(_lib.tarnel_changes(self._client, self._changes, len(self._changes), ctypes.byref(count)))
            for change in self._changes[:count.value]:
                field = self._fields.get(change.field) or self._fields.setdefault(change.field, Field(change.field))
                found.append((field.id, field._value(change.old_value), field._value(change.new_value)))
        return found

    def station(self, wait_ms=200):
        """{"alive": a station holds the segment, "running": its loop runs, "iterations": its count}."""
        status = _Station()
        _check(_lib.tarnel_station_status(self._client, wait_ms, ctypes.byref(status)))
        return {"alive": bool(status.alive), "running": bool(status.running), "iterations": status.iterations}


def attach(prefix=None):
    """Attaches to "/" + prefix + "GenericSimSharedMemory" (prefix None: $TARNEL_SHM_PREFIX)."""
    return Simulation(prefix)
