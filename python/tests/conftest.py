import os
import pathlib

import pytest

SAMPLES = pathlib.Path(os.environ.get("KESTREL_SAMPLES",
                                      pathlib.Path(__file__).resolve().parents[2] / "samples"))


@pytest.fixture(scope="session")
def session_path():
    return SAMPLES / "session.kst"


@pytest.fixture(scope="session")
def session_bytes(session_path):
    return session_path.read_bytes()
