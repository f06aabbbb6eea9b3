#!/usr/bin/env python3
"""The depth-of-field and colour filter benchmarks of bench/run side by side: this tree and, when
its results are there, the baseline. usage: report.py FOLDER (dof.json, filters.json and their
-baseline.json twins)."""

import json
import os
import sys

folder = sys.argv[1]


def load(name):
    path = os.path.join(folder, name)
    if not os.path.exists(path):
        return None
    # "ZHue/1/min_time:1.000/real_time" is ZHue/1: the name and its argument.
    key = lambda name: "/".join(p for p in name.split("/") if ":" not in p and p != "real_time")
    return {key(b["name"]): b for b in json.load(open(path))["benchmarks"]}


def cell(b):
    if b is None:
        return f"{'':>30}"
    return f"{b['MP/s']:7.2f} MP/s {b['real_time']:6.0f} ms {b.get('user_ms', float('nan')):5.0f} user"


def table(title, rows, now, before):
    print(title)
    print(f"  {'':34} {'baseline':>30} {'this tree':>30} {'speed-up':>9}")
    for label, name in rows:
        b = before.get(name) if before else None
        n = now.get(name)
        if n is None:
            continue
        gain = f"{n['MP/s'] / b['MP/s']:8.2f}x" if b else ""
        print(f"  {label:34} {cell(b)} {cell(n)} {gain}")


dof, dof_before = load("dof.json"), load("dof-baseline.json")
threads = int(dof["BM_DepthOfFieldAllThreads"]["threads"])
table("Depth of field, 1920 x 1080, 50 px blur front and back, disc diaph (ms a frame: wall; user: CPU of all threads)",
      [("renderer, 1 thread", "BM_DepthOfFieldOneThread"),
       ("renderer, 1 thread, with alpha", "BM_DepthOfFieldOneThreadAlpha"),
       ("renderer, 1 thread, float colour", "BM_DepthOfFieldOneThreadFloat"),
       (f"renderer, {threads} threads", "BM_DepthOfFieldAllThreads"),
       (f"renderer, {threads} threads, with alpha", "BM_DepthOfFieldAllThreadsAlpha"),
       ("plain reference, 1 thread", "BM_DepthOfFieldReference")], dof, dof_before)
one, every = dof["BM_DepthOfFieldOneThread"], dof["BM_DepthOfFieldAllThreads"]
ref = dof["BM_DepthOfFieldReference"]
if "BM_DepthOfFieldOneThreadFloat" in dof:
    floating = dof["BM_DepthOfFieldOneThreadFloat"]
    print(f"  float colour / 8-bit colour, CPU time on 1 thread: {floating['user_ms'] / one['user_ms']:.2f}x")
print(f"  this tree: {one['MP/s'] / ref['MP/s']:.1f}x the reference on 1 thread, {every['MP/s'] / ref['MP/s']:.1f}x on "
      f"{threads}; {threads} threads / 1 thread: {every['MP/s'] / one['MP/s']:.2f}x")
print()
filters, filters_before = load("filters.json"), load("filters-baseline.json")
rows = []
for name, label in [("ZSaturation", "Z Saturation"), ("ZLuminance", "Z Luminance"), ("ZHue", "Z Hue"),
                    ("AtmosphericPerspective", "atmospheric perspective")]:
    rows += [(f"{label}, 1 thread", f"{name}/1"), (f"{label}, {threads} threads", f"{name}/0")]
table("Colour filters, 1920 x 1080, reset settings", rows, filters, filters_before)
