# Projects from scripts: made, changed and saved as fovara-render makes them, rendered to the
# same files, followed frame by frame, and stopped without leaving a frame half written.
import _thread
import signal
import threading
import time

import numpy as np
import pytest

import fovara
from conftest import cli, cli_json, hidden_leftovers


def file_bytes(folder):
    return {p.name: p.read_bytes() for p in sorted(folder.iterdir())}


def test_a_project_round_trip_keeps_keyframes_and_options(tmp_path, sequence):
    project = fovara.Project.new(sequence / "scene0003.png", filter="dof")
    assert project.filter == "dof" and project.frame_count == 6 and project.keyframes == [0]
    assert project.images[0] == "scene0001.png" and project.path == ""
    project.set_keyframe(0, DMIN=3.0, DMAX=4.5)
    project.set_keyframe(4, {"DMIN": 19.0, "DMAX": 24.0}, FARB=30)
    project.set_options(DNBR=4, ALPH=False)
    middle = project.settings(2)
    assert 3.0 < middle["DMIN"] < 19.0
    path = tmp_path / "shot.fvz"
    project.save(path)
    assert project.path == str(path) and not project.modified

    # What the command line reads from the file is what the script set.
    shown = cli_json("show", path)
    assert [k["frame"] for k in shown["keyframes"]] == [0, 4]
    assert shown["keyframes"][1]["settings"] == project.settings(4)
    assert shown["keyframes"][1]["settings"]["FARB"] == 30
    assert shown["options"] == project.options and shown["options"]["DNBR"] == 4

    reopened = fovara.Project.open(path)
    assert reopened.keyframes == [0, 4]
    assert reopened.settings(2) == middle and reopened.options == project.options
    reopened.remove_keyframe(4)
    assert reopened.keyframes == [0] and reopened.modified
    reopened.save()
    assert [k["frame"] for k in cli_json("show", path)["keyframes"]] == [0]


def test_project_edits_that_cannot_be_made_raise(tmp_path, sequence, still):
    project = fovara.Project.new(sequence / "scene0001.png", "zhue")
    with pytest.raises(fovara.Error, match="beyond the sequence's last frame 5"):
        project.set_keyframe(6, ZMIN=4.0)
    with pytest.raises(fovara.Error, match="frame 0 keeps its keyframe"):
        project.remove_keyframe(0)
    with pytest.raises(fovara.Error, match="frame 3 is not a keyframe"):
        project.remove_keyframe(3)
    with pytest.raises(fovara.Error, match="bad value '#12' for COLR"):
        project.set_keyframe(1, COLR="#12")
    with pytest.raises(fovara.Error, match="saved under a path first"):
        project.save()
    with pytest.raises(fovara.Error, match="not within 0 to 5"):
        project.render(frames=(2, 9), output=tmp_path / "x.png")
    assert project.keyframes == [0]
    single = fovara.Project.new(still, "fog")
    with pytest.raises(fovara.Error, match="single image's animation, 999"):
        single.set_keyframe(1000, DENS=0.2)
    with pytest.raises(fovara.Error, match="not a readable|cannot be opened|is damaged, or is not a Fovara project"):
        fovara.Project.open(still)


def test_a_project_renders_the_files_of_the_command_line(tmp_path, sequence):
    path = tmp_path / "shot.fvz"
    cli("new", sequence / "scene0001.png", "--filter", "dof", "-o", path)
    cli("set", path, "--frame", 5, "DMIN=19", "DMAX=24", "FARB=30")
    (tmp_path / "cli").mkdir()
    cli("render", path, "--frames", "1-4", "-o", tmp_path / "cli" / "f.png", "--quiet")

    project = fovara.Project.open(path)
    seen = []
    report = project.render(frames=(1, 4), output=tmp_path / "module" / "f.png",
                            progress=lambda *args: seen.append(args))
    assert (report.rendered, report.kept, report.cancelled) == (4, 0, False)
    assert file_bytes(tmp_path / "module") == file_bytes(tmp_path / "cli")
    assert [(index, count, kept) for index, count, _, kept in seen] == [(i, 4, False) for i in range(1, 5)]
    assert [file for _, _, file, _ in seen] == report.files
    assert report.files[0].endswith("f0002.png")

    # A second run keeps every frame without rendering it.
    again = project.render(frames=(1, 4), output=tmp_path / "module" / "f.png", skip_existing=True)
    assert (again.rendered, again.kept) == (0, 4)


