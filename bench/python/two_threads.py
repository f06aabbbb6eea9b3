#!/usr/bin/env python3
"""Two frames rendered by the Python module on two Python threads at once, against the same two
one after the other, one thread each: the module holds no lock, so the pair takes about the time
of one frame on a machine with two free cores. Each result is checked against fovara-render's
file for that frame, byte for byte.

    PYTHONPATH=build/src/python FOVARA_RENDER=build/src/cli/fovara-render \
        python3 bench/python/two_threads.py [--width 1920 --height 1080 --repeats 3]

Prints the best of the repeats for both ways and their ratio. Not a test: timings depend on the
machine and its load (the load average is printed with them).
"""
import argparse
import os
import subprocess
import tempfile
import threading
import time
from pathlib import Path

import numpy as np

import fovara

SETTINGS = {"DMIN": 3.0, "DMAX": 4.5, "NERB": 20, "FARB": 25}


def render_with_cli(render, folder, images):
    """fovara-render's file of each image, each made a project of its own."""
    outputs = []
    for image in images:
        project = folder / (image.stem + ".fvz")
        lone = folder / "lone" / image.stem
        lone.mkdir(parents=True)
        for file in image.parent.glob(image.stem + ".*"):
            (lone / file.name).write_bytes(file.read_bytes())
        subprocess.run([render, "new", lone / image.name, "--filter", "dof", "-o", project], check=True,
                       capture_output=True)
        subprocess.run([render, "set", project, "--frame", "0", *[f"{k}={v}" for k, v in SETTINGS.items()]],
                       check=True, capture_output=True)
        output = folder / (image.stem + "-cli.tga")
        subprocess.run([render, "render", project, "-o", output, "--quiet"], check=True, capture_output=True)
        outputs.append(output)
    return outputs


# Each frame is rendered this many times in a row, so that a timing is long enough not to be
# decided by a moment's scheduling.
RENDERS_A_FRAME = 3


def render(frame):
    colour, _, depth = frame
    for _ in range(RENDERS_A_FRAME):
        result, _ = fovara.render(colour, depth, filter="dof", settings=SETTINGS, threads=1)
    return result


def one_after_the_other(frames):
    start = time.perf_counter()
    results = [render(frame) for frame in frames]
    return time.perf_counter() - start, results


def side_by_side(frames):
    results = [None] * len(frames)

    def work(i):
        results[i] = render(frames[i])

    threads = [threading.Thread(target=work, args=(i,)) for i in range(len(frames))]
    start = time.perf_counter()
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    return time.perf_counter() - start, results


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--width", type=int, default=1920)
    parser.add_argument("--height", type=int, default=1080)
    parser.add_argument("--repeats", type=int, default=5)
    args = parser.parse_args()
    cli = os.environ.get("FOVARA_RENDER", "build/src/cli/fovara-render")

    with tempfile.TemporaryDirectory() as temporary:
        folder = Path(temporary)
        subprocess.run([cli, "sample", folder / "scene", "--width", str(args.width), "--height", str(args.height),
                        "--frames", "2"], check=True, capture_output=True)
        images = sorted((folder / "scene").glob("*.png"))
        frames = [fovara.read_frame(image) for image in images]

        serial = []
        parallel = []
        for _ in range(args.repeats):
            seconds, serial_results = one_after_the_other(frames)
            serial.append(seconds)
            seconds, parallel_results = side_by_side(frames)
            parallel.append(seconds)

        for image, expected, a, b in zip(images, render_with_cli(cli, folder, images), serial_results,
                                         parallel_results):
            fovara.write_frame(folder / "module.tga", b)
            same = (folder / "module.tga").read_bytes() == expected.read_bytes() and np.array_equal(a, b)
            print(f"{image.name}: {'same bytes as fovara-render' if same else 'DIFFERENT BYTES'}")
            if not same:
                raise SystemExit(1)

    load = os.getloadavg()[0]
    print(f"frames of {args.width} x {args.height}, threads=1 each, each rendered {RENDERS_A_FRAME} times, "
          f"best of {args.repeats}, load average {load:.2f}")
    print(f"one after the other: {min(serial):.3f} s")
    print(f"two Python threads:  {min(parallel):.3f} s")
    print(f"ratio: {min(parallel) / min(serial):.2f}")


if __name__ == "__main__":
    main()
