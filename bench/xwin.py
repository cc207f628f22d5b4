"""The X display as the benchmark sees it: top-level windows, their titles and owners, and
the keys and clicks a user would give them. Plain Xlib and XTest through ctypes, so the
harness needs nothing beyond Python's standard library and the X libraries the display has.
There is no window manager: top-level windows are the root window's mapped children."""

import ctypes
import time
from ctypes import (POINTER, Structure, byref, c_char_p, c_int, c_long, c_uint, c_ulong,
                    c_void_p)

_x11 = ctypes.CDLL("libX11.so.6")
_xtst = ctypes.CDLL("libXtst.so.6")

Window = c_ulong
Atom = c_ulong


class _Attributes(Structure):
    _fields_ = [("x", c_int), ("y", c_int), ("width", c_int), ("height", c_int),
                ("border_width", c_int), ("depth", c_int), ("visual", c_void_p),
                ("root", Window), ("class_", c_int), ("bit_gravity", c_int),
                ("win_gravity", c_int), ("backing_store", c_int), ("backing_planes", c_ulong),
                ("backing_pixel", c_ulong), ("save_under", c_int), ("colormap", c_ulong),
                ("map_installed", c_int), ("map_state", c_int), ("all_event_masks", c_long),
                ("your_event_mask", c_long), ("do_not_propagate_mask", c_long),
                ("override_redirect", c_int), ("screen", c_void_p)]


class _ClientMessage(Structure):
    _fields_ = [("type", c_int), ("serial", c_ulong), ("send_event", c_int),
                ("display", c_void_p), ("window", Window), ("message_type", Atom),
                ("format", c_int), ("data", c_long * 5), ("pad", c_long * 12)]


_ERROR_HANDLER = ctypes.CFUNCTYPE(c_int, c_void_p, c_void_p)


def _ignore_error(_display, _event):
    return 0  # windows come and go between a listing and a look at them


_keep_handler = _ERROR_HANDLER(_ignore_error)

_x11.XOpenDisplay.restype = c_void_p
_x11.XOpenDisplay.argtypes = [c_char_p]
_x11.XDefaultRootWindow.restype = Window
_x11.XDefaultRootWindow.argtypes = [c_void_p]
_x11.XInternAtom.restype = Atom
_x11.XInternAtom.argtypes = [c_void_p, c_char_p, c_int]
_x11.XQueryTree.argtypes = [c_void_p, Window, POINTER(Window), POINTER(Window),
                            POINTER(POINTER(Window)), POINTER(c_uint)]
_x11.XGetWindowAttributes.argtypes = [c_void_p, Window, POINTER(_Attributes)]
_x11.XGetWindowProperty.argtypes = [c_void_p, Window, Atom, c_long, c_long, c_int, Atom,
                                    POINTER(Atom), POINTER(c_int), POINTER(c_ulong),
                                    POINTER(c_ulong), POINTER(c_void_p)]
_x11.XFree.argtypes = [c_void_p]
_x11.XSendEvent.argtypes = [c_void_p, Window, c_int, c_long, c_void_p]
_x11.XSetInputFocus.argtypes = [c_void_p, Window, c_int, c_ulong]
_x11.XRaiseWindow.argtypes = [c_void_p, Window]
_x11.XSync.argtypes = [c_void_p, c_int]
_x11.XFlush.argtypes = [c_void_p]
_x11.XStringToKeysym.restype = c_ulong
_x11.XStringToKeysym.argtypes = [c_char_p]
_x11.XKeysymToKeycode.restype = c_uint
_x11.XKeysymToKeycode.argtypes = [c_void_p, c_ulong]
_x11.XSetErrorHandler.argtypes = [_ERROR_HANDLER]
_xtst.XTestFakeKeyEvent.argtypes = [c_void_p, c_uint, c_int, c_ulong]
_xtst.XTestFakeButtonEvent.argtypes = [c_void_p, c_uint, c_int, c_ulong]
_xtst.XTestFakeMotionEvent.argtypes = [c_void_p, c_int, c_int, c_int, c_ulong]

_KEY_NAMES = {"ctrl": "Control_L", "shift": "Shift_L", "alt": "Alt_L", "enter": "Return"}


class TopLevel:
    """One mapped top-level window at the moment it was listed."""

    def __init__(self, wid, title, pid, x, y, width, height):
        self.wid, self.title, self.pid = wid, title, pid
        self.x, self.y, self.width, self.height = x, y, width, height

    def __repr__(self):
        return f"<0x{self.wid:x} pid={self.pid} {self.width}x{self.height} {self.title!r}>"