def test_keyframes_changed_in_a_session_render_as_after_a_save(tmp_path, sequence):
    # The frame the project is on follows a change of its keyframe, as it would after a save.
    path = tmp_path / "shot.fvz"
    cli("new", sequence / "scene0001.png", "--filter", "zsat", "-o", path)
    project = fovara.Project.open(path)
    project.set_keyframe(0, ZMIN=2.0, ZMAX=9.0)
    project.render(frames=0, output=tmp_path / "module" / "f.tga")
    cli("set", path, "--frame", 0, "ZMIN=2", "ZMAX=9")
    cli("render", path, "--frames", "0", "-o", tmp_path / "cli" / "f.tga", "--quiet")
    assert file_bytes(tmp_path / "module") == file_bytes(tmp_path / "cli")


@pytest.fixture
def focus_pull(tmp_path, sequence):
    """A depth-of-field project over the sequence and the bytes of each of its rendered frames."""
    project = fovara.Project.new(sequence / "scene0001.png", "dof")
    project.set_keyframe(0, DMIN=3.0, DMAX=4.5, NERB=30, FARB=40)
    project.set_keyframe(5, DMIN=19.0, DMAX=24.0)
    project.render(output=tmp_path / "whole" / "f.png")
    return project, file_bytes(tmp_path / "whole")


def assert_complete_frames_only(folder, whole, fewer_than):
    folder.mkdir(exist_ok=True)
    assert hidden_leftovers(folder) == []
    written = file_bytes(folder)
    assert len(written) < fewer_than
    for name, data in written.items():
        assert data == whole[name], f"{name} differs from the same frame rendered in full"


def test_a_render_stops_when_the_callback_returns_false(tmp_path, focus_pull):
    project, whole = focus_pull
    report = project.render(output=tmp_path / "stopped" / "f.png", progress=lambda index, *_: index < 2)
    assert report.cancelled and 2 <= report.rendered < 6
    assert_complete_frames_only(tmp_path / "stopped", whole, fewer_than=6)


def test_keyboard_interrupt_in_the_callback_stops_the_render(tmp_path, focus_pull):
    project, whole = focus_pull

    def interrupt(index, *_):
        if index == 1:
            raise KeyboardInterrupt

    with pytest.raises(KeyboardInterrupt):
        project.render(output=tmp_path / "stopped" / "f.png", progress=interrupt)
    assert_complete_frames_only(tmp_path / "stopped", whole, fewer_than=6)


@pytest.fixture
def ctrl_c_raises():
    """A process started in the background by a shell ignores SIGINT, and Python then raises
    nothing for Ctrl+C: the handler of an interactive session is put in place meanwhile."""
    previous = signal.signal(signal.SIGINT, signal.default_int_handler)
    yield
    signal.signal(signal.SIGINT, previous)


def test_ctrl_c_stops_a_render_while_a_frame_renders(tmp_path, focus_pull, ctrl_c_raises):
    project, whole = focus_pull
    # Ctrl+C arrives while the core works without the GIL; it is seen at its next poll.
    started = threading.Event()
    threading.Thread(target=lambda: (started.wait(), _thread.interrupt_main()), daemon=True).start()

    def first_frame_done(*_):
        started.set()

    with pytest.raises(KeyboardInterrupt):
        project.render(output=tmp_path / "stopped" / "f.png", progress=first_frame_done)
        time.sleep(5)  # a render that ignored Ctrl+C ends here, and the interrupt comes too late
    assert_complete_frames_only(tmp_path / "stopped", whole, fewer_than=6)


def test_other_python_threads_run_while_a_frame_renders(still):
    colour, _, depth = fovara.read_frame(still)
    big_colour = np.tile(colour, (4, 4, 1))
    big_depth = np.tile(depth, (4, 4))
    render = threading.Thread(target=fovara.render, args=(big_colour, big_depth),
                              kwargs={"settings": {"NERB": 40, "FARB": 40}})
    ticks = 0
    render.start()
    while render.is_alive():
        ticks += 1
        time.sleep(0.002)
    assert ticks >= 5
