"""What every test of the module runs under: NumPy's floating-point warnings
as errors, and one random seed for the random inputs, fixed by
CORVANE_TEST_SEED (as ctest sets it) or drawn anew and printed on failure."""

import os
import random

import hypothesis
import numpy as np
import pytest

np.seterr(all="raise")
SEED = int(os.environ.get("CORVANE_TEST_SEED") or random.randrange(2**32))


def pytest_collection_modifyitems(items):
    for item in items:
        if getattr(item.obj, "is_hypothesis_test", False):
            hypothesis.seed(SEED)(item.obj)


def pytest_terminal_summary(terminalreporter, exitstatus):
    if exitstatus != 0:
        terminalreporter.write_line(f"random inputs from CORVANE_TEST_SEED={SEED}")


@pytest.fixture
def rng():
    return np.random.default_rng(SEED)
