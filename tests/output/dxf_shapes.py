"""Reads DXF drawings with ezdxf and prints the shape entities of one layer.

Usage: dxf_shapes.py LAYER FILE...  (LAYER "*" takes every layer). For every file one line
"file<TAB>PATH", then one line per LINE, ARC and CIRCLE of the layer, sorted:
"LINE<TAB>length", "ARC<TAB>radius<TAB>sweep" or "CIRCLE<TAB>radius", numbers to 3 decimals.
Exits 1 when a file cannot be read.
"""
import math
import sys

import ezdxf


def main(layer, paths):
    for path in paths:
        try:
            doc = ezdxf.readfile(path, encoding="gbk")
        except Exception as error:  # any failure to read is the finding
            print(f"error\t{path}\t{error}")
            return 1
        print(f"file\t{path}")
        rows = []
        for entity in doc.modelspace():
            if layer != "*" and entity.dxf.layer != layer:
                continue
            kind = entity.dxftype()
            if kind == "LINE":
                start, end = entity.dxf.start, entity.dxf.end
                rows.append(f"LINE\t{math.hypot(end.x - start.x, end.y - start.y):.3f}")
            elif kind == "ARC":
                sweep = (entity.dxf.end_angle - entity.dxf.start_angle) % 360
                rows.append(f"ARC\t{entity.dxf.radius:.3f}\t{sweep:.3f}")
            elif kind == "CIRCLE":
                rows.append(f"CIRCLE\t{entity.dxf.radius:.3f}")
        for row in sorted(rows):
            print(row)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2:]))
