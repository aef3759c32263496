#!/usr/bin/env python3
"""Builds the model mesh from tools/mesh/mesh_inputs.json, checks every figure
and invariant the model must meet, and writes render/model/model_mesh_data.cpp.

Run from the repository root:  python3 tools/mesh/generate_mesh.py
Exits non-zero, writing nothing, when any check fails. Arithmetic on positions
and normals is exact (Fractions); floats appear only in trigonometry before
rounding to the 1/128 grid and in the inside/outside test.
"""
import json
import math
import os
import struct
import sys
from fractions import Fraction as F

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
INPUTS = os.path.join(ROOT, "tools", "mesh", "mesh_inputs.json")
OUTPUT = os.path.join(ROOT, "render", "model", "model_mesh_data.cpp")

GRID = 128
NORMAL_GRID = GRID * GRID

# Figures the model must show.
TRIANGLES = 276
DISTINCT_POSITIONS = 144
PIECE_RANGES = [(1, 132), (133, 264), (265, 276)]
PIECE_POSITIONS = [68, 68, 8]
BOUNDS = {  # piece index (None = whole model) -> ((xmin, xmax), (ymin, ymax), (zmin, zmax))
    None: (("-7.8671875", "6.8046875"), ("-9.21875", "9.1171875"), ("-5.25", "15.3671875")),
    0: (("-7.8671875", "6.734375"), ("1.4375", "9.1171875"), ("-2.171875", "8.15625")),
    1: (("-7.8671875", "6.78125"), ("-9.21875", "-1.390625"), ("-2.171875", "8.15625")),
    2: (("6.0625", "6.8046875"), ("-0.984375", "1.109375"), ("-5.25", "15.3671875")),
}
BOUNDS_MIDDLE = ("-0.53125", "-0.05078125", "5.05859375")
TELLING_ROWS = {
    1: (("0.4708251953125", "-0.33099365234375", "-0.03045654296875"),
        (("-7.6953125", "4.328125", "8.15625"), ("-7.0234375", "5.3046875", "7.9296875"),
         ("-7.140625", "5.1796875", "7.4765625"))),
    133: (("3.8009033203125", "-0.80328369140625", "0.023681640625"),
          (("6.78125", "-1.46875", "4.7421875"), ("6.4609375", "-2.984375", "4.7421875"),
           ("6.4453125", "-2.984375", "7.25"))),
}
SPINDLE_NORMALS = [
    ("0", "7.52044677734375", "-0.7769775390625"), ("-21.215576171875", "0", "0"),
    ("0", "-3.56231689453125", "-0.3680419921875"), ("0", "-7.52044677734375", "-0.7769775390625"),
    ("21.215576171875", "0", "-0.81787109375"), ("21.95166015625", "0", "0.81787109375"),
    ("0", "7.7813720703125", "0.7769775390625"), ("0", "3.6859130859375", "0.3680419921875"),
    ("-21.95166015625", "0", "0"), ("0", "-7.7813720703125", "0.7769775390625"),
    ("0", "3.56231689453125", "-0.3680419921875"), ("0", "-3.6859130859375", "0.3680419921875"),
]
SHORTEST = (31, ("0", "0", "-0.006103515625"))
LONGEST = (270, 21.967, 0.0005)
BAND_GROUP_COUNTS = {"side": 118, "end": 4, "leg": 8, "foot": 2}
FIRST_SECTION_Z = ("4.7421875", "7.265625")
LAST_SECTION_Z = ("7.7734375", "8.15625")
BAND_SHAPE = [  # first angle, last angle, max radius (all "about"), y sign
    (13.0, 151.0, 9.2, 1),
    (-12.0, -151.0, 9.3, -1),
]
ANGLE_TOLERANCE = 1.0
RADIUS_TOLERANCE = 0.1
MIN_RADIUS = 6.1
FIRST_THICKNESS = (0.8, 0.1)
LAST_THICKNESS = (0.23, 0.05)
MIRROR_DISTANCE = F(11, 100)
CORNERS = ("inner_bottom", "inner_top", "outer_top", "outer_bottom")

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def fail_now(message):
    sys.exit("generate_mesh: " + message)


