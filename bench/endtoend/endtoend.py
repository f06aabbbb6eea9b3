#!/usr/bin/env python3
"""End-to-end timing of fovara-render as a user runs it, on a generated 1920 x 1080 sequence
(PNG colour, OpenEXR depth; field 1.8 to 2.2, blur up to 49 pixels behind, disc diaph), and the
same frame through GEGL's lens blur with the same blur map.

usage: endtoend.py FOVARA_RENDER MAKE_BENCH_SEQUENCE WORK_FOLDER
           [--baseline FOVARA_RENDER] [--gegl MAKE_COC_MAP]

Prints, for each job, the wall time (and per frame), the CPU use (user + system time over wall
time), the user time and the peak resident memory of the process; with --baseline, the same
for a baseline build, each job run by both builds one after the other. With --gegl, GEGL's
lens-blur on the sequence's first frame, its blur diameter per pixel taken from the project's
settings (MAKE_COC_MAP), on two threads, against fovara-render's one frame and its sequence.
Short jobs are run FOVARA_BENCH_REPEAT times (default 3) and the fastest is kept."""

import argparse
import os
import shutil
import subprocess
import sys
import time

FRAMES, WIDTH, HEIGHT = 24, 1920, 1080
BIG_WIDTH, BIG_HEIGHT = 4096, 3112  # a full-aperture 4K scan
SETTINGS = ["DMIN=1.8", "DMAX=2.2", "FARB=49"]


class Run:
    """Wall seconds, user and system CPU seconds and peak resident megabytes of one process."""

    def __init__(self, wall, user, system, peak):
        self.wall, self.user, self.system, self.peak = wall, user, system, peak

    def cpu_share(self):
        return 100 * (self.user + self.system) / self.wall


def run(command, environment=None):
    start = time.perf_counter()
    child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=environment)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    err = child.stderr.read().decode()
    child.stderr.close()
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"failed: {' '.join(command)}\n{err}")
    return Run(wall, usage.ru_utime, usage.ru_stime, usage.ru_maxrss / 1024.0)


def fastest(runs):
    return min(runs, key=lambda r: r.wall)