class Display:
    def __init__(self, name=None):
        self._d = _x11.XOpenDisplay(name.encode() if name else None)
        if not self._d:
            raise RuntimeError("cannot open the X display")
        _x11.XSetErrorHandler(_keep_handler)
        self._root = _x11.XDefaultRootWindow(self._d)
        atom = lambda n: _x11.XInternAtom(self._d, n.encode(), 0)
        self._net_wm_name, self._wm_name = atom("_NET_WM_NAME"), atom("WM_NAME")
        self._net_wm_pid = atom("_NET_WM_PID")
        self._protocols, self._delete = atom("WM_PROTOCOLS"), atom("WM_DELETE_WINDOW")

    def _property(self, wid, atom):
        kind, fmt = Atom(), c_int()
        count, after, data = c_ulong(), c_ulong(), c_void_p()
        if _x11.XGetWindowProperty(self._d, wid, atom, 0, 4096, 0, 0, byref(kind), byref(fmt),
                                   byref(count), byref(after), byref(data)) != 0:
            return None
        if not data.value:
            return None
        try:
            if fmt.value == 8:
                return ctypes.string_at(data.value, count.value)
            if fmt.value == 32 and count.value:
                return ctypes.cast(data, POINTER(c_ulong))[0]
            return None
        finally:
            _x11.XFree(data)

    def windows(self):
        """Mapped top-level windows that carry a title, in stacking order."""
        root, parent = Window(), Window()
        children, n = POINTER(Window)(), c_uint()
        if not _x11.XQueryTree(self._d, self._root, byref(root), byref(parent),
                               byref(children), byref(n)):
            return []
        wids = [children[i] for i in range(n.value)]
        if children:
            _x11.XFree(children)
        found = []
        for wid in wids:
            attrs = _Attributes()
            if not _x11.XGetWindowAttributes(self._d, wid, byref(attrs)):
                continue
            if attrs.map_state != 2 or attrs.override_redirect:  # IsViewable, no pop-ups
                continue
            raw = self._property(wid, self._net_wm_name) or self._property(wid, self._wm_name)
            if raw is None:
                continue
            pid = self._property(wid, self._net_wm_pid)
            found.append(TopLevel(wid, raw.decode("utf-8", "replace"),
                                  pid if isinstance(pid, int) else None,
                                  attrs.x, attrs.y, attrs.width, attrs.height))
        return found

    def wait(self, test, timeout, interval=0.004):
        """Polls the window list until test(windows) is true; returns (seconds, result)
        counted from the call, or (None, None) when the time runs out."""
        start = time.monotonic()
        while True:
            result = test(self.windows())
            now = time.monotonic()
            if result:
                return now - start, result
            if now - start > timeout:
                return None, None
            time.sleep(interval)

    def close(self, window):
        """Asks the window to close, as a window manager's close box does."""
        event = _ClientMessage(type=33, window=window.wid, message_type=self._protocols,
                               format=32)
        event.data[0], event.data[1] = self._delete, 0
        _x11.XSendEvent(self._d, window.wid, 0, 0, byref(event))
        _x11.XSync(self._d, 0)

    def focus(self, window):
        """Gives the window the keyboard and puts the pointer on it."""
        _x11.XRaiseWindow(self._d, window.wid)
        _x11.XSetInputFocus(self._d, window.wid, 1, 0)  # RevertToPointerRoot, CurrentTime
        _xtst.XTestFakeMotionEvent(self._d, -1, window.x + window.width // 2,
                                   window.y + window.height // 2, 0)
        _x11.XSync(self._d, 0)

    def click(self, x, y):
        _xtst.XTestFakeMotionEvent(self._d, -1, x, y, 0)
        _xtst.XTestFakeButtonEvent(self._d, 1, 1, 0)
        _xtst.XTestFakeButtonEvent(self._d, 1, 0, 0)
        _x11.XSync(self._d, 0)

    def key(self, combo):
        """Presses a combination such as "ctrl+n" or "Return" and lets it go."""
        codes = []
        for part in combo.split("+"):
            sym = _x11.XStringToKeysym(_KEY_NAMES.get(part.lower(), part).encode())
            codes.append(_x11.XKeysymToKeycode(self._d, sym))
        for code in codes:
            _xtst.XTestFakeKeyEvent(self._d, code, 1, 0)
        for code in reversed(codes):
            _xtst.XTestFakeKeyEvent(self._d, code, 0, 0)
        _x11.XSync(self._d, 0)
