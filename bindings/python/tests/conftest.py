"""Shared fixtures: the library under test, engines closed after each test,
and logged-in users on the loopback SDK."""

import os
import uuid

import pytest

import velmo_kiv

APP_ID = "python-host-tests"
LOGIN = "KivClient_login_1fa04dd"
LOGOUT = "KivClient_logout_90386a9"
SUBSCRIBE = "KivClient_subscribe_3fae92d"
PUBLISH = "KivClient_publish_2d36e93"
LOGIN_RESULT = "KivEventHandler_onLoginResult_4f46899"
SUBSCRIBE_RESULT = "KivEventHandler_onSubscribeResult_edf84fc"
PUBLISH_RESULT = "KivEventHandler_onPublishResult_4f46899"
MESSAGE_EVENT = "KivEventHandler_onMessageEvent_ce5f8f5"
MESSAGE_CHANNEL = 1  # the loopback SDK's message channels


@pytest.fixture(scope="session")
def library():
    if not os.environ.get(velmo_kiv.LIBRARY_ENV):
        pytest.fail("set %s to the built VelmoKivWrapper library" % velmo_kiv.LIBRARY_ENV)
    return velmo_kiv.load_library()


@pytest.fixture
def make_engine(library):
    engines = []

    def make(**kwargs):
        engine = velmo_kiv.Engine(library, **kwargs)
        engines.append(engine)
        return engine

    yield make
    for engine in reversed(engines):
        engine.close()


def unique(prefix):
    """A channel or user name of this test alone: the loopback service is shared
    by every engine of the process."""
    return "%s-%s" % (prefix, uuid.uuid4().hex[:10])


def result_event(sink, event_name, request_id, timeout=10.0):
    """The result event answering the request with this id."""
    return sink.wait_for(
        lambda event: event.name == event_name and event.data.get("requestId") == request_id,
        timeout)


def request(engine, name, params, result_name, payload=None):
    """Makes an asynchronous call and returns its result event's body."""
    code, result = engine.call(name, params, payload)
    assert code == velmo_kiv.OK, (name, code, result)
    assert result["result"] == 0
    return result_event(engine.sink, result_name, result["requestId"]).data


@pytest.fixture
def login(make_engine):
    """An engine whose client is created and logged in as the given user."""

    def login_as(user_id, **engine_kwargs):
        engine = make_engine(**engine_kwargs)
        code, result = engine.create_client({"appId": APP_ID, "userId": user_id})
        assert (code, result) == (0, {"result": 0, "errorCode": 0}), engine.error_reason(
            result["errorCode"] if isinstance(result, dict) else 0)
        body = request(engine, LOGIN, {"token": "token-" + user_id}, LOGIN_RESULT)
        assert body["errorCode"] == 0, engine.error_reason(body["errorCode"])
        return engine

    return login_as
