#!/usr/bin/env python3
"""Writes examples/job.txt, the job that `platenest layout` lays out when given no job.

A small order from a steel fabrication shop, cut from one 3000 x 1500 plate with a 5 mm
gap: a base plate with a cut-out, plates with bolt holes, flanges, rings, L brackets with
inside fillets, gussets with weld copes, slotted plates, hexagon pads, ribs with a drain
notch and straps drawn at a slant. Outlines run counterclockwise; holes are circles of two
half arcs, or slots.

Every coordinate is a multiple of 1/16 mm, so it is exact in binary and the chord of a
half arc is exactly twice its radius: the arc check at load accepts every part.

Text part library format: three header lines whose captions are 13, 12 and 14 characters
wide, then one NAME block per part; a contour is a head line "n x0 y0" (n = vertex count
+ 1), a line "r x y" per further vertex (r = radius of the edge ending there: 0 straight,
> 0 counterclockwise, < 0 clockwise) and a last line with the radius of the closing edge.
Lines end with CR LF.
"""

import math
import pathlib

GRID = 16  # coordinates are multiples of 1/GRID mm


def snap(value):
    return round(value * GRID) / GRID


def number(value):
    text = f"{snap(value):.4f}".rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


# A contour is a list of (vertex, radius of the edge from this vertex to the next).
def circle(cx, cy, r):
    return [((cx - r, cy), r), ((cx + r, cy), r)]


def rounded_rectangle(x0, y0, w, h, rc=0.0):
    if rc == 0:
        return [((x0, y0), 0), ((x0 + w, y0), 0), ((x0 + w, y0 + h), 0), ((x0, y0 + h), 0)]
    return [
        ((x0 + rc, y0), 0), ((x0 + w - rc, y0), rc),
        ((x0 + w, y0 + rc), 0), ((x0 + w, y0 + h - rc), rc),
        ((x0 + w - rc, y0 + h), 0), ((x0 + rc, y0 + h), rc),
        ((x0, y0 + h - rc), 0), ((x0, y0 + rc), rc),
    ]


def slot(x1, x2, cy, r):
    """A slot from centre x1 to centre x2 at height cy, as wide as 2 r."""
    return [((x1, cy - r), 0), ((x2, cy - r), r), ((x2, cy + r), 0), ((x1, cy + r), r)]


def l_bracket(a, b, t, fillet):
    """Legs a (along x) and b (along y), t thick, with a fillet in the inside corner."""
    return [
        ((0, 0), 0), ((a, 0), 0), ((a, t), 0), ((t + fillet, t), -fillet),
        ((t, t + fillet), 0), ((t, b), 0), ((0, b), 0),
    ]


def gusset(a, b, cope, chamfer):
    """A triangular gusset with a weld cope in the right-angle corner and snipped tips."""
    return [
        ((cope, 0), 0), ((a, 0), 0), ((a, chamfer), 0), ((chamfer, b), 0),
        ((0, b), 0), ((0, cope), -cope),
    ]


def hexagon(cx, cy, across_corners):
    r = across_corners / 2
    return [((cx + r * math.cos(math.radians(60 * k)), cy + r * math.sin(math.radians(60 * k))), 0)
            for k in range(6)]


def rib(w, h, notch, chamfer):
    """A stiffener rib with a semicircular drain notch in the middle of its lower edge."""
    mid = w / 2
    return [
        ((0, 0), 0), ((mid - notch, 0), -notch), ((mid + notch, 0), 0), ((w, 0), 0),
        ((w, h - chamfer), 0), ((w - chamfer, h), 0), ((chamfer, h), 0), ((0, h - chamfer), 0),
    ]


def strap(length, width, chamfer):
    """A flat bar with its four corners chamfered."""
    return [
        ((chamfer, 0), 0), ((length - chamfer, 0), 0), ((length, chamfer), 0),
        ((length, width - chamfer), 0), ((length - chamfer, width), 0), ((chamfer, width), 0),
        ((0, width - chamfer), 0), ((0, chamfer), 0),
    ]


