"""Two users chat on the loopback SDK through the Python host; payload bytes
arrive exactly as sent."""

import random

import pytest

import velmo_kiv
from conftest import (LOGOUT, MESSAGE_CHANNEL, MESSAGE_EVENT, PUBLISH, PUBLISH_RESULT,
                      SUBSCRIBE, SUBSCRIBE_RESULT, request, unique)

LOGOUT_RESULT = "KivEventHandler_onLogoutResult_4f46899"


def subscribe(engine, channel):
    body = request(engine, SUBSCRIBE, {"channelName": channel, "options": {"withMessage": True}},
                   SUBSCRIBE_RESULT)
    assert body["errorCode"] == 0, engine.error_reason(body["errorCode"])


def publish(engine, channel, payload):
    """Publishes and returns the publish result's error code."""
    option = {"channelType": MESSAGE_CHANNEL, "messageType": 0}
    body = request(engine, PUBLISH, {"channelName": channel, "option": option}, PUBLISH_RESULT,
                   payload)
    return body["errorCode"]


def received(engine, channel, publisher):
    return engine.sink.wait_for(
        lambda event: (event.name == MESSAGE_EVENT and
                       event.data["event"]["channelName"] == channel and
                       event.data["event"]["publisher"] == publisher))


def test_two_users_exchange_messages(login):
    alice_id, bob_id = unique("alice"), unique("bob")
    alice, bob = login(alice_id), login(bob_id)
    channel = unique("chat")
    subscribe(alice, channel)
    subscribe(bob, channel)

    assert publish(alice, channel, "hello bob".encode()) == 0
    message = received(bob, channel, alice_id)
    assert message.payload == b"hello bob"
    assert message.data["event"]["channelType"] == MESSAGE_CHANNEL

    assert publish(bob, channel, "hi alice, ça va ✓".encode()) == 0
    reply = received(alice, channel, bob_id)
    assert reply.payload.decode() == "hi alice, ça va ✓"


PAYLOADS = {
    "all byte values": bytes(range(256)),
    "leading NULs": b"\0" * 8 + b"after the NULs\0",
    "one byte": b"\xff",
    "4 KiB": random.Random(7).randbytes(4096),
    "not UTF-8": b"\xc3\x28\xa0\xa1\xe2\x28\xa1\xf0\x28\x8c\xbc",
}


@pytest.mark.parametrize("payload", PAYLOADS.values(), ids=PAYLOADS.keys())
def test_payload_bytes_end_to_end(login, payload):
    sender_id = unique("sender")
    sender, receiver = login(sender_id), login(unique("receiver"))
    channel = unique("bytes")
    subscribe(receiver, channel)

    assert publish(sender, channel, bytearray(payload)) == 0
    message = received(receiver, channel, sender_id)
    assert message.payloads == (payload,)
    body = message.data["event"]
    assert body["messageLength"] == len(payload)
    assert body["messageLength_str"] == str(len(payload))


def test_publish_after_logout_fails_in_its_result_event(login):
    alice = login(unique("alice"))
    channel = unique("chat")
    subscribe(alice, channel)
    body = request(alice, LOGOUT, None, LOGOUT_RESULT)
    assert body["errorCode"] == 0
    error = publish(alice, channel, b"into the void")
    assert error != 0
    assert alice.error_reason(error)
    # An SDK failure is an event, never a return code.
    assert alice.call(PUBLISH, {"channelName": channel, "option": {}}, b"x")[0] == velmo_kiv.OK
