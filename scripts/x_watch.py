"""Watches a private X display for the measuring scripts, through Xlib
itself (ctypes), without photographing the whole screen: whether a few
pixels show the saver's intro, and when the windows shown now are gone. A
whole screenshot of a large desk at every turn would slow what it times."""

import ctypes
import os

X11 = ctypes.CDLL("libX11.so.6")
X11.XOpenDisplay.restype = ctypes.c_void_p
X11.XOpenDisplay.argtypes = [ctypes.c_char_p]
X11.XDefaultRootWindow.restype = ctypes.c_ulong
X11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
X11.XGetImage.restype = ctypes.c_void_p
X11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                          ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
X11.XGetPixel.restype = ctypes.c_ulong
X11.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
X11.XDestroyImage.argtypes = [ctypes.c_void_p]
X11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
X11.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_void_p] * 4
X11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
X11.XFree.argtypes = [ctypes.c_void_p]
X11.XCloseDisplay.argtypes = [ctypes.c_void_p]
LAVENDER = 0xB4B4FA  # as a 24-bit TrueColor pixel
UNMAP_NOTIFY, DESTROY_NOTIFY, SUBSTRUCTURE_NOTIFY = 18, 17, 1 << 19


class Attributes(ctypes.Structure):
    _fields_ = [(name, ctypes.c_int) for name in ("x", "y", "width", "height", "border", "depth")] + \
        [("visual", ctypes.c_void_p), ("root", ctypes.c_ulong), ("cls", ctypes.c_int),
         ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int),
         ("backing_planes", ctypes.c_ulong), ("backing_pixel", ctypes.c_ulong),
         ("save_under", ctypes.c_int), ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
         ("map_state", ctypes.c_int), ("rest", ctypes.c_long * 8)]


class Event(ctypes.Structure):
    """The fields UnmapNotify and DestroyNotify share, in an XEvent's room."""
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("event", ctypes.c_ulong), ("window", ctypes.c_ulong),
                ("pad", ctypes.c_long * 18)]


X11.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(Attributes)]


class Display:
    def __init__(self, name):
        self.display = X11.XOpenDisplay(name.encode())
        if not self.display:
            raise RuntimeError(f"cannot open {name}")
        self.root = X11.XDefaultRootWindow(self.display)

    def close(self):
        X11.XCloseDisplay(self.display)

    def pixel(self, x, y):
        image = X11.XGetImage(self.display, self.root, x, y, 1, 1, ~0 & (2 ** 64 - 1), 2)  # ZPixmap
        value = X11.XGetPixel(image, 0, 0) & 0xFFFFFF
        X11.XDestroyImage(image)
        return value

    def framed(self, area):
        """Whether nearly every cell of area (left, top, width, height) shows
        the intro's lavender corner."""
        left, top, width, height = area
        return sum(self.pixel(left + col * (width // 8), top + row * (height // 8)) == LAVENDER
                   for col in range(8) for row in range(8)) >= 56

    def watch_shown(self):
        """The windows on the root shown now, from which wait_gone counts."""
        X11.XSelectInput(self.display, self.root, SUBSTRUCTURE_NOTIFY)
        root, parent, children, count = (ctypes.c_ulong(), ctypes.c_ulong(),
                                         ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint())
        X11.XQueryTree(self.display, self.root, ctypes.byref(root), ctypes.byref(parent),
                       ctypes.byref(children), ctypes.byref(count))
        self.shown = set()
        for i in range(count.value):
            attributes = Attributes()
            if X11.XGetWindowAttributes(self.display, children[i], ctypes.byref(attributes)) and \
                    attributes.map_state == 2:  # IsViewable
                self.shown.add(children[i])
        X11.XFree(children)
        return len(self.shown)

    def wait_gone(self):
        """Returns once none of the windows of watch_shown is shown."""
        event = Event()
        while self.shown:
            X11.XNextEvent(self.display, ctypes.byref(event))
            if event.type in (UNMAP_NOTIFY, DESTROY_NOTIFY):
                self.shown.discard(event.window)


def open_display(env):
    return Display(env.get("DISPLAY") or os.environ["DISPLAY"])
