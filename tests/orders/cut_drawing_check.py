"""Reads the cut drawings of an order run with ezdxf and checks them as a CAM import would.

Usage: cut_drawing_check.py FILE...

Per file prints "file<TAB>PATH<TAB>UNITS<TAB>CONTOURS<TAB>OPEN<TAB>STRAY<TAB>TEXTS": the
drawing's $INSUNITS, the closed contours found on OUTER_CONTOURS and INNER_CONTOURS (lines and
arcs chained by their ends, ends meeting within 1e-6 mm; a circle is a contour), the ends that
meet no other end or more than one, the entities on a layer other than the four named ones,
and the labels. Exits 1 when a file cannot be read.
"""
import math
import sys

import ezdxf

MEET = 1e-6  # mm: full-precision ends meet far closer; six digits would miss by 1e-3
LAYERS = {"OUTER_CONTOURS", "INNER_CONTOURS", "LABELS", "PLATE"}


def ends_of(entity):
    if entity.dxftype() == "LINE":
        return [(entity.dxf.start.x, entity.dxf.start.y), (entity.dxf.end.x, entity.dxf.end.y)]
    c, r = entity.dxf.center, entity.dxf.radius
    return [(c.x + r * math.cos(math.radians(a)), c.y + r * math.sin(math.radians(a)))
            for a in (entity.dxf.start_angle, entity.dxf.end_angle)]


def check(path):
    doc = ezdxf.readfile(path)
    units = doc.header.get("$INSUNITS", 0)
    stray = texts = circles = 0
    ends = []
    for entity in doc.modelspace():
        layer = entity.dxf.layer
        if layer not in LAYERS:
            stray += 1
            continue
        kind = entity.dxftype()
        if kind == "TEXT":
            texts += 1
        elif layer in ("OUTER_CONTOURS", "INNER_CONTOURS"):
            if kind == "CIRCLE":
                circles += 1
            elif kind in ("LINE", "ARC"):
                index = len(ends) // 2
                for p in ends_of(entity):
                    ends.append((p, index))
            else:
                stray += 1
    # Ends on a grid of cells the size of the tolerance; neighbours looked up around each.
    cells = {}
    for i, (p, _) in enumerate(ends):
        cells.setdefault((math.floor(p[0] / MEET), math.floor(p[1] / MEET)), []).append(i)
    partner = {}
    faulty = 0
    for i, (p, _) in enumerate(ends):
        cx, cy = math.floor(p[0] / MEET), math.floor(p[1] / MEET)
        near = [j for dx in (-1, 0, 1) for dy in (-1, 0, 1) for j in cells.get((cx + dx, cy + dy), [])
                if j != i and math.hypot(ends[j][0][0] - p[0], ends[j][0][1] - p[1]) <= MEET]
        if len(near) != 1:
            faulty += 1
        else:
            partner[i] = near[0]
    # Contours: entities joined through their meeting ends.
    parent = list(range(len(ends) // 2))

    def root(a):
        while parent[a] != a:
            parent[a] = parent[parent[a]]
            a = parent[a]
        return a

    for i, j in partner.items():
        parent[root(ends[i][1])] = root(ends[j][1])
    contours = len({root(e) for e in range(len(parent))}) + circles
    print(f"file\t{path}\t{units}\t{contours}\t{faulty}\t{stray}\t{texts}")


def main(paths):
    status = 0
    for path in paths:
        try:
            check(path)
        except (IOError, ezdxf.DXFError) as error:
            print(f"error\t{path}\t{error}")
            status = 1
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
