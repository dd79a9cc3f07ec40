"""Writes the benchmark order: 1 000 parts of 40 kinds of shop part on 3000 x 1500 plates.

Usage: make_order.py FOLDER

Writes FOLDER/parts40.txt (a text part library: plates with bolt holes, rings, gussets with a
rounded corner, L brackets, slotted bars) and FOLDER/order1000.toml. The kinds and their
quantities come from a fixed seed, so the files are the same on every run.
"""
import random
import sys


def rectangle(w, h, holes):
    lines = [f"5 0 0", f"0 {w} 0", f"0 {w} {h}", f"0 0 {h}", "0"]
    for (x, y, r) in holes:
        lines += [f"3 {x - r} {y}", f"{r} {x + r} {y}", f"{r}"]
    return lines


def ring(outer, inner):
    return [f"3 0 {outer}", f"{outer} {2 * outer} {outer}", f"{outer}",
            f"3 {outer - inner} {outer}", f"{inner} {outer + inner} {outer}", f"{inner}"]


def gusset(w, h, r):
    return [f"7 {r} 0", f"0 {w} 0", f"0 {w} 20", f"0 20 {h}", f"0 0 {h}", f"0 0 {r}", f"-{r}",
            f"3 {r + 25} {r + 25}", f"9 {r + 43} {r + 25}", "9"]


def bracket(w, h, t):
    return [f"7 0 0", f"0 {w} 0", f"0 {w} {t}", f"0 {t} {t}", f"0 {t} {h}", f"0 0 {h}", "0"]


def main(folder):
    rng = random.Random(40)
    kinds = []
    for i in range(40):
        shape = i % 5
        if shape == 0:
            w, h = rng.randrange(200, 700, 10), rng.randrange(120, 400, 10)
            holes = [(x, y, 9) for x in (30, w - 30) for y in (30, h - 30)]
            kinds.append((f"PL{w}x{h}", rectangle(w, h, holes)))
        elif shape == 1:
            outer = rng.randrange(60, 220, 10)
            kinds.append((f"RG{2 * outer}", ring(outer, outer * rng.choice((0.4, 0.5, 0.6)))))
        elif shape == 2:
            w, h = rng.randrange(150, 400, 10), rng.randrange(150, 400, 10)
            kinds.append((f"GU{w}x{h}", gusset(w, h, 30)))
        elif shape == 3:
            w, h = rng.randrange(150, 500, 10), rng.randrange(100, 300, 10)
            kinds.append((f"LB{w}x{h}", bracket(w, h, rng.choice((40, 50, 60)))))
        else:
            w, h = rng.randrange(300, 900, 10), rng.randrange(60, 140, 10)
            holes = [(x, h / 2, 8) for x in range(50, w - 30, 100)]
            kinds.append((f"SB{w}x{h}", rectangle(w, h, holes)))
    # Quantities from 5 to 60, then trimmed or topped up to 1 000 in all.
    quantities = [rng.randrange(5, 45) for _ in kinds]
    while sum(quantities) != 1000:
        k = rng.randrange(len(quantities))
        quantities[k] += 1 if sum(quantities) < 1000 else (-1 if quantities[k] > 5 else 0)
    with open(f"{folder}/parts40.txt", "w", newline="\r\n") as library:
        library.write("PlateLength: 3000\nPlateWidth: 1500\nPartToPartGap:5\n")
        seen = set()
        for index, (name, lines) in enumerate(kinds):
            name = f"{name}-{index + 1}"
            seen.add(name)
            library.write(f"NAME:{name}\n" + "\n".join(lines) + "\n")
        library.write("#end\n")
    with open(f"{folder}/order1000.toml", "w") as order:
        order.write("# 1 000 parts of 40 kinds (make_order.py) on 3000 x 1500 plates, gap 5.\n")
        order.write("[job]\ngap = 5\nrotation_number = 4\nturn_over = true\n\n")
        order.write("[[stock]]\nlength = 3000\nwidth = 1500\ncount = \"unlimited\"\n")
        for index, ((name, _), quantity) in enumerate(zip(kinds, quantities)):
            order.write(f"\n[[item]]\nlibrary = \"parts40.txt\"\npart = \"{name}-{index + 1}\"\n"
                        f"quantity = {quantity}\n")


if __name__ == "__main__":
    main(sys.argv[1])
