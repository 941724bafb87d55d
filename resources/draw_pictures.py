#!/usr/bin/env python3
"""Draws the view's pictures and the program icon as 16-colour XPM files.

The XPM files in this folder are what the program compiles in; this script is
how they were made.  The view's pictures come in two sizes: as laid out, and
drawn at twice that size (NAME-2x.xpm) for denser screens.  Run it from anywhere after changing a drawing:
    python3 resources/draw_pictures.py
"""

import os

# The sixteen colours of the classic palette, one XPM character each.
PALETTE = {
    "k": "#000000",  # black
    "r": "#800000",  # maroon
    "g": "#008000",  # green
    "o": "#808000",  # olive
    "n": "#000080",  # navy
    "p": "#800080",  # purple
    "t": "#008080",  # teal
    "s": "#C0C0C0",  # silver
    "d": "#808080",  # grey
    "R": "#FF0000",  # red
    "G": "#00FF00",  # lime
    "Y": "#FFFF00",  # yellow
    "B": "#0000FF",  # blue
    "M": "#FF00FF",  # magenta
    "C": "#00FFFF",  # cyan
    "w": "#FFFFFF",  # white
}


class Pic:
    """A picture drawn in the coordinates of its single-size version.

    With scale 2 every pixel of the drawing is a 2 x 2 block, and lines,
    discs and arcs are drawn at the finer grid: smoother, with the same
    weight, rather than the single-size picture stretched.
    """

    def __init__(self, width, height, background="w", scale=1):
        self.s = scale
        self.w = width * scale
        self.h = height * scale
        self.px = [[background] * self.w for _ in range(self.h)]

    def dev(self, x, y, c):
        """One pixel of the picture as drawn (device pixels)."""
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def pen(self, x, y, c):
        """A point of the pen: one drawing pixel wide, at device (x, y)."""
        for dy in range(self.s):
            for dx in range(self.s):
                self.dev(x + dx, y + dy, c)

    def put(self, x, y, c):
        self.pen(x * self.s, y * self.s, c)

    def rect(self, x0, y0, x1, y1, c):
        """Filled rectangle, corners included."""
        for y in range(y0 * self.s, (y1 + 1) * self.s):
            for x in range(x0 * self.s, (x1 + 1) * self.s):
                self.dev(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.put(x, y0, c)
            self.put(x, y1, c)
        for y in range(y0, y1 + 1):
            self.put(x0, y, c)
            self.put(x1, y, c)

    def bevel(self, x0, y0, x1, y1, light, dark):
        """Raised edge: light top and left, dark bottom and right."""
        for x in range(x0, x1 + 1):
            self.put(x, y0, light)
            self.put(x, y1, dark)
        for y in range(y0, y1 + 1):
            self.put(x0, y, light)
            self.put(x1, y, dark)

    def line(self, x0, y0, x1, y1, c):
        s = self.s
        x0, y0, x1, y1 = x0 * s, y0 * s, x1 * s, y1 * s
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx = 1 if x0 < x1 else -1
        sy = 1 if y0 < y1 else -1
        err = dx + dy
        while True:
            self.pen(x0, y0, c)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def disc(self, cx, cy, r, c):
        s = self.s
        for y in range((cy - r) * s, (cy + r + 1) * s):
            for x in range((cx - r) * s, (cx + r + 1) * s):
                fx = (x + 0.5) / s - 0.5
                fy = (y + 0.5) / s - 0.5
                if (fx - cx) ** 2 + (fy - cy) ** 2 <= r * r + r:
                    self.dev(x, y, c)

    def round_rect(self, x0, y0, x1, y1, c, edge):
        """Filled rectangle with its corner pixels cut and an outline."""
        self.rect(x0, y0, x1, y1, c)
        self.frame(x0, y0, x1, y1, edge)
        for x, y in ((x0, y0), (x1, y0), (x0, y1), (x1, y1)):
            self.put(x, y, "w")
        self.put(x0 + 1, y0 + 1, edge)
        self.put(x1 - 1, y0 + 1, edge)
        self.put(x0 + 1, y1 - 1, edge)
        self.put(x1 - 1, y1 - 1, edge)

    def glyph(self, x, y, rows, c):
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch == "#":
                    self.put(x + dx, y + dy, c)

    def xpm(self, name):
        used = sorted({c for row in self.px for c in row})
        lines = [
            "/* XPM */",
            "static const char* const %s[] = {" % name,
            '"%d %d %d 1",' % (self.w, self.h, len(used)),
        ]
        lines += ['"%s c %s",' % (c, PALETTE[c]) for c in used]
        lines += ['"%s",' % "".join(row) for row in self.px]
        lines[-1] = lines[-1].rstrip(",")
        lines.append("};")
        return "\n".join(lines) + "\n"


def host(scale=1):
    """A desktop PC: monitor on a flat system unit, keyboard in front."""
    p = Pic(72, 96, scale=scale)
    # Monitor casing with a bevel, the screen inside it.
    p.round_rect(6, 2, 65, 50, "s", "k")
    p.bevel(7, 3, 64, 49, "w", "d")
    p.rect(11, 7, 60, 42, "k")
    p.rect(12, 8, 59, 41, "n")
    # A few lines of text on the screen and a cursor.
    for y, length in ((11, 30), (14, 38), (17, 22), (20, 34), (23, 16), (26, 28)):
        p.rect(15, y, 15 + length, y, "C")
    p.rect(15, 30, 17, 31, "w")
    # Power light and brand strip under the screen.
    p.rect(56, 45, 58, 46, "G")
    p.rect(14, 45, 30, 45, "d")
    # Neck and foot of the monitor.
    p.rect(30, 51, 41, 53, "d")
    p.frame(30, 51, 41, 53, "k")
    p.rect(22, 54, 49, 55, "s")
    p.frame(22, 54, 49, 55, "k")
    # System unit: a flat desktop case.
    p.round_rect(2, 56, 69, 74, "s", "k")
    p.bevel(3, 57, 68, 73, "w", "d")
    # Two floppy drives and a hard-disk light, power switch on the right.
    for y in (60, 66):
        p.rect(8, y, 31, y + 3, "d")
        p.frame(8, y, 31, y + 3, "k")
        p.rect(12, y + 1, 27, y + 1, "k")
        p.rect(29, y + 2, 30, y + 2, "s")
    p.rect(40, 62, 42, 63, "R")
    p.rect(46, 62, 48, 63, "G")
    p.rect(58, 60, 64, 69, "d")
    p.frame(58, 60, 64, 69, "k")
    p.rect(60, 62, 62, 67, "s")
    # Keyboard, slightly wider at the front.
    for i, y in enumerate(range(78, 93)):
        inset = max(0, 4 - i // 3)
        p.rect(2 + inset, y, 69 - inset, y, "s")
    p.line(6, 78, 2, 92, "k")
    p.line(65, 78, 69, 92, "k")
    p.rect(6, 77, 65, 77, "k")
    p.rect(2, 93, 69, 93, "k")
    p.rect(3, 94, 68, 94, "d")
    # Rows of keys.
    for row, y in enumerate((80, 83, 86)):
        start = 9 - row
        for x in range(start, 62 + row, 4):
            p.rect(x, y, x + 2, y + 1, "w")
            p.put(x + 2, y + 1, "d")
    p.rect(20, 89, 51, 90, "w")  # space bar
    p.rect(21, 90, 51, 90, "d")
    # The cable from the back of the case towards the base, off the right edge.
    p.line(69, 70, 71, 70, "k")
    p.line(69, 71, 71, 71, "k")
    return p


def arc(p, cx, cy, r, c, half_angle=40):
    """Both side arcs of a radio wave of radius r around (cx, cy)."""
    import math
    s = p.s
    steps = 4 * r * s
    for i in range(-steps, steps + 1):
        a = math.radians(half_angle) * i / steps
        dx = round(r * s * math.cos(a))
        dy = round(r * s * math.sin(a))
        p.pen(cx * s + dx, cy * s + dy, c)
        p.pen(cx * s - dx, cy * s + dy, c)


def base(scale=1):
    """A base station: a box with a display, an antenna, a cable on the left.

    The three columns on the right stay white: the property texts start there.
    """
    p = Pic(44, 64, scale=scale)
    # Antenna: a whip on a mount, tip ball at the top, waves around the tip.
    p.rect(30, 4, 31, 20, "k")
    p.disc(30, 4, 2, "k")
    p.put(30, 3, "d")
    p.rect(28, 18, 33, 21, "d")
    p.frame(28, 18, 33, 21, "k")
    arc(p, 30, 4, 5, "B")
    arc(p, 30, 4, 8, "B")
    # The box.
    p.round_rect(7, 22, 40, 62, "s", "k")
    p.bevel(8, 23, 39, 61, "w", "d")
    # The display where the base number is written (white on dark).
    p.rect(10, 32, 29, 52, "k")
    p.rect(11, 33, 28, 51, "n")
    # Lights and vents on the right.
    p.rect(32, 27, 33, 28, "G")
    p.rect(35, 27, 36, 28, "Y")
    for y in range(33, 52, 3):
        p.rect(32, y, 37, y, "d")
    p.rect(11, 26, 29, 28, "d")  # label strip
    p.rect(11, 56, 37, 57, "d")  # foot line
    # Cable: from a socket on the left side of the box, drooping and leaving
    # the picture at its left edge, towards the PC.
    p.rect(4, 42, 6, 47, "d")
    p.frame(4, 42, 6, 47, "k")
    for x, y in ((3, 44), (2, 45), (1, 46), (0, 47)):
        p.rect(x, y, x, y + 1, "k")
    return p


def terminal(scale=1):
    """A handheld terminal: antenna, screen, keypad."""
    p = Pic(32, 88, scale=scale)
    # Antenna stub on the top right.
    p.rect(22, 1, 25, 16, "k")
    p.rect(23, 2, 24, 15, "d")
    p.rect(21, 0, 26, 1, "k")
    # Body.
    p.round_rect(2, 15, 29, 87, "d", "k")
    p.bevel(3, 16, 28, 86, "s", "k")
    # Screen, where the terminal number is written (white on dark).
    p.rect(5, 26, 26, 51, "k")
    p.rect(6, 27, 25, 50, "t")
    p.rect(7, 28, 24, 49, "n")
    # Light and speaker slot above the screen.
    p.rect(6, 20, 8, 21, "G")
    p.rect(12, 20, 25, 20, "k")
    p.rect(12, 22, 25, 22, "k")
    # Keypad: four rows of three keys, the trigger keys above them.
    p.rect(6, 55, 13, 57, "Y")
    p.frame(6, 55, 13, 57, "k")
    p.rect(18, 55, 25, 57, "Y")
    p.frame(18, 55, 25, 57, "k")
    for row in range(4):
        y = 61 + row * 6
        for col in range(3):
            x = 6 + col * 7
            p.rect(x, y, x + 5, y + 3, "s")
            p.frame(x, y, x + 5, y + 3, "k")
            p.put(x + 1, y + 1, "w")
    return p


def icon(size):
    """The program icon: "RF" under an antenna sending waves."""
    p = Pic(size, size)
    if size == 32:
        p.rect(0, 0, 31, 31, "n")
        p.frame(0, 0, 31, 31, "k")
        # Antenna and waves in the upper half.
        p.rect(15, 6, 16, 15, "Y")
        p.rect(13, 15, 18, 16, "Y")
        p.disc(15, 5, 2, "Y")
        arc(p, 15, 5, 6, "C")
        arc(p, 15, 5, 10, "C")
        r_glyph = ["#####.", "##..##", "##..##", "#####.", "##.##.", "##..##", "##..##"]
        f_glyph = ["######", "##....", "##....", "#####.", "##....", "##....", "##...."]
        p.glyph(7, 19, r_glyph, "w")
        p.glyph(18, 19, f_glyph, "w")
        p.rect(3, 28, 28, 28, "R")
    else:
        p.rect(0, 0, 15, 15, "n")
        p.frame(0, 0, 15, 15, "k")
        p.rect(7, 2, 8, 6, "Y")
        p.put(4, 3, "C")
        p.put(4, 4, "C")
        p.put(11, 3, "C")
        p.put(11, 4, "C")
        r_glyph = ["###.", "#..#", "###.", "#.#.", "#..#"]
        f_glyph = ["####", "#...", "###.", "#...", "#..."]
        p.glyph(2, 8, r_glyph, "w")
        p.glyph(9, 8, f_glyph, "w")
        p.rect(2, 14, 13, 14, "R")
    return p


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    pictures = {
        "host.xpm": (host(), "host_xpm"),
        "base.xpm": (base(), "base_xpm"),
        "terminal.xpm": (terminal(), "terminal_xpm"),
        # For screens of more than 96 dots per inch.
        "host-2x.xpm": (host(2), "host_2x_xpm"),
        "base-2x.xpm": (base(2), "base_2x_xpm"),
        "terminal-2x.xpm": (terminal(2), "terminal_2x_xpm"),
        "rf32.xpm": (icon(32), "rf32_xpm"),
        "rf16.xpm": (icon(16), "rf16_xpm"),
    }
    for file, (pic, name) in pictures.items():
        with open(os.path.join(here, file), "w") as out:
            out.write(pic.xpm(name))


if __name__ == "__main__":
    main()
