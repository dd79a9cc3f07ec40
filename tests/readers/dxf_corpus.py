"""Writes a corpus of part drawings the way CAD programs save them (ezdxf) into a folder,
with the true area, box and hole count of every part computed apart from platenest
(shapely), in corpus.json. Each drawing's name starts with its kind."""
import json
import math
import os
import sys

import ezdxf
from ezdxf import bbox  # noqa: F401  (ezdxf's own tools are not used for the truth)
from shapely import affinity
from shapely.geometry import Point, Polygon, box
from shapely.ops import unary_union

OUT = sys.argv[1]
os.makedirs(OUT, exist_ok=True)
truth = {}


def disc(x, y, r):
    return Point(x, y).buffer(r, 512)


def record(name, shapes=None, refused=None):
    if refused is not None:
        truth[name] = {"refused": refused}
        return
    parts = []
    for s in shapes:
        b = s.bounds
        parts.append({"area": s.area, "box": [b[0], b[1], b[2], b[3]],
                      "holes": len(s.interiors), "perimeter": s.length})
    parts.sort(key=lambda p: (p["box"][0], p["box"][1]))
    truth[name] = {"parts": parts}


def new(version="R2010", units=4):
    doc = ezdxf.new(version)
    doc.units = units
    return doc, doc.modelspace()


def rect_points(x, y, w, h):
    return [(x, y), (x + w, y), (x + w, y + h), (x, y + h)]


# Polylines: a plate with circle holes and a rectangular cut-out, all LWPOLYLINE/CIRCLE.
doc, msp = new()
msp.add_lwpolyline(rect_points(0, 0, 200, 120), close=True)
for x in (30, 100, 170):
    msp.add_circle((x, 90), 10)
msp.add_lwpolyline(rect_points(80, 20, 40, 30), close=True)
doc.saveas(f"{OUT}/polyline-plate-holes.dxf")
shape = box(0, 0, 200, 120).difference(unary_union([disc(x, 90, 10) for x in (30, 100, 170)] +
                                                   [box(80, 20, 120, 50)]))
record("polyline-plate-holes.dxf", [shape])

# Bulges: a rectangle with rounded corners of radius 10, repeated closing point, no flag.
def rounded(msp, x, y, w, h, r, closed_flag=True, lw=True):
    b = math.tan(math.radians(90) / 4)
    pts = [(x + r, y, 0, 0, 0), (x + w - r, y, 0, 0, b), (x + w, y + r, 0, 0, 0),
           (x + w, y + h - r, 0, 0, b), (x + w - r, y + h, 0, 0, 0), (x + r, y + h, 0, 0, b),
           (x, y + h - r, 0, 0, 0), (x, y + r, 0, 0, b)]
    if lw:
        if not closed_flag:
            pts.append(pts[0])
        msp.add_lwpolyline(pts, format="xyseb", close=closed_flag)
    else:
        msp.add_polyline2d([(p[0], p[1], 0, 0, p[4]) for p in pts], format="xyseb",
                           close=closed_flag)


def rounded_shape(x, y, w, h, r):
    return box(x + r, y + r, x + w - r, y + h - r).buffer(r, 512)


doc, msp = new()
rounded(msp, 0, 0, 150, 80, 10)
msp.add_circle((75, 40), 15)
doc.saveas(f"{OUT}/polyline-bulges.dxf")
record("polyline-bulges.dxf", [rounded_shape(0, 0, 150, 80, 10).difference(disc(75, 40, 15))])

doc, msp = new()
rounded(msp, 0, 0, 150, 80, 10, closed_flag=False)
doc.saveas(f"{OUT}/polyline-repeated-closing-point.dxf")
record("polyline-repeated-closing-point.dxf", [rounded_shape(0, 0, 150, 80, 10)])

doc, msp = new("R12")
rounded(msp, 0, 0, 120, 60, 12, lw=False)
msp.add_circle((60, 30), 8)
doc.saveas(f"{OUT}/polyline-r12.dxf")
record("polyline-r12.dxf", [rounded_shape(0, 0, 120, 60, 12).difference(disc(60, 30, 8))])

# Blocks: scaled, turned, mirrored, nested, and a block defined but never used.
def bracket_block(doc, name="BRACKET"):
    blk = doc.blocks.new(name, base_point=(5, 5))
    blk.add_lwpolyline(rect_points(0, 0, 50, 25), close=True)
    blk.add_circle((12, 12), 5)
    return blk


def bracket_shape():
    return box(0, 0, 50, 25).difference(disc(12, 12, 5))


