"""python -m kestrel plot draws a PNG."""
import pytest

pytest.importorskip("matplotlib")

from kestrel.__main__ import main  # noqa: E402

PNG = b"\x89PNG\r\n\x1a\n"


@pytest.mark.parametrize("kind", ["day", "minute", "trend"])
def test_plot_writes_a_png(session_path, tmp_path, kind):
    out = tmp_path / f"{kind}.png"
    assert main(["plot", str(session_path), "--code", "600000.SH", "--out", str(out),
                 "--kind", kind]) == 0
    assert out.read_bytes().startswith(PNG)


def test_plot_of_an_absent_code_fails(session_path, tmp_path, capsys):
    assert main(["plot", str(session_path), "--code", "NONE.SH", "--out",
                 str(tmp_path / "x.png")]) == 1
    assert "no day series of NONE.SH" in capsys.readouterr().err
