"""The generated names are current, and refused calls are explained from them."""

import importlib.util
import os

import pytest

import velmo_kiv
from conftest import LOGIN, SUBSCRIBE, unique

ROOT = os.path.join(os.path.dirname(__file__), os.pardir, os.pardir, os.pardir)


def test_names_are_what_the_generator_writes_from_the_description():
    path = os.path.join(ROOT, "tools", "bindgen", "python_names.py")
    module_source = importlib.util.spec_from_file_location("python_names", path)
    generator = importlib.util.module_from_spec(module_source)
    module_source.loader.exec_module(generator)
    with open(velmo_kiv.names.__file__, encoding="utf-8", newline="") as committed:
        assert committed.read() == generator.render(generator.api_model.load()), \
            "run python3 tools/bindgen/python_names.py"


@pytest.mark.parametrize("name, params, said", [
    (SUBSCRIBE, {"channelName": "lobby"},
     'answered -2: KivClient_subscribe_3fae92d needs "options" (object SubscribeOptions)'),
    (LOGIN, {"token": 5}, '"token" must be string, not int'),
    (LOGIN, '{"token": ', "the parameters are not JSON"),
    ("KivClient_logn_1fa04dd", {"token": "t"},
     "answered -1009: no API is named KivClient_logn_1fa04dd; did you mean KivClient_login_1fa04dd"),
])
def test_refused_calls_are_explained_in_the_log(login, caplog, name, params, said):
    engine = login(unique("alice"))
    code, _ = engine.call(name, params)
    assert code in (velmo_kiv.BAD_PARAMS, velmo_kiv.UNKNOWN_API)
    assert said in caplog.text
