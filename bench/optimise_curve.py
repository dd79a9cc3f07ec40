"""Plots density against time from optimise_curve.csv and prints the table of figures."""
import csv
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

source, picture, budget = sys.argv[1], sys.argv[2], float(sys.argv[3])
curves = {}
for row in csv.DictReader(open(source)):
    curves.setdefault(row["job"], []).append(
        (float(row["seconds"]), float(row["packing_length"]), float(row["density"])))


def at(points, t):
    """The layout held at time t: the last gain at or before it."""
    held = points[0]
    for point in points:
        if point[0] <= t:
            held = point
    return held


fig, ax = plt.subplots(figsize=(9, 5.5))
for job, points in curves.items():
    xs, ys = [], []
    for i, (t, _, density) in enumerate(points):
        if i > 0:
            xs.append(max(t, 0.01))
            ys.append(ys[-1])
        xs.append(max(t, 0.01))
        ys.append(density)
    ax.step(xs, ys, where="post", label=job)
ax.set_xscale("log")
ax.set_xlabel("seconds (log scale)")
ax.set_ylabel("density %")
ax.set_title("Optimising layout: density against time (2 threads)")
ax.grid(True, which="both", alpha=0.3)
ax.legend()
fig.savefig(picture, dpi=90, bbox_inches="tight")

marks = [t for t in (10, 60, 300) if t <= budget] or [budget]
print("| job | Layout All | " + " | ".join("%g s" % t for t in marks) + " | gain at %g s |" % marks[-1])
print("|---|---|" + "---|" * len(marks) + "---|")
for job, points in curves.items():
    start = points[0]
    cells = ["%.2f %% (%.6g mm)" % (at(points, t)[2], at(points, t)[1]) for t in marks]
    last = at(points, marks[-1])
    print("| %s | %.2f %% (%.6g mm) | %s | %+.2f points, %.2f %% shorter |" % (
        job, start[2], start[1], " | ".join(cells), last[2] - start[2],
        100 * (1 - last[1] / start[1])))
esicup = [job for job in curves if job != "industrial-150"]
if esicup:
    print("| ESICUP mean | %.2f %% | %s | |" % (
        sum(curves[j][0][2] for j in esicup) / len(esicup),
        " | ".join("%.2f %%" % (sum(at(curves[j], t)[2] for j in esicup) / len(esicup)) for t in marks)))
