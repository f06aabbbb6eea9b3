# The README's pipeline script runs as printed, over the sample scene it names.
import os
import re
import subprocess
import sys

import fovara
from conftest import ROOT, cli


def readme_script():
    readme = (ROOT / "README.md").read_text()
    section = readme.split("\n## Python\n", 1)[1]
    return re.search(r"```python\n(.*?)```", section, re.S).group(1)


def test_the_readme_pipeline_script_runs(tmp_path):
    script = readme_script()
    assert len(script.strip().splitlines()) <= 14
    cli("sample", tmp_path / "shot", "--width", 160, "--height", 120)
    # The module under test, wherever the script runs from.
    env = dict(os.environ, PYTHONPATH=os.path.dirname(fovara.__file__))
    result = subprocess.run([sys.executable, "-c", script], cwd=tmp_path, capture_output=True, text=True, env=env)
    assert result.returncode == 0, result.stderr
    assert "8/8" in result.stdout
    written = sorted(p.name for p in (tmp_path / "out").iterdir())
    assert len(written) == 9 and "strong0004.png" in written
    assert (tmp_path / "shot.fvz").is_file()