def on_grid(value, what):
    value = F(value)
    if (value * GRID).denominator != 1:
        fail_now("%s = %s is not a multiple of 1/%d" % (what, value, GRID))
    return value


def snap(value):
    return F(round(value * GRID), GRID)


def sub(a, b):
    return tuple(x - y for x, y in zip(a, b))


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def dot(a, b):
    return sum(x * y for x, y in zip(a, b))


def face_normal(c):
    return cross(sub(c[2], c[0]), sub(c[1], c[0]))


def centroid(points):
    return tuple(sum(p[i] for p in points) / len(points) for i in range(3))


def fr3(values):
    return tuple(F(v) for v in values)


# ---------------------------------------------------------------- building

def build_sections(band):
    sections = []
    for number, row in enumerate(band["sections"], start=1):
        angle, skew, radius, thickness, z_bottom, z_top = row
        z_bottom = on_grid(z_bottom, "section %d z_bottom" % number)
        z_top = on_grid(z_top, "section %d z_top" % number)
        inner_angle = math.radians(float(angle + skew))
        outer_angle = math.radians(float(angle))
        inner_r = float(radius)
        outer_r = float(radius + thickness)

        def at(r, a, z):
            return (snap(r * math.cos(a)), snap(r * math.sin(a)), z)
        sections.append({
            "inner_bottom": at(inner_r, inner_angle, z_bottom),
            "inner_top": at(inner_r, inner_angle, z_top),
            "outer_top": at(outer_r, outer_angle, z_top),
            "outer_bottom": at(outer_r, outer_angle, z_bottom),
        })
    for pin in band.get("pinned_corners", []):
        xyz = tuple(on_grid(v, "pinned corner") for v in pin["xyz"])
        sections[int(pin["section"]) - 1][pin["corner"]] = xyz
    return sections


def quad_triangles(cycle, outward, group):
    """Two triangles fanned from the cycle's first corner, wound so that the
    stored normal points along the outward reference."""
    a, b, c, d = cycle
    if dot(face_normal((a, b, c)), outward) + dot(face_normal((a, c, d)), outward) < 0:
        b, d = d, b
    return [((a, b, c), group), ((a, c, d), group)]


def horizontal(v):
    return (v[0], v[1], F(0))


def build_band(band):
    s = build_sections(band)
    if len(s) != 16:
        fail_now("a band needs 16 cross-sections, got %d" % len(s))
    foot_z = on_grid(band["foot_z"], "foot_z")
    foot = {k: (on_grid(v[0], k), on_grid(v[1], k), foot_z) for k, v in band["foot"].items()}
    up = (F(0), F(0), F(1))
    down = (F(0), F(0), F(-1))

    def strip(kind, k):
        S, T = s[k - 1], s[k]
        quads = {
            "inner": (T["inner_top"], S["inner_top"], S["inner_bottom"], T["inner_bottom"]),
            "outer": (S["outer_bottom"], T["outer_bottom"], T["outer_top"], S["outer_top"]),
            "top": (S["outer_top"], T["outer_top"], T["inner_top"], S["inner_top"]),
            "bottom": (S["inner_bottom"], T["inner_bottom"], T["outer_bottom"], S["outer_bottom"]),
        }
        cycle = quads[kind]
        middle = horizontal(centroid(cycle))
        outward = {"inner": tuple(-v for v in middle), "outer": middle, "top": up, "bottom": down}[kind]
        return quad_triangles(cycle, outward, "side")

    def end(which):
        here, next_ = (s[0], s[1]) if which == "first" else (s[15], s[14])
        cycle = tuple(here[c] for c in CORNERS) if which == "first" else \
            (here["inner_top"], here["outer_top"], here["outer_bottom"], here["inner_bottom"])
        outward = sub(centroid(list(here.values())), centroid(list(next_.values())))
        return quad_triangles(cycle, outward, "end")

    top = [s[0]["inner_bottom"], s[0]["outer_bottom"], s[1]["outer_bottom"], s[1]["inner_bottom"]]
    bottom = [foot["under_section1_inner"], foot["under_section1_outer"],
              foot["under_section2_outer"], foot["under_section2_inner"]]
    leg_middle = centroid(top + bottom)

    def leg():
        triangles = []
        for i in range(4):
            j = (i + 1) % 4
            cycle = (top[i], top[j], bottom[j], bottom[i])
            outward = horizontal(sub(centroid(cycle), leg_middle))
            triangles += quad_triangles(cycle, outward, "leg")
        return triangles

    def foot_triangles():
        cycle = (bottom[3], bottom[0], bottom[1], bottom[2])
        return quad_triangles(cycle, down, "foot")

    triangles = []
    for item in band["face_order"]:
        if "strip" in item:
            first, last = int(item["from"]), int(item["to"])
            step = 1 if last >= first else -1
            for k in range(first, last + step, step):
                if item["strip"] == "bottom" and k == 1:
                    fail_now("the underside of segment 1 is the leg's opening")
                triangles += strip(item["strip"], k)
        elif "end" in item:
            triangles += end(item["end"])
        elif "leg" in item:
            triangles += leg()
        elif "foot" in item:
            triangles += foot_triangles()
    return triangles, s, bottom


