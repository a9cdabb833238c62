#!/usr/bin/env python3
"""painted.py X Y PATCH.rgb WIDTH HEIGHT TIMEOUT -- COMMAND...: starts COMMAND and prints the
milliseconds until the screen shows the WIDTHxHEIGHT pixels of PATCH.rgb (raw 8-bit RGB) at (X, Y),
looking every 2 ms; prints "timeout" and exits 1 when they never show. One X connection for all
the looks: a look costs well under a millisecond, so the figure is late by at most a few."""
import ctypes
import subprocess
import sys
import time


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int)]


def main():
    x, y = int(sys.argv[1]), int(sys.argv[2])
    with open(sys.argv[3], "rb") as f:
        want = f.read()
    width, height, timeout = int(sys.argv[4]), int(sys.argv[5]), float(sys.argv[6])
    command = sys.argv[sys.argv.index("--") + 1:]

    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XGetImage.restype = ctypes.POINTER(XImage)
    x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                              ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    x11.XFree.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(None)
    if not display:
        print("no display", file=sys.stderr)
        return 2
    root = x11.XDefaultRootWindow(display)
    all_planes, z_pixmap = 0xFFFFFFFF, 2

    def shows():
        image = x11.XGetImage(display, root, x, y, width, height, all_planes, z_pixmap)
        if not image:
            return False
        im = image.contents
        if im.bits_per_pixel != 32:
            raise SystemExit("a 24-bit screen of 32-bit pixels is needed")
        got = bytearray()
        for row in range(height):
            line = ctypes.string_at(ctypes.addressof(im.data.contents) + row * im.bytes_per_line,
                                    width * 4)
            for col in range(width):
                b, g, r = line[col * 4], line[col * 4 + 1], line[col * 4 + 2]
                got += bytes((r, g, b))
        x11.XFree(ctypes.cast(im.data, ctypes.c_void_p))
        x11.XFree(ctypes.cast(image, ctypes.c_void_p))
        return bytes(got) == want

    start = time.monotonic()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    while time.monotonic() - start < timeout:
        if shows():
            print(int((time.monotonic() - start) * 1000))
            return 0
        time.sleep(0.002)
    print("timeout")
    process.poll()
    return 1


if __name__ == "__main__":
    sys.exit(main())
