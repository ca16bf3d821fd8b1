'use strict';
// Two users on the loopback SDK through the Engine class: requests settled by
// their result events, exact payload bytes, typed events, one call of each
// module, non-ASCII keys and values.

const test = require('node:test');
const assert = require('node:assert/strict');
const { MESSAGE_CHANNEL, unique, login, nextEvent } = require('./support');

const ALL_BYTES = Buffer.from(Array.from({ length: 256 }, (_, i) => i));

async function subscribe(engine, channelName) {
  const event = await engine.client.subscribe({ channelName, options: { withMessage: true } });
  assert.equal((await engine.client.subscribe({ channelName: `${channelName}-defaults` })).body.errorCode, 0);
  assert.equal(event.callback, 'onSubscribeResult');
  assert.equal(event.body.channelName, channelName);
}

function messageFrom(engine, channelName, publisher) {
  return nextEvent(
    engine,
    'onMessageEvent',
    (e) => e.body.event.channelName === channelName && e.body.event.publisher === publisher,
  );
}

test('two users exchange exact bytes and non-ASCII text', { timeout: 60000 }, async () => {
  const aliceId = unique('alice-ü');
  const bobId = unique('bob-✓');
  const [alice, bob] = await Promise.all([login(aliceId), login(bobId)]);
  const channel = unique('chat-ça-☕');
  await subscribe(alice, channel);
  await subscribe(bob, channel);

  const arriving = messageFrom(bob, channel, aliceId);
  const option = { channelType: MESSAGE_CHANNEL, messageType: 0 };
  const published = await alice.client.publish({ channelName: channel, option }, ALL_BYTES);
  assert.equal(published.body.errorCode, 0);
  const message = await arriving;
  assert.deepEqual(message.payloads, [ALL_BYTES]);
  assert.equal(message.name, 'KivEventHandler_onMessageEvent_ce5f8f5');
  assert.equal(message.body.event.messageLength, 256);
  assert.equal(message.body.event.messageLength_str, '256');
  // The SDK's address of the bytes is not part of the body.
  assert.deepEqual(['message' in message.body.event, 'message_str' in message.body.event], [false, false]);

  const text = 'hi alice, ça va ✓ 𝄞';
  const reply = messageFrom(alice, channel, bobId);
  await bob.client.publish({ channelName: channel, option }, text);
  assert.equal((await reply).payloads[0].toString('utf8'), text);
});

test('a payload buffer is a copy the host may keep', { timeout: 60000 }, async () => {
  const senderId = unique('sender');
  const [sender, receiver] = await Promise.all([login(senderId), login(unique('receiver'))]);
  const channel = unique('keep');
  await subscribe(receiver, channel);
  const received = [];
  receiver.on('onMessageEvent', (e) => received.push(e.payloads[0]));
  const payloads = ['first', 'second', 'third'].map((s) => Buffer.from(s.repeat(100)));
  const last = messageFrom(receiver, channel, senderId);
  for (const payload of payloads) {
    await sender.client.publish({ channelName: channel, option: { channelType: MESSAGE_CHANNEL } }, payload);
  }
  await last;
  while (received.length < 3) await new Promise((r) => setTimeout(r, 5));
  assert.deepEqual(received.map(String), payloads.map(String));
});

test('one call of each module, with non-ASCII keys and values', { timeout: 60000 }, async () => {
  const userId = unique('usér');
  const engine = await login(userId);
  const channel = unique('kanal-ß');

  assert.equal(engine.streamChannel.createStreamChannel({ channelName: channel }).result, 0);
  const joined = await engine.streamChannel.join({ channelName: channel, options: { token: 't' } });
  assert.equal(joined.body.channelName, channel);

  const items = [{ key: 'ключ-🔑', value: '値-✓' }];
  await engine.storage.setUserMetadata({ userId, data: { items }, options: {} });
  const stored = await engine.storage.getUserMetadata({ userId });
  assert.deepEqual(
    stored.body.data.items.map(({ key, value }) => ({ key, value })),
    items,
  );

  await engine.lock.setLock({ channelName: channel, channelType: 2, lockName: 'lås', ttl: 30 });
  const locks = await engine.lock.getLocks({ channelName: channel, channelType: 2 });
  assert.deepEqual(locks.body.lockDetailList.map((l) => l.lockName), ['lås']);

  const where = await engine.presence.whereNow({ userId });
  assert.ok(where.body.channels.some((c) => c.channelName === channel));

  // A record key left out is sent with its defaults.
  const history = await engine.history.getMessages({ channelName: channel, channelType: 1 });
  assert.equal(history.body.errorCode, 0);
  assert.deepEqual(history.payloads, []);
});