def build_spindle(spindle):
    positions = {k: tuple(on_grid(v, k) for v in xyz) for k, xyz in spindle["positions"].items()}
    return [(tuple(positions[label] for label in labels), "spindle") for labels in spindle["triangles"]], positions


# ---------------------------------------------------------------- checking

def solid_angle(p, tri):
    a, b, c = (tuple(float(t[i]) - p[i] for i in range(3)) for t in tri)
    # Corner order reversed: the stored winding is clockwise seen from outside.
    a, b = b, a
    la, lb, lc = (math.sqrt(v[0] ** 2 + v[1] ** 2 + v[2] ** 2) for v in (a, b, c))
    det = a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) + a[2] * (b[0] * c[1] - b[1] * c[0])
    fdot = lambda u, v: u[0] * v[0] + u[1] * v[1] + u[2] * v[2]
    return 2.0 * math.atan2(det, la * lb * lc + fdot(a, b) * lc + fdot(a, c) * lb + fdot(b, c) * la)


def winding(p, triangles):
    return sum(solid_angle(p, t) for t in triangles) / (4.0 * math.pi)


def check_piece_closed(number, tris):
    edges = {}
    for t in tris:
        for i in range(3):
            e = (t[i], t[(i + 1) % 3])
            edges[e] = edges.get(e, 0) + 1
    ok = True
    for (a, b), n in edges.items():
        if n != 1 or edges.get((b, a), 0) != 1:
            ok = False
    check(ok, "piece %d: an edge is not shared by exactly two triangles running opposite ways" % number)
    v = len({p for t in tris for p in t})
    e = len(edges) // 2
    check(v - e + len(tris) == 2, "piece %d: V - E + F = %d - %d + %d != 2" % (number, v, e, len(tris)))
    return v, e


def check_outward(number, tris):
    worst = 0.0
    for t in tris:
        n = face_normal(t)
        length = math.sqrt(float(dot(n, n)))
        c = centroid(t)
        step = 1e-3
        outside = tuple(float(c[i]) + step * float(n[i]) / length for i in range(3))
        inside = tuple(float(c[i]) - step * float(n[i]) / length for i in range(3))
        w_out, w_in = winding(outside, tris), winding(inside, tris)
        worst = max(worst, abs(w_out), abs(w_in - 1.0))
    check(worst < 1e-6, "piece %d: some normal does not point outward (winding error %g)" % (number, worst))


def is_float32(value):
    return struct.unpack("<f", struct.pack("<f", float(value)))[0] == value


