"""Parses an SVG picture of a layout with Python's XML parser and prints what it holds.

Lines: "parts<TAB>N", "mirrored<TAB>N", "evenodd<TAB>N", "rings<TAB>N" (closed rings over all
part paths), "name<TAB>TEXT" per part name, "outside<TAB>N" (path and line points that fall
outside the viewBox once the drawing's y flip is applied), "packing<TAB>X". Exits 1 when the
file is not well-formed XML or not an SVG.
"""
import re
import sys
import xml.etree.ElementTree as ET

SVG = "{http://www.w3.org/2000/svg}"


def numbers(text):
    return [float(v) for v in re.findall(r"-?\d+(?:\.\d+)?(?:e-?\d+)?", text)]


def main(path):
    try:
        root = ET.parse(path).getroot()
    except ET.ParseError as error:
        print(f"error\t{error}")
        return 1
    if root.tag != SVG + "svg":
        print(f"error\troot is {root.tag}")
        return 1
    min_x, min_y, width, height = numbers(root.get("viewBox"))
    outside = 0

    def check(x, y):  # y as drawn, before the flip
        nonlocal outside
        if not (min_x <= x <= min_x + width and min_y <= -y <= min_y + height):
            outside += 1

    flipped = [g for g in root.iter(SVG + "g") if g.get("transform") == "scale(1,-1)"]
    if len(flipped) != 1:
        print("error\tno flipped geometry group")
        return 1
    parts = mirrored = evenodd = rings = 0
    packing = None
    for element in flipped[0].iter():
        kind = element.get("class", "")
        if element.tag == SVG + "path" and kind.startswith("part"):
            parts += 1
            mirrored += "mirrored" in kind.split()
            evenodd += element.get("fill-rule") == "evenodd"
            d = element.get("d")
            rings += d.count("Z")
            values = numbers(d)
            for x, y in zip(values[0::2], values[1::2]):
                check(x, y)
        elif element.tag == SVG + "line" and kind == "packing-length":
            packing = float(element.get("x1"))
            check(packing, float(element.get("y1")))
            check(float(element.get("x2")), float(element.get("y2")))
    print(f"parts\t{parts}")
    print(f"mirrored\t{mirrored}")
    print(f"evenodd\t{evenodd}")
    print(f"rings\t{rings}")
    print(f"outside\t{outside}")
    print(f"packing\t{packing}")
    for text in root.iter(SVG + "text"):
        if text.get("class") == "name":
            print(f"name\t{text.text}")
    return 0


if __name__ == "__main__":
    sys.stdout.reconfigure(encoding="utf-8")
    sys.exit(main(sys.argv[1]))