def prepare(render, generator, work, name="seq", frames=FRAMES, width=WIDTH, height=HEIGHT):
    seq = os.path.join(work, name)
    if not os.path.exists(os.path.join(seq, f"bench{frames:04d}.exr")):
        shutil.rmtree(seq, ignore_errors=True)
        subprocess.run([generator, seq, str(frames), str(width), str(height)], check=True)
    project = os.path.join(work, name + ".fvz")
    subprocess.run([render, "new", os.path.join(seq, "bench0001.png"), "--filter", "dof", "-o", project],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run([render, "set", project, "--frame", "0"] + SETTINGS, check=True, stdout=subprocess.DEVNULL)
    return seq, project


def load_average():
    load = os.getloadavg()
    return f"{load[0]:.2f} {load[1]:.2f} {load[2]:.2f}"


def describe(r, count):
    return (f"{r.wall:7.2f}s {r.wall / count:7.3f}s {r.cpu_share():5.0f}% {r.user:7.2f}s {r.peak:7.0f} MB")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("render")
    parser.add_argument("generator")
    parser.add_argument("work")
    parser.add_argument("--baseline")
    parser.add_argument("--gegl")
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    seq, project = prepare(args.render, args.generator, args.work)
    _, big_project = prepare(args.render, args.generator, args.work, "big", 1, BIG_WIDTH, BIG_HEIGHT)
    repeat = int(os.environ.get("FOVARA_BENCH_REPEAT", "3"))
    builds = [("this tree", args.render)] + ([("baseline", args.baseline)] if args.baseline else [])

    def render_job(render, frames, extension, times, shot=project):
        results = []
        for _ in range(times):
            out = os.path.join(args.work, "out")
            shutil.rmtree(out, ignore_errors=True)
            results.append(run([render, "render", shot, "--frames", frames, "-o",
                                os.path.join(out, "bench." + extension), "--quiet"]))
        return fastest(results)

    print(f"End to end, fovara-render render, {WIDTH} x {HEIGHT}, PNG colour + OpenEXR depth, "
          f"field 1.8-2.2, blur up to 49 px behind, disc diaph")
    print(f"  load average before: {load_average()} ({os.cpu_count()} cores)")
    print(f"  {'job':28} {'build':10} {'wall':>8} {'a frame':>8} {'CPU':>6} {'user':>8} {'peak':>10}")
    jobs = [
        ("one frame, PNG out", "0-0", "png", 1, repeat),
        ("one frame, TGA out", "0-0", "tga", 1, repeat),
        (f"{FRAMES} frames, PNG out", f"0-{FRAMES - 1}", "png", FRAMES, 1),
        (f"{FRAMES} frames, TGA out", f"0-{FRAMES - 1}", "tga", FRAMES, 1),
    ]
    results = {}
    for name, frames, extension, count, times in jobs:
        for build, render in builds:
            r = render_job(render, frames, extension, times)
            results[(name, build)] = r
            print(f"  {name:28} {build:10} {describe(r, count)}")
    for build, render in builds:
        r = render_job(render, "0-0", "png", repeat, big_project)
        print(f"  {f'one {BIG_WIDTH} x {BIG_HEIGHT} frame, PNG out':28} {build:10} {describe(r, 1)}")
    for build, render in builds:
        r = fastest([run([render, "--help"]) for _ in range(repeat)])
        print(f"  {'fovara-render --help':28} {build:10} {describe(r, 1)}")
    for build, _ in builds:
        ratio = results[(f"{FRAMES} frames, PNG out", build)].peak / results[("one frame, PNG out", build)].peak
        print(f"  peak memory, {FRAMES} frames / one frame (PNG), {build}: {ratio:.2f}x")
    print(f"  load average after: {load_average()}")

    if args.gegl:
        compare_with_gegl(args, seq, results, builds, repeat)


def compare_with_gegl(args, seq, results, builds, repeat):
    frame = os.path.join(seq, "bench0001.png")
    coc = os.path.join(args.work, "coc.png")
    made = subprocess.run([args.gegl, frame, os.path.join(seq, "bench0001.exr"), coc] + SETTINGS, check=True,
                          capture_output=True, text=True)
    diameter = float(made.stdout.split()[0])
    out = os.path.join(args.work, "gegl.png")
    environment = dict(os.environ, GEGL_THREADS="2")
    command = ["gegl", frame, "-o", out, "--", "lens-blur", f"radius={diameter / 2:.3f}", "aux=[", "load",
               f"path={coc}", "]"]
    print()
    print(f"GEGL's lens-blur on the same frame, blur map from the same settings (largest diameter "
          f"{diameter:.0f} px), GEGL_THREADS=2, whole processes")
    print(f"  load average before: {load_average()}")
    gegl = fastest([run(command, environment) for _ in range(repeat)])
    print(f"  {'GEGL lens-blur, one frame':28} {'':10} {describe(gegl, 1)}")
    print(f"  {'job':28} {'GEGL':>8} " + " ".join(f"{b:>22}" for b, _ in builds))
    one = "one frame, PNG out"
    sequence = f"{FRAMES} frames, PNG out"
    cells = []
    for build, _ in builds:
        r = results[(one, build)]
        cells.append(f"{r.wall:6.2f}s {r.cpu_share():4.0f}% {r.wall / gegl.wall:5.2f}x")
    print(f"  {'one frame':28} {gegl.wall:7.2f}s " + " ".join(f"{c:>22}" for c in cells))
    cells = []
    for build, _ in builds:
        r = results[(sequence, build)]
        cells.append(f"{r.wall / FRAMES:6.3f}s {r.cpu_share():4.0f}% {r.wall / FRAMES / gegl.wall:5.2f}x")
    print(f"  {f'{FRAMES} frames, per frame':28} {'-':>8} " + " ".join(f"{c:>22}" for c in cells))
    print(f"  (each cell: Fovara's seconds, its CPU use, and the ratio to GEGL's one frame)")
    print(f"  load average after: {load_average()}")


if __name__ == "__main__":
    main()