for name, scale, angle in (("block-scaled-2", (2, 2), 0), ("block-turned-30", (1, 1), 30),
                           ("block-mirrored", (-1, 1), 0), ("block-uneven-2x1", (2, 1), 0)):
    doc, msp = new()
    bracket_block(doc)
    unused = doc.blocks.new("UNUSED")
    unused.add_circle((0, 0), 500)
    msp.add_blockref("BRACKET", (100, 100), dxfattribs={"xscale": scale[0], "yscale": scale[1],
                                                          "rotation": angle})
    doc.saveas(f"{OUT}/{name}.dxf")
    s = affinity.translate(bracket_shape(), -5, -5)
    s = affinity.scale(s, scale[0], scale[1], origin=(0, 0))
    s = affinity.rotate(s, angle, origin=(0, 0))
    record(f"{name}.dxf", [affinity.translate(s, 100, 100)])

doc, msp = new()
hole = doc.blocks.new("HOLE")
hole.add_circle((0, 0), 4)
plate = doc.blocks.new("PLATE")
plate.add_lwpolyline(rect_points(0, 0, 100, 60), close=True)
for x in (20, 80):
    plate.add_blockref("HOLE", (x, 30), dxfattribs={"xscale": 2, "yscale": 2})
msp.add_blockref("PLATE", (10, 10), dxfattribs={"rotation": 90})
doc.saveas(f"{OUT}/block-nested.dxf")
s = box(0, 0, 100, 60).difference(unary_union([disc(20, 30, 8), disc(80, 30, 8)]))
record("block-nested.dxf", [affinity.translate(affinity.rotate(s, 90, origin=(0, 0)), 10, 10)])

# Units: inches and metres become millimetres.
for name, units, factor in (("units-inch", 1, 25.4), ("units-metre", 6, 1000.0),
                            ("units-cm", 5, 10.0)):
    doc, msp = new(units=units)
    msp.add_lwpolyline(rect_points(0, 0, 4, 2), close=True)
    msp.add_circle((1, 1), 0.25)
    doc.saveas(f"{OUT}/{name}.dxf")
    record(f"{name}.dxf", [affinity.scale(box(0, 0, 4, 2).difference(disc(1, 1, 0.25)), factor,
                                          factor, origin=(0, 0))])

# Extrusion (0, 0, -1): the circle's centre is mirrored in x.
doc, msp = new()
msp.add_lwpolyline(rect_points(-100, -50, 200, 100), close=True)
msp.add_circle((50, 0), 20, dxfattribs={"extrusion": (0, 0, -1)})
msp.add_arc((0, 30), 10, 0, 180, dxfattribs={"extrusion": (0, 0, -1)})
msp.add_line((-10, 30), (10, 30))
doc.saveas(f"{OUT}/extrusion-mirrored.dxf")
half = Point(0, 30).buffer(10, 512).intersection(box(-10, 30, 10, 40))
record("extrusion-mirrored.dxf",
       [box(-100, -50, 100, 50).difference(unary_union([disc(-50, 0, 20), half]))])

# Curves: an ellipse outline with a hole, a closed spline outline with a hole.
doc, msp = new()
msp.add_ellipse((0, 0), major_axis=(100, 0), ratio=0.5)
msp.add_circle((0, 0), 20)
doc.saveas(f"{OUT}/curve-ellipse.dxf")
ell = affinity.scale(Point(0, 0).buffer(100, 1024), 1, 0.5, origin=(0, 0))
record("curve-ellipse.dxf", [ell.difference(disc(0, 0, 20))])

doc, msp = new()
ctrl = [(0, 0), (100, -20), (160, 40), (120, 110), (30, 120), (-30, 60)]
# Closed: the first three control points repeat at the end over a uniform knot row.
wrapped = ctrl + ctrl[:3]
sp = msp.add_open_spline(wrapped, degree=3, knots=list(range(len(wrapped) + 4)))
msp.add_circle((60, 50), 10)
doc.saveas(f"{OUT}/curve-spline.dxf")
pts = [(v.x, v.y) for v in sp.construction_tool().flattening(0.001)]
record("curve-spline.dxf", [Polygon(pts).difference(disc(60, 50, 10))])

# Several parts: two side by side; a part in the hole of a frame-shaped part.
doc, msp = new()
msp.add_lwpolyline(rect_points(0, 0, 50, 40), close=True)
msp.add_circle((150, 20), 20)
doc.saveas(f"{OUT}/parts-side-by-side.dxf")
record("parts-side-by-side.dxf", [box(0, 0, 50, 40), disc(150, 20, 20)])

