import pytest

from desktop import desktop_fixture

desktop = pytest.fixture(desktop_fixture)