def turned(contour, degrees):
    """The straight-edged contour turned about the origin, as drawn in its assembly."""
    c, s = math.cos(math.radians(degrees)), math.sin(math.radians(degrees))
    return [((snap(x * c - y * s), snap(x * s + y * c)), r) for (x, y), r in contour]


def turned_circle(cx, cy, r, degrees):
    c, s = math.cos(math.radians(degrees)), math.sin(math.radians(degrees))
    return circle(snap(cx * c - cy * s), snap(cx * s + cy * c), r)


def bolt_circle(cx, cy, pitch_radius, count, hole_radius, start_degrees=0.0):
    holes = []
    for k in range(count):
        angle = math.radians(start_degrees + 360.0 * k / count)
        holes.append(circle(snap(cx + pitch_radius * math.cos(angle)),
                            snap(cy + pitch_radius * math.sin(angle)), hole_radius))
    return holes


def corner_holes(w, h, inset, r):
    return [circle(inset, inset, r), circle(w - inset, inset, r),
            circle(w - inset, h - inset, r), circle(inset, h - inset, r)]


def contour_lines(contour):
    m = len(contour)
    (x0, y0), _ = contour[0]
    lines = [f"{m + 1} {number(x0)} {number(y0)}"]
    for i in range(1, m):
        (x, y), _ = contour[i]
        lines.append(f"{number(contour[i - 1][1])} {number(x)} {number(y)}")
    lines.append(number(contour[m - 1][1]))
    return lines


def parts():
    jobs = []

    def add(name, outer, holes=(), copies=1):
        for k in range(1, copies + 1):
            jobs.append((f"{name}-{k}", outer, list(holes)))

    add("BP1000", rounded_rectangle(0, 0, 1000, 600, 20),
        [circle(x, y, 13) for y in (60, 540) for x in (60, 500, 940)]
        + [rounded_rectangle(350, 225, 300, 150, 20)])
    add("FL300", circle(150, 150, 150),
        [circle(150, 150, 60)] + bolt_circle(150, 150, 115, 6, 9, 30), copies=2)
    add("PL400", rounded_rectangle(0, 0, 400, 300, 10), corner_holes(400, 300, 40, 11), copies=2)
    add("LB400", l_bracket(400, 250, 80, 25), [circle(340, 40, 9), circle(40, 190, 9)], copies=4)
    add("RG360", circle(180, 180, 180), [circle(180, 180, 120)], copies=2)
    add("SL450", rounded_rectangle(0, 0, 450, 160),
        [slot(90, 150, 80, 11), slot(300, 360, 80, 11), circle(225, 40, 9), circle(225, 120, 9)],
        copies=2)
    add("GU300", gusset(300, 250, 30, 20), [circle(70, 60, 9)], copies=4)
    add("PL250", rounded_rectangle(0, 0, 250, 180), corner_holes(250, 180, 30, 9), copies=4)
    add("RB350", rib(350, 120, 35, 20), [circle(70, 70, 9), circle(280, 70, 9)], copies=2)
    add("HX240", hexagon(120, 104, 240), [circle(120, 104, 30)], copies=2)
    # Drawn at 30 degrees as it sits in the assembly; the load turns it square again.
    add("ST500", turned(strap(500, 80, 10), 30),
        [turned_circle(50, 40, 11, 30), turned_circle(450, 40, 11, 30)], copies=2)
    return jobs


def main():
    lines = ["PlateLength: 3000", "PlateWidth: 1500", "PartToPartGap:5"]
    for name, outer, holes in parts():
        lines.append(f"NAME:{name}")
        for contour in [outer] + holes:
            lines.extend(contour_lines(contour))
    lines.append("#end")
    target = pathlib.Path(__file__).resolve().parent.parent / "examples" / "job.txt"
    target.write_bytes(("\r\n".join(lines) + "\r\n").encode("ascii"))
    print(f"wrote {target}: {len(parts())} parts")


if __name__ == "__main__":
    main()