def main():
    with open(INPUTS) as f:
        inputs = json.load(f, parse_float=F, parse_int=F)
    table = []  # (corners, normal, group)
    band_data = []
    for band in inputs["bands"]:
        triangles, sections, foot = build_band(band)
        band_data.append((sections, foot, [g for _, g in triangles]))
        table += triangles
    spindle, spindle_positions = build_spindle(inputs["spindle"])
    table += spindle
    rows = [(corners, face_normal(corners), group) for corners, group in table]

    # Counts and pieces.
    check(len(rows) == TRIANGLES, "%d triangles, not %d" % (len(rows), TRIANGLES))
    refs = [p for c, _, _ in rows for p in c]
    check(len(refs) == 3 * TRIANGLES, "%d corner references" % len(refs))
    distinct = sorted(set(refs))
    check(len(distinct) == DISTINCT_POSITIONS, "%d distinct positions, not %d" % (len(distinct), DISTINCT_POSITIONS))
    parent = {p: p for p in distinct}

    def find(p):
        while parent[p] != p:
            parent[p] = parent[parent[p]]
            p = parent[p]
        return p
    for c, _, _ in rows:
        for p in c[1:]:
            parent[find(p)] = find(c[0])
    roots = []
    for c, _, _ in rows:
        r = find(c[0])
        if r not in roots:
            roots.append(r)
    check(len(roots) == 3, "%d pieces, not 3" % len(roots))
    pieces = []
    for index, (first, last) in enumerate(PIECE_RANGES):
        members = [i for i, (c, _, _) in enumerate(rows) if find(c[0]) == find(rows[first - 1][0][0])]
        check(members == list(range(first - 1, last)), "piece %d is not triangles %d to %d" % (index + 1, first, last))
        tris = [rows[i][0] for i in range(first - 1, last)]
        positions = {p for t in tris for p in t}
        check(len(positions) == PIECE_POSITIONS[index], "piece %d has %d positions" % (index + 1, len(positions)))
        pieces.append((tris, positions))

    # Bounds.
    for key, expected in BOUNDS.items():
        points = distinct if key is None else pieces[key][1]
        for axis, (low, high) in enumerate(expected):
            got = (min(p[axis] for p in points), max(p[axis] for p in points))
            check(got == (F(low), F(high)), "bounds of %s on axis %d are %s..%s, not %s..%s" % (
                "model" if key is None else "piece %d" % (key + 1), axis, got[0], got[1], low, high))
    middle = tuple((min(p[a] for p in distinct) + max(p[a] for p in distinct)) / 2 for a in range(3))
    check(middle == fr3(BOUNDS_MIDDLE), "middle of the bounds is %s" % (middle,))

    # Telling rows and the spindle.
    for number, (normal, corners) in TELLING_ROWS.items():
        c, n, _ = rows[number - 1]
        check(c == tuple(fr3(x) for x in corners), "triangle %d corners differ: %s" % (number, [[str(v) for v in p] for p in c]))
        check(n == fr3(normal), "triangle %d normal differs: %s" % (number, [str(v) for v in n]))
    for i, normal in enumerate(SPINDLE_NORMALS):
        check(rows[264 + i][1] == fr3(normal), "triangle %d normal differs" % (265 + i))

    # Invariants 1, 2 and 5.
    for p in distinct:
        check(all((v * GRID).denominator == 1 and is_float32(v) for v in p), "position off the grid: %s" % (p,))
    for i, (c, n, _) in enumerate(rows):
        check(all((v * NORMAL_GRID).denominator == 1 and is_float32(v) for v in n), "triangle %d normal not exact" % (i + 1))
        check(n != (0, 0, 0), "triangle %d is degenerate" % (i + 1))
        check(dot(n, n) != 1, "triangle %d has a unit normal" % (i + 1))
    check(len({frozenset(c) for c, _, _ in rows}) == len(rows), "a triangle occurs twice")

    # Invariants 3 and 4.
    for index, (tris, _) in enumerate(pieces):
        check_piece_closed(index + 1, tris)
        check_outward(index + 1, tris)

    # Normal extremes.
    lengths = [dot(n, n) for _, n, _ in rows]
    shortest = min(range(len(rows)), key=lambda i: lengths[i])
    longest = max(range(len(rows)), key=lambda i: lengths[i])
    check(shortest == SHORTEST[0] - 1 and lengths.count(lengths[shortest]) == 1, "shortest normal is triangle %d" % (shortest + 1))
    check(rows[SHORTEST[0] - 1][1] == fr3(SHORTEST[1]), "triangle %d normal is not %s" % SHORTEST)
    check(longest == LONGEST[0] - 1 and lengths.count(lengths[longest]) == 1, "longest normal is triangle %d" % (longest + 1))
    longest_length = math.sqrt(float(lengths[longest]))
    check(abs(longest_length - LONGEST[1]) < LONGEST[2], "longest normal is %f" % longest_length)

    # Shape of the bands.
    summary = []
    for index, (sections, foot, groups) in enumerate(band_data):
        first_angle, last_angle, max_radius, sign = BAND_SHAPE[index]
        for group, count in BAND_GROUP_COUNTS.items():
            check(groups.count(group) == count, "piece %d has %d %s triangles" % (index + 1, groups.count(group), group))
        positions = pieces[index][1]
        check(all(p[1] * sign > 0 for p in positions), "piece %d crosses y = 0" % (index + 1))
        angles = [math.degrees(math.atan2(float(centroid(list(s.values()))[1]), float(centroid(list(s.values()))[0]))) for s in sections]
        check(abs(angles[0] - first_angle) < ANGLE_TOLERANCE and abs(angles[-1] - last_angle) < ANGLE_TOLERANCE,
              "piece %d sections run from %.2f to %.2f degrees" % (index + 1, angles[0], angles[-1]))
        check(all((angles[k + 1] - angles[k]) * sign > 0 for k in range(15)), "piece %d sections out of order" % (index + 1))
        radii = [math.hypot(float(p[0]), float(p[1])) for s in sections for p in s.values()]
        check(abs(min(radii) - MIN_RADIUS) < RADIUS_TOLERANCE and abs(max(radii) - max_radius) < RADIUS_TOLERANCE,
              "piece %d radii %.3f..%.3f" % (index + 1, min(radii), max(radii)))

        def thickness(s):
            return math.hypot(float(s["outer_bottom"][0] - s["inner_bottom"][0]), float(s["outer_bottom"][1] - s["inner_bottom"][1]))
        first_z = (sections[0]["inner_bottom"][2], sections[0]["inner_top"][2])
        last_z = (min(p[2] for p in sections[15].values()), max(p[2] for p in sections[15].values()))
        if index == 0:
            check(first_z == fr3(FIRST_SECTION_Z), "piece 1 first section z %s" % (first_z,))
            check(last_z == fr3(LAST_SECTION_Z), "piece 1 last section z %s" % (last_z,))
        check(abs(thickness(sections[0]) - FIRST_THICKNESS[0]) < FIRST_THICKNESS[1], "piece %d first thickness" % (index + 1))
        check(abs(thickness(sections[15]) - LAST_THICKNESS[0]) < LAST_THICKNESS[1], "piece %d last thickness" % (index + 1))
        under = [sections[k][c] for k in (0, 1) for c in ("inner_bottom", "outer_bottom")]
        check(all(p[2] == F("4.7421875") for p in under), "piece %d leg opening not at z = 4.7421875" % (index + 1))
        for k in range(1, 16):
            check(all(p[2] >= F("4.7421875") for p in sections[k].values()), "piece %d dips below the leg's top" % (index + 1))
        base = range(PIECE_RANGES[index][0] - 1, PIECE_RANGES[index][1])
        for i in base:
            c, n, g = rows[i]
            if g == "foot":
                check(n[0] == 0 and n[1] == 0 and n[2] < 0, "foot triangle %d not facing down" % (i + 1))
        summary.append("piece %d: sections %.2f..%.2f deg, radii %.3f..%.3f, thickness %.3f..%.3f" % (
            index + 1, angles[0], angles[-1], min(radii), max(radii), thickness(sections[0]), thickness(sections[15])))
    for i in range(264, 276):
        c, n, _ = rows[i]
        if all(p[0] == F("6.0625") for p in c):
            check(n[0] < 0 and n[1] == 0 and n[2] == 0, "spindle inner side triangle %d not along -x" % (i + 1))
    mirror_worst = F(0)
    for p in pieces[0][1]:
        m = (p[0], -p[1], p[2])
        nearest = min(dot(sub(m, q), sub(m, q)) for q in pieces[1][1])
        check(nearest > 0, "mirrored position %s coincides with piece 2" % (m,))
        mirror_worst = max(mirror_worst, nearest)
    check(mirror_worst < MIRROR_DISTANCE ** 2, "a mirrored piece 1 position lies %.4f from piece 2" % math.sqrt(mirror_worst))
    for index, (tris, positions) in enumerate(pieces):
        others = [t for j, (ts, _) in enumerate(pieces) if j != index for t in ts]
        check(all(abs(winding(tuple(float(v) for v in p), others)) < 1e-6 for p in positions),
              "piece %d reaches inside another piece" % (index + 1))

    if failures:
        for message in failures:
            print("FAILED: " + message, file=sys.stderr)
        sys.exit("generate_mesh: %d check(s) failed, nothing written" % len(failures))

    write_table(rows)
    unit_gap = min(abs(math.sqrt(float(l)) - 1.0) for l in lengths)
    print("model mesh: %d triangles, %d corner references, %d distinct positions, pieces %s" % (
        len(rows), len(refs), len(distinct), PIECE_RANGES))
    for line in summary:
        print("  " + line)
    print("  normal lengths %s (triangle %d) .. %.4f (triangle %d); nearest to unit differs by %.4f" % (
        math.sqrt(float(lengths[shortest])), shortest + 1, longest_length, longest + 1, unit_gap))
    print("  mirrored piece 1 positions within %.4f of piece 2" % math.sqrt(mirror_worst))
    print("  all checks passed; wrote %s" % os.path.relpath(OUTPUT, ROOT))


