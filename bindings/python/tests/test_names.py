"""Refused calls are explained from the generated names."""

import pytest

import velmo_kiv
from conftest import LOGIN, SUBSCRIBE, unique


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
