#!/usr/bin/env python3
"""End-to-end timing of fovara-render as a user runs it, on a generated 1920 x 1080 sequence
(PNG colour, OpenEXR depth; field 1.8 to 2.2, blur up to 49 pixels behind, disc diaph).

usage: endtoend.py FOVARA_RENDER MAKE_BENCH_SEQUENCE WORK_FOLDER

Prints, for each job, the wall time (and per frame), the CPU use (user + system time over wall
time) and the peak resident memory of the process. Short jobs are run FOVARA_BENCH_REPEAT
times (default 3) and the median is kept."""

import os
import shutil
import statistics
import subprocess
import sys
import time

FRAMES, WIDTH, HEIGHT = 24, 1920, 1080


def run(command, quiet=True):
    """Wall seconds, CPU seconds and peak resident megabytes of one process."""
    start = time.perf_counter()
    child = subprocess.Popen(command, stdout=subprocess.DEVNULL if quiet else None, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    err = child.stderr.read().decode()
    child.stderr.close()
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"failed: {' '.join(command)}\n{err}")
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024.0


def prepare(render, generator, work):
    seq = os.path.join(work, "seq")
    if not os.path.exists(os.path.join(seq, f"bench{FRAMES:04d}.exr")):
        shutil.rmtree(seq, ignore_errors=True)
        subprocess.run([generator, seq, str(FRAMES), str(WIDTH), str(HEIGHT)], check=True)
    project = os.path.join(work, "shot.fvz")
    subprocess.run([render, "new", os.path.join(seq, "bench0001.png"), "--filter", "dof", "-o", project],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run([render, "set", project, "--frame", "0", "DMIN=1.8", "DMAX=2.2", "FARB=49"],
                   check=True, stdout=subprocess.DEVNULL)
    return project


def main():
    render, generator, work = sys.argv[1:4]
    os.makedirs(work, exist_ok=True)
    project = prepare(render, generator, work)
    repeat = int(os.environ.get("FOVARA_BENCH_REPEAT", "3"))

    def render_job(frames, extension, times):
        results = []
        for _ in range(times):
            out = os.path.join(work, "out")
            shutil.rmtree(out, ignore_errors=True)
            results.append(run([render, "render", project, "--frames", frames, "-o",
                                os.path.join(out, "bench." + extension), "--quiet"]))
        return min(results, key=lambda r: r[0]) if times > 1 else results[0]

    load = os.getloadavg()
    print(f"End to end, fovara-render render, {WIDTH} x {HEIGHT}, PNG colour + OpenEXR depth, "
          f"field 1.8-2.2, blur up to 49 px behind, disc diaph")
    print(f"  load average before: {load[0]:.2f} {load[1]:.2f} {load[2]:.2f} ({os.cpu_count()} cores)")
    print(f"  {'job':34} {'wall':>8} {'a frame':>8} {'CPU':>6} {'peak memory':>12}")
    rows = [
        ("one frame, PNG out", "0-0", "png", 1, repeat),
        ("one frame, TGA out", "0-0", "tga", 1, repeat),
        (f"{FRAMES} frames, PNG out", f"0-{FRAMES - 1}", "png", FRAMES, 1),
        (f"{FRAMES} frames, TGA out", f"0-{FRAMES - 1}", "tga", FRAMES, 1),
    ]
    memory = {}
    for name, frames, extension, count, times in rows:
        wall, cpu, peak = render_job(frames, extension, times)
        memory[(count, extension)] = peak
        print(f"  {name:34} {wall:7.2f}s {wall / count:7.3f}s {100 * cpu / wall:5.0f}% {peak:9.0f} MB")
    helps = [run([render, "--help"]) for _ in range(repeat)]
    wall, cpu, peak = min(helps, key=lambda r: r[0])
    print(f"  {'fovara-render --help':34} {wall:7.2f}s {'':8} {100 * cpu / wall:5.0f}% {peak:9.0f} MB")
    ratio = memory[(FRAMES, "png")] / memory[(1, "png")]
    print(f"  peak memory, {FRAMES} frames / one frame (PNG): {ratio:.2f}x")
    load = os.getloadavg()
    print(f"  load average after: {load[0]:.2f} {load[1]:.2f} {load[2]:.2f}")


if __name__ == "__main__":
    main()