doc, msp = new()
msp.add_lwpolyline(rect_points(0, 0, 200, 200), close=True)
msp.add_lwpolyline(rect_points(20, 20, 160, 160), close=True)
msp.add_circle((100, 100), 50)
msp.add_circle((100, 100), 10)
doc.saveas(f"{OUT}/parts-in-a-hole.dxf")
record("parts-in-a-hole.dxf", [box(0, 0, 200, 200).difference(box(20, 20, 180, 180)),
                               disc(100, 100, 50).difference(disc(100, 100, 10))])

# Layers and annotations: dimensions, text, a frame and a centre line are not cut.
doc, msp = new()
for layer in ("FRAME", "CENTER", "DIMENSIONS", "TEXT", "CUT"):
    doc.layers.add(layer)
msp.add_lwpolyline(rect_points(0, 0, 100, 50), close=True, dxfattribs={"layer": "CUT"})
msp.add_lwpolyline(rect_points(-20, -20, 140, 90), close=True, dxfattribs={"layer": "FRAME"})
msp.add_line((50, -10), (50, 60), dxfattribs={"layer": "CENTER"})
msp.add_text("PLATE 5", dxfattribs={"layer": "TEXT", "height": 5}).set_placement((10, 20))
msp.add_point((3, 3))
dim = msp.add_linear_dim(base=(0, 60), p1=(0, 50), p2=(100, 50), dxfattribs={"layer": "DIMENSIONS"})
dim.render()
doc.saveas(f"{OUT}/layers-annotated.dxf")
record("layers-annotated.dxf", [box(0, 0, 100, 50)])

# Joining: a plate of short lines, shuffled and some reversed, with gaps of 0.05 mm.
import random
rng = random.Random(7)
doc, msp = new()
segs = []
n = 50
for i in range(n):
    segs.append(((i * 4.0, 0.0), ((i + 1) * 4.0 - 0.05, 0.0)))
    segs.append(((200.0, i * 2.0), (200.0, (i + 1) * 2.0)))
    segs.append(((200.0 - i * 4.0, 100.0), (200.0 - (i + 1) * 4.0, 100.0)))
    segs.append(((0.0, 100.0 - i * 2.0), (0.0, 100.0 - (i + 1) * 2.0)))
segs.append(((200.0 - 0.05, 0.0), (200.0, 0.0)))
segs.append(((60.0, 40.0), (80.0, 40.0)))  # a duplicated edge of the hole below
rng.shuffle(segs)
for a, b in segs:
    if rng.random() < 0.5:
        a, b = b, a
    msp.add_line(a, b)
msp.add_lwpolyline(rect_points(60, 40, 20, 20), close=True)
doc.saveas(f"{OUT}/join-shuffled-lines.dxf")
record("join-shuffled-lines.dxf", [box(0, 0, 200, 100).difference(box(60, 40, 80, 60))])

# Refusals: each names its reason.
doc, msp = new()
msp.add_lwpolyline([(0, 0), (100, 100), (100, 0), (0, 100)], close=True)
doc.saveas(f"{OUT}/refused-self-crossing.dxf")
record("refused-self-crossing.dxf", refused="crosses itself")

doc, msp = new()
msp.add_lwpolyline(rect_points(0, 0, 100, 50), close=True)
msp.add_circle((100, 25), 10)
doc.saveas(f"{OUT}/refused-hole-crossing.dxf")
record("refused-hole-crossing.dxf", refused="cross")

doc, msp = new()
msp.add_lwpolyline([(0, 0), (150, 0), (150, 80), (0, 80), (0, 1)], close=False)
doc.saveas(f"{OUT}/refused-open-gap.dxf")
record("refused-open-gap.dxf", refused="outline not closed near")

doc, msp = new()
msp.add_lwpolyline(rect_points(0, 0, 100, 50), close=True)
msp.add_circle((50, 25), 1e8)
doc.saveas(f"{OUT}/refused-huge-radius.dxf")
record("refused-huge-radius.dxf", refused="1e+07")

doc, msp = new()
msp.add_lwpolyline(rect_points(0, 0, 100, 50), close=True)
doc.saveas(f"{OUT}/refused-binary.dxf", fmt="bin")
record("refused-binary.dxf", refused="binary DXF is not supported")

with open(f"{OUT}/corpus.json", "w") as f:
    json.dump(truth, f, indent=1)
print(len(truth))
