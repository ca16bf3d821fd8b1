'use strict';
// The event a listener receives reads as the plain object it stands for, its
// body (parsed when first read) included, in every way a host copies or
// prints it; requests closed under the host keep the host's stack.

const test = require('node:test');
const assert = require('node:assert/strict');
const { inspect } = require('node:util');
const { kiv, MESSAGE_CHANNEL, unique, login, nextEvent } = require('./support');

test('an event copies, prints and serialises with its body, addresses removed', { timeout: 60000 }, async () => {
  const senderId = unique('object-sender');
  const [sender, receiver] = await Promise.all([login(senderId), login(unique('object-receiver'))]);
  const channelName = unique('object');
  await receiver.client.subscribe({ channelName, options: { withMessage: true } });
  // Caught as delivered, before anything has read its body.
  const arriving = new Promise((resolve) => {
    receiver.listen().on('onMessageEvent', function first(event) {
      receiver.off('onMessageEvent', first);
      receiver.unlisten();
      resolve(event);
    });
  });
  await sender.client.publish({ channelName, option: { channelType: MESSAGE_CHANNEL } }, Buffer.from('abc'));
  const event = await arriving;

  const views = {
    'JSON text': (e) => JSON.parse(JSON.stringify(e)).body,
    'structured clone': (e) => structuredClone(e).body,
    spread: (e) => ({ ...e }).body,
    'Object.entries': (e) => Object.fromEntries(Object.entries(e)).body,
    destructuring: ({ body }) => body,
  };
  for (const [view, bodyOf] of Object.entries(views)) {
    const body = bodyOf(event);
    assert.equal(body.event.publisher, senderId, view);
    assert.equal(body.event.messageLength, 3, view);
    assert.deepEqual(['message' in body.event, 'message_str' in body.event], [false, false], view);
  }
  assert.deepEqual(Object.keys(event), ['name', 'callback', 'body', 'payloads']);
  assert.match(inspect(event, { depth: 4 }), new RegExp(`publisher: '${senderId}'`));
  assert.deepEqual(event.payloads, [Buffer.from('abc')]);
  // The body is one object, and the host may replace it.
  assert.equal(event.body, event.body);
  event.body = { mine: true };
  assert.deepEqual(JSON.parse(JSON.stringify(event)).body, { mine: true });
});

test('a listener that replaces or renames a result event still lets its request settle', { timeout: 30000 }, async () => {
  const engine = await login(unique('replace'));
  engine.on('onSubscribeResult', (event) => {
    event.body = { replaced: true };
    event.name = 'renamed';
  });
  const settled = await engine.client.subscribe({ channelName: unique('replace'), options: {} });
  assert.deepEqual([settled.body, settled.name], [{ replaced: true }, 'renamed']);
});

test('requests failed by close or release carry the stack of the call', { timeout: 60000 }, async () => {
  // Ended from a microtask (before any event is delivered), bound: no
  // function of this file is on the stack that fails the request, so the file
  // can only appear through the call's.
  const endings = {
    close: (engine) => engine.close.bind(engine),
    release: (engine) => engine.client.release.bind(engine.client),
  };
  for (const [ending, endOf] of Object.entries(endings)) {
    const engine = await login(unique(`stack-${ending}`));
    const waiting = engine.client.logout();
    queueMicrotask(endOf(engine));
    await assert.rejects(waiting, (e) => {
      assert.ok(e instanceof kiv.KivStateError, ending);
      assert.match(e.message, /^client\.logout: the (engine was closed|client was released)/, ending);
      assert.match(e.stack, /event_object\.test\.js/, ending);
      return true;
    });
    engine.close();
  }
});

test('text that only looks like an escaped NUL is sent as it is', { timeout: 60000 }, async () => {
  const engine = await login(unique('escape'));
  const channelName = unique('back\\u0000slash');
  const subscribed = await engine.client.subscribe({ channelName, options: {} });
  assert.equal(subscribed.body.channelName, channelName);
  const arriving = nextEvent(engine, 'onMessageEvent', (e) => e.body.event.channelName === channelName);
  await engine.client.publish({ channelName, option: { customType: 'x\\u0000', channelType: MESSAGE_CHANNEL } }, 'p');
  assert.equal((await arriving).body.event.customType, 'x\\u0000');
});
