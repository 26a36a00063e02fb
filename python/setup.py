"""Builds the extension kestrel._kestrel with the project's CMake build.

    /usr/bin/python3 -m venv --system-site-packages ~/kestrel-env
    ~/kestrel-env/bin/pip install --no-build-isolation ./python

Needs CMake, a C++17 compiler, zlib, pybind11 (Debian: pybind11-dev) and
numpy for the installing interpreter; libpcap (libpcap-dev) adds packet
captures. Nothing is downloaded.
"""

import pathlib
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

HERE = pathlib.Path(__file__).resolve().parent
ROOT = HERE.parent


class CMakeBuild(build_ext):
    """Configures the project with only the library and the module, builds
    the module and puts it where setuptools expects the extension."""

    def build_extension(self, ext):
        if not (ROOT / "CMakeLists.txt").is_file():
            sys.exit(f"setup.py: the project's CMakeLists.txt is not beside {HERE}")
        target = pathlib.Path(self.get_ext_fullpath(ext.name)).resolve()
        build = pathlib.Path(self.build_temp).resolve() / "cmake"
        subprocess.run([
            "cmake", "-S", str(ROOT), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
            "-DKESTREL_BUILD_TESTS=OFF", "-DKESTREL_BUILD_BENCHMARKS=OFF",
            "-DKESTREL_BUILD_TOOLS=OFF", "-DKESTREL_BUILD_EXAMPLES=OFF",
            "-DKESTREL_BUILD_PYTHON=ON", f"-DPython_EXECUTABLE={sys.executable}",
        ], check=True)
        subprocess.run(["cmake", "--build", str(build), "--target", "_kestrel", "--parallel", "2"],
                       check=True)
        built = build / "python" / "kestrel" / target.name
        if not built.is_file():
            sys.exit("setup.py: the module was not built (pybind11 or numpy missing?)")
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


setup(ext_modules=[Extension("kestrel._kestrel", sources=[])], cmdclass={"build_ext": CMakeBuild})
