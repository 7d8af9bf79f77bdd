"""The build of the Python package paleoviz for pip (see pyproject.toml):
the extension paleoviz._core comes from the project's own CMake build, with
only the GL-free libraries and the module in it."""
import os
import pathlib
import re
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).parent.resolve()


def version():
    text = (ROOT / "cmake" / "version.cmake").read_text()
    return re.search(r"set\(PALEOVIZ_VERSION ([0-9.]+)\)", text).group(1)


class CMakeExtension(Extension):
    def __init__(self, name):
        super().__init__(name, sources=[])


class CMakeBuild(build_ext):
    """Configures and builds the target paleoviz_python, then copies the
    module where setuptools expects the extension. CMAKE_ARGS (as
    scikit-build's) adds options, e.g. -DCMAKE_CXX_COMPILER_LAUNCHER=ccache."""

    def build_extension(self, ext):
        build = pathlib.Path(self.build_temp).resolve() / "cmake"
        target = pathlib.Path(self.get_ext_fullpath(ext.name)).resolve()
        options = ["-DCMAKE_BUILD_TYPE=Release", "-DPALEOVIZ_PYTHON=ON",
                   "-DPALEOVIZ_PYTHON_EXECUTABLE=" + sys.executable,
                   "-DPALEOVIZ_BUILD_WINDOW=OFF", "-DPALEOVIZ_BUILD_TOOLS=OFF",
                   "-DPALEOVIZ_TESTS=OFF", "-DPALEOVIZ_BENCHMARKS=OFF"]
        options += os.environ.get("CMAKE_ARGS", "").split()
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", str(os.cpu_count() or 1))
        subprocess.check_call(["cmake", "-S", str(ROOT), "-B", str(build)] + options)
        subprocess.check_call(["cmake", "--build", str(build), "--target", "paleoviz_python",
                               "-j", jobs])
        built = next((build / "python" / "paleoviz").glob("_core*.so"))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


setup(version=version(), ext_modules=[CMakeExtension("paleoviz._core")],
      cmdclass={"build_ext": CMakeBuild})
