# Shared by the module's tests: fovara-render to compare with, sample scenes it writes, and
# preferences kept away from the user's own.
import json
import os
import pathlib
import subprocess
import tempfile

import numpy as np
import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]
RENDER = os.environ.get("FOVARA_RENDER", str(ROOT / "build" / "src" / "cli" / "fovara-render"))

# Opening a project lists it among the recent ones: not in the user's preferences.
os.environ.setdefault("FOVARA_CONFIG_HOME", tempfile.mkdtemp(prefix="fovara-pytest-config-"))


def cli(*args, check=True):
    """Runs fovara-render; with check, a failure fails the test with its message."""
    result = subprocess.run([RENDER, *map(str, args)], capture_output=True, text=True)
    if check:
        assert result.returncode == 0, f"fovara-render {' '.join(map(str, args))}: {result.stderr}"
    return result


def cli_json(*args):
    return json.loads(cli(*args, "--json").stdout)


def read_tga(path):
    """The pixels of an uncompressed true-colour Targa file, row 0 at the top: RGB and alpha or None."""
    data = pathlib.Path(path).read_bytes()
    id_length, image_type, bits, descriptor = data[0], data[2], data[16], data[17]
    assert image_type == 2, "an uncompressed true-colour file"
    width, height = int.from_bytes(data[12:14], "little"), int.from_bytes(data[14:16], "little")
    channels = bits // 8
    start = 18 + id_length
    pixels = np.frombuffer(data, np.uint8, width * height * channels, start).reshape(height, width, channels)
    if not descriptor & 0x20:
        pixels = pixels[::-1]
    rgb = pixels[:, :, 2::-1]
    return np.ascontiguousarray(rgb), (pixels[:, :, 3].copy() if channels == 4 else None)


def hidden_leftovers(folder):
    return sorted(p.name for p in pathlib.Path(folder).iterdir() if p.name.startswith("."))


@pytest.fixture(scope="session")
def sequence(tmp_path_factory):
    """Six frames of the sample scene with their .zpic depth files."""
    folder = tmp_path_factory.mktemp("sequence")
    cli("sample", folder, "--frames", 6, "--width", 160, "--height", 120)
    return folder


@pytest.fixture(scope="session")
def still(tmp_path_factory):
    """One frame of the sample scene: a project of it is a single image."""
    folder = tmp_path_factory.mktemp("still")
    cli("sample", folder, "--frames", 1, "--width", 160, "--height", 120)
    return folder / "scene0001.png"
