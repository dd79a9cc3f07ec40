"""Reads DXF drawings with ezdxf, as a CAD client would, and prints what it found.

For every file given: one line "file<TAB>name", then one line per entity kind
"entity<TAB>TYPE<TAB>LAYER<TAB>COLOUR<TAB>COUNT" (COLOUR 256 means none given, "by layer"),
then one line "text<TAB>LAYER<TAB>TEXT" per TEXT entity. Texts are read as GBK, the code
page the drawings are written in. Exits 1 when a file cannot be read.
"""
import collections
import sys

import ezdxf


def main(paths):
    for path in paths:
        try:
            doc = ezdxf.readfile(path, encoding="gbk")
        except Exception as error:  # any failure to read is the finding
            print(f"error\t{path}\t{error}")
            return 1
        print(f"file\t{path}")
        counts = collections.Counter()
        texts = []
        for entity in doc.modelspace():
            counts[(entity.dxftype(), entity.dxf.layer, entity.dxf.color)] += 1
            if entity.dxftype() == "TEXT":
                texts.append((entity.dxf.layer, entity.dxf.text))
        for (kind, layer, colour), count in sorted(counts.items()):
            print(f"entity\t{kind}\t{layer}\t{colour}\t{count}")
        for layer, text in texts:
            print(f"text\t{layer}\t{text}")
    return 0


if __name__ == "__main__":
    # File names may hold GBK bytes: hand them back exactly as they were given.
    sys.stdout.reconfigure(encoding="utf-8", errors="surrogateescape")
    sys.exit(main(sys.argv[1:]))
