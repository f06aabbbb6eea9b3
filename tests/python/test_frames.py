# Frames in and out of the module: read as the program reads them, rendered to the same bytes
# as fovara-render, and refused with a clear message when they cannot be.
import numpy as np
import pytest

import fovara
from conftest import cli, cli_json, read_tga

# Per filter: settings and options by record key, each different from what a new project has.
CASES = {
    "dof": ({"DMIN": 3.0, "DMAX": 4.5, "NERB": 20, "FARB": 25}, {"DNBR": 3}),
    "zsat": ({"ZMIN": 4.0, "ZMAX": 30.0, "SMAX": 120.5}, {"INVE": 1}),
    "zlum": ({"ZMIN": 2.5, "LMIN": 10.0}, {"BACK": True}),
    "zhue": ({"ZMIN": 5.0, "ZMAX": 40.0, "COLR": "#3080FF"}, {}),
    "fog": ({"ZFOG": 10.0, "DENS": 0.8, "COLR": "#A0B0C0"}, {"FORE": 1}),
}


def assignments(record):
    return [f"{key}={'1' if value is True else value}" for key, value in record.items()]


def render_with_cli(tmp_path, image, filter_name, settings, options, extension):
    project = tmp_path / f"{filter_name}.fvz"
    cli("new", image, "--filter", filter_name, "-o", project)
    options_args = [arg for item in assignments(options) for arg in ("--option", item)]
    cli("set", project, "--frame", 0, *assignments(settings), *options_args)
    output = tmp_path / f"cli-{filter_name}.{extension}"
    cli("render", project, "-o", output, "--quiet")
    return output


@pytest.mark.parametrize("filter_name", sorted(CASES))
def test_a_render_gives_the_bytes_of_the_command_line(tmp_path, still, filter_name):
    settings, options = CASES[filter_name]
    expected = render_with_cli(tmp_path, still, filter_name, settings, options, "tga")

    colour, alpha, depth = fovara.read_frame(still)
    rendered, rendered_alpha = fovara.render(colour, depth, filter=filter_name, settings=settings, options=options)

    expected_rgb, expected_alpha = read_tga(expected)
    assert rendered.dtype == np.uint8 and rendered.shape == colour.shape
    np.testing.assert_array_equal(rendered, expected_rgb)
    assert rendered_alpha is None and expected_alpha is None
    # The filter did something: a render that returned its input would not be a test.
    assert not np.array_equal(rendered, colour)
    # Written by the module, the frame is the command line's file, byte for byte.
    fovara.write_frame(tmp_path / "module.tga", rendered, rendered_alpha)
    assert (tmp_path / "module.tga").read_bytes() == expected.read_bytes()


def test_alpha_and_depth_of_an_openexr_frame_render_as_on_the_command_line(tmp_path):
    # A disc with a soft edge over nothing, its depth in the file itself.
    height, width = 96, 128
    y, x = np.mgrid[0:height, 0:width]
    distance = np.hypot(x - 64.0, y - 48.0)
    alpha = np.clip((40.0 - distance) * 32, 0, 255).astype(np.uint8)
    colour = np.zeros((height, width, 3), np.uint8)
    colour[..., 0] = (alpha * 0.9).astype(np.uint8)
    colour[..., 1] = (alpha * (x / width)).astype(np.uint8)
    depth = np.where(alpha > 0, 5.0 + x * 0.05, np.inf).astype(np.float32)
    image = tmp_path / "disc.exr"
    fovara.write_frame(image, colour, alpha, depth)

    read_colour, read_alpha, read_depth = fovara.read_frame(image)
    assert read_alpha is not None and read_alpha.shape == (height, width)
    # Background takes the farthest depth of the frame, as the filters see it.
    assert np.isfinite(read_depth).all()
    assert read_depth.max() == pytest.approx(depth[alpha > 0].max(), rel=1e-3)

    settings = {"DMIN": 5.5, "DMAX": 6.0, "NERB": 12, "FARB": 30}
    expected = render_with_cli(tmp_path, image, "dof", settings, {"ALPH": 1}, "tga")
    rendered, rendered_alpha = fovara.render(read_colour, read_depth, "dof", settings, {"ALPH": 1}, alpha=read_alpha)
    fovara.write_frame(tmp_path / "module.tga", rendered, rendered_alpha)
    assert (tmp_path / "module.tga").read_bytes() == expected.read_bytes()
    # The alpha was blurred too, not passed through.
    assert rendered_alpha is not None and not np.array_equal(rendered_alpha, read_alpha)


