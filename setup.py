# pip install --no-build-isolation .  builds the Python module corvane, with
# Debian's scikit-build, setuptools and CMake: the engine and the binding
# alone (CORVANE_PYTHON_ONLY), no Qt. README.md, "In Python", says what to install.
import re

from skbuild import setup

with open("CMakeLists.txt") as cmake:
    version = re.search(r'set\(CORVANE_VERSION "([^"]+)"\)', cmake.read()).group(1)

setup(
    name="corvane",
    version=version,
    description="Telephone traffic engine as NumPy functions: Erlang B, extended Erlang B, "
    "Erlang C, Erlang A, Engset, overflow traffic",
    license="MIT",
    packages=["corvane"],
    package_dir={"": "python"},
    package_data={"corvane": ["__init__.pyi", "py.typed"]},
    python_requires=">=3.9",
    install_requires=["numpy"],
    cmake_args=["-DCORVANE_PYTHON_ONLY=ON", "-DBUILD_TESTING=OFF"],
)