def literal(value):
    value = F(value)
    if value == 0:
        return "0.0f"
    k = value.denominator.bit_length() - 1
    assert value.denominator == 1 << k
    digits = str(abs(value.numerator) * 5 ** k).rjust(k + 1, "0")
    whole, fraction = (digits[:-k], digits[-k:].rstrip("0")) if k else (digits, "")
    return ("-" if value < 0 else "") + whole + "." + (fraction or "0") + "f"


def write_table(rows):
    titles = {0: "piece 1: the band on the +y side, with its leg",
              132: "piece 2: the band on the -y side, with its leg",
              264: "piece 3: the spindle"}
    lines = [
        "// The model's 276 triangles in drawing order. Generated by",
        "// tools/mesh/generate_mesh.py from tools/mesh/mesh_inputs.json; do not edit.",
        "// Regenerate with: python3 tools/mesh/generate_mesh.py",
        "// Each row: normal = (corner2 - corner0) x (corner1 - corner0), unnormalised.",
        '#include "render/model/model_mesh.h"',
        "",
        "const ModelTriangle ModelMesh[ModelTriangleCount] = {",
    ]
    for i, (corners, normal, group) in enumerate(rows):
        if i in titles:
            lines.append("    // " + titles[i])
        vec = lambda v: "{" + ", ".join(literal(x) for x in v) + "}"
        lines.append("    {%s, {%s}}, // %d %s" % (vec(normal), ", ".join(vec(c) for c in corners), i + 1, group))
    lines.append("};")
    with open(OUTPUT, "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