def test_a_frame_is_read_at_the_size_and_depth_range_the_program_reports(still):
    colour, alpha, depth = fovara.read_frame(still)
    info = cli_json("info", still.with_suffix(".zpic"))
    assert colour.shape == (120, 160, 3) and colour.dtype == np.uint8
    assert alpha is None
    assert depth.shape == (120, 160) and depth.dtype == np.float32
    assert depth.min() == pytest.approx(info["depth"]["min"])
    assert depth.max() == pytest.approx(info["depth"]["max"])
    # Background pixels hold the farthest depth.
    assert np.count_nonzero(depth == depth.max()) >= info["depth"]["background_pixels"]


def test_any_frame_of_a_sequence_is_read_with_its_own_depth_file(sequence):
    first = fovara.read_frame(sequence / "scene0001.png")
    fourth = fovara.read_frame(sequence / "scene0004.png")
    fourth_by_name = fovara.read_frame(sequence / "scene0004.png", depth=sequence / "scene0004.zpic")
    assert not np.array_equal(first[2], fourth[2])
    np.testing.assert_array_equal(fourth[0], fourth_by_name[0])
    np.testing.assert_array_equal(fourth[2], fourth_by_name[2])


def test_a_render_is_the_same_on_one_thread(still):
    colour, _, depth = fovara.read_frame(still)
    settings = {"DMIN": 3.0, "DMAX": 4.0, "FARB": 40}
    one, _ = fovara.render(colour, depth, settings=settings, threads=1)
    every, _ = fovara.render(colour, depth, settings=settings)
    np.testing.assert_array_equal(one, every)


def test_bad_input_raises_with_one_line_naming_the_problem(tmp_path, still):
    colour, _, depth = fovara.read_frame(still)

    with pytest.raises(fovara.Error, match=r"missing\.png: no such image file"):
        fovara.read_frame(tmp_path / "missing.png")
    lone = tmp_path / "lone.png"
    fovara.write_frame(lone, colour)
    with pytest.raises(fovara.Error, match="lone") as error:
        fovara.read_frame(lone)
    assert "\n" not in str(error.value)
    with pytest.raises(fovara.Error, match="has no view 'left'"):
        fovara.read_frame(still, view="left")

    with pytest.raises(fovara.Error, match="unknown filter 'blur'"):
        fovara.render(colour, depth, filter="blur")
    with pytest.raises(fovara.Error, match="unknown key 'NOPE'"):
        fovara.render(colour, depth, settings={"NOPE": 1})
    with pytest.raises(fovara.Error, match="bad value 'far' for DMIN"):
        fovara.render(colour, depth, settings={"DMIN": "far"})
    with pytest.raises(fovara.Error, match="DNBR could not be set"):
        fovara.render(colour, depth, options={"DNBR": 99})

    with pytest.raises(TypeError, match="uint8"):
        fovara.render(colour.astype(np.float32), depth)
    with pytest.raises(ValueError, match="height x width x 3"):
        fovara.render(colour[..., :2], depth)
    with pytest.raises(ValueError, match="depth must be height x width"):
        fovara.render(colour, depth[:-1])
    with pytest.raises(ValueError, match="depth"):
        fovara.render(colour, None)
    with pytest.raises(fovara.Error, match="nowhere"):
        fovara.write_frame(tmp_path / "nowhere" / "deeper" / "x.png", colour)


def test_threads_render_and_open_projects_at_once_with_the_bytes_of_one_after_the_other(tmp_path, sequence):
    # Calls share nothing: each thread reads, renders and opens what it likes while the others do.
    import threading

    frames = [fovara.read_frame(sequence / f"scene000{n}.png") for n in (1, 4, 6)]
    settings = [{"DMIN": 3.0, "NERB": 20}, {"DMIN": 10.0, "FARB": 40}, {"DMAX": 20.0, "NERB": 35}]
    expected = [fovara.render(f[0], f[2], settings=s, threads=1)[0] for f, s in zip(frames, settings)]
    project_file = tmp_path / "shared.fvz"
    fovara.Project.new(sequence / "scene0001.png", "zhue").save(project_file)

    results, failures = {}, []

    def work(i):
        try:
            for _ in range(3):
                colour, _ = fovara.render(frames[i][0], frames[i][2], settings=settings[i], threads=1)
                results.setdefault(i, []).append(colour)
                assert fovara.Project.open(project_file).filter == "zhue"
        except Exception as error:  # reported below, with the thread's number
            failures.append((i, error))

    threads = [threading.Thread(target=work, args=(i,)) for i in range(3)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert not failures
    for i, colours in results.items():
        for colour in colours:
            np.testing.assert_array_equal(colour, expected[i])
