"""Reads DXF drawings with ezdxf and checks that the cut contours on one layer are closed.

Usage: dxf_contours.py LAYER STRICT PLATE FILE...

For every LINE and ARC on LAYER, both ends are taken as ezdxf computes them from what the
file says (centre, radius and angles for an arc). Ends that lie within a small distance of
each other meet. A contour is closed when every end meets another end: an end that meets
none is an open end, a gap the cutter would leave. With STRICT 1 every end must meet exactly
one other end (parts kept apart by a gap never share a corner); with STRICT 0 parts may touch
at a corner, so ends only need to meet in even numbers. An entity written twice (the same
type and the same figures) is reported too: the cutter would cut that edge twice and the
other half of its contour would be missing. Without a gap two parts may share a straight
edge, so with STRICT 0 only arcs written twice count. With PLATE 1 the drawing's layer 0
holds the plate outline (a layout drawing): parts parked off the plate may lie on top of each
other, so there the ends only need to meet in even numbers and repeats are not counted.

Prints per file: "file<TAB>PATH<TAB>ENTITIES<TAB>OPEN<TAB>DUPLICATES", then one line
"open<TAB>X<TAB>Y<TAB>MEETS" per faulty end and "duplicate<TAB>TYPE<TAB>FIGURES" per repeat.
Exits 1 when a file cannot be read.
"""
import collections
import math
import sys

import ezdxf

# Numbers in the drawings keep six significant digits: an arc's end worked out from its
# rounded centre and angles lands up to about 1e-5 of the coordinates' size from the
# rounded vertex a line ends in.
ABSOLUTE_SLACK = 1e-3
RELATIVE_SLACK = 2e-5


def ends_of(entity):
    if entity.dxftype() == "LINE":
        return [(entity.dxf.start.x, entity.dxf.start.y), (entity.dxf.end.x, entity.dxf.end.y)]
    centre, radius = entity.dxf.center, entity.dxf.radius
    ends = []
    for degrees in (entity.dxf.start_angle, entity.dxf.end_angle):
        angle = math.radians(degrees)
        ends.append((centre.x + radius * math.cos(angle), centre.y + radius * math.sin(angle)))
    return ends


def key_of(entity):
    if entity.dxftype() == "LINE":
        a = (round(entity.dxf.start.x, 6), round(entity.dxf.start.y, 6))
        b = (round(entity.dxf.end.x, 6), round(entity.dxf.end.y, 6))
        return ("LINE",) + min(a, b) + max(a, b)
    return ("ARC", round(entity.dxf.center.x, 6), round(entity.dxf.center.y, 6),
            round(entity.dxf.radius, 6), round(entity.dxf.start_angle % 360, 6),
            round(entity.dxf.end_angle % 360, 6))


def check(path, layer, strict, plate):
    doc = ezdxf.readfile(path, encoding="gbk")
    entities = [e for e in doc.modelspace()
                if e.dxftype() in ("LINE", "ARC") and e.dxf.layer == layer]
    ends = [p for e in entities for p in ends_of(e)]
    size = max([abs(c) for p in ends for c in p] + [1.0])
    slack = ABSOLUTE_SLACK + RELATIVE_SLACK * size
    on_plate = lambda point: True
    if plate:
        corners = [p for e in doc.modelspace()
                   if e.dxftype() == "LINE" and e.dxf.layer == "0" for p in ends_of(e)]
        low_x, high_x = min(p[0] for p in corners), max(p[0] for p in corners)
        low_y, high_y = min(p[1] for p in corners), max(p[1] for p in corners)
        on_plate = lambda point: (low_x - slack <= point[0] <= high_x + slack and
                                  low_y - slack <= point[1] <= high_y + slack)
    keys = collections.Counter(
        key_of(e) for e in entities
        if (strict or e.dxftype() == "ARC") and all(on_plate(p) for p in ends_of(e)))
    duplicates = [k for k, n in keys.items() if n > 1]
    cells = collections.defaultdict(list)
    for i, (x, y) in enumerate(ends):
        cells[(math.floor(x / slack), math.floor(y / slack))].append(i)
    faults = []
    for i, (x, y) in enumerate(ends):
        cx, cy = math.floor(x / slack), math.floor(y / slack)
        meets = 0
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                for j in cells.get((cx + dx, cy + dy), ()):
                    if j != i and math.hypot(ends[j][0] - x, ends[j][1] - y) <= slack:
                        meets += 1
        exactly_one = strict and on_plate((x, y))
        if meets == 0 or (exactly_one and meets != 1) or (not exactly_one and meets % 2 == 0):
            faults.append((x, y, meets))
    print(f"file\t{path}\t{len(entities)}\t{len(faults)}\t{len(duplicates)}")
    for x, y, meets in faults[:20]:
        print(f"open\t{x:.6f}\t{y:.6f}\t{meets}")
    for k in duplicates[:20]:
        print("duplicate\t" + "\t".join(str(v) for v in k))


def main(arguments):
    layer, strict, plate = arguments[0], arguments[1] == "1", arguments[2] == "1"
    for path in arguments[3:]:
        try:
            check(path, layer, strict, plate)
        except Exception as error:  # any failure to read is the finding
            print(f"error\t{path}\t{error}")
            return 1
    return 0


if __name__ == "__main__":
    sys.stdout.reconfigure(encoding="utf-8", errors="surrogateescape")
    sys.exit(main(sys.argv[1:]))
