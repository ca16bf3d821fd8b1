'use strict';
// Inputs at the edges: empty payloads, NUL characters inside texts, and
// results longer than the library's result buffer.

const test = require('node:test');
const assert = require('node:assert/strict');
const { kiv, MESSAGE_CHANNEL, unique, login, nextEvent } = require('./support');

test('an empty payload is published and arrives empty', { timeout: 60000 }, async () => {
  const senderId = unique('empty-sender');
  const [sender, receiver] = await Promise.all([login(senderId), login(unique('empty-receiver'))]);
  const channelName = unique('empty');
  await receiver.client.subscribe({ channelName, options: { withMessage: true } });
  const option = { channelType: MESSAGE_CHANNEL };
  for (const payload of [Buffer.alloc(0), '', new Uint8Array(0), new ArrayBuffer(0)]) {
    const arriving = nextEvent(receiver, 'onMessageEvent', (e) => e.body.event.publisher === senderId);
    const published = await sender.client.publish({ channelName, option }, payload);
    assert.equal(published.body.errorCode, 0);
    const message = await arriving;
    assert.equal(message.body.event.messageLength, 0);
    assert.deepEqual(message.payloads.map((p) => p.length), [0]);
  }
});

test('a NUL inside any text is refused before the call, naming its key', { timeout: 60000 }, async () => {
  const engine = await login(unique('nul'));
  const cases = [
    [() => engine.client.subscribe({ channelName: 'room\0b', options: {} }), 'channelName'],
    [() => engine.client.subscribe('{"channelName":"room\\u0000b","options":{}}'), 'channelName'],
    [() => engine.storage.setUserMetadata({ userId: 'u', data: { items: [{ key: 'k', value: 'a\0' }] }, options: {} }),
      'data.items[0].value'],
    [() => engine.client.publish({ channelName: 'c', option: { customType: 'x\0' } }, 'p'), 'option.customType'],
  ];
  for (const [call, key] of cases) {
    await assert.rejects(call(), (e) => {
      assert.ok(e instanceof kiv.KivParamsError, String(e));
      assert.deepEqual([e.key, e.code], [key, -2]);
      assert.match(e.message, /NUL/);
      return true;
    });
  }
  // The unchecked call refuses it too.
  assert.throws(() => engine.call('KivClient_subscribe_3fae92d', { channelName: 'room\0b' }), kiv.KivParamsError);
});

test('a synchronous result longer than the result buffer is an error, not a cut result', { timeout: 60000 }, async () => {
  const engine = await login(unique('long'));
  const cases = [
    // [name length, cut]
    [100, false],
    [65000, false],
    [70000, true],
  ];
  for (const [length, cut] of cases) {
    const channelName = 'c'.repeat(length);
    engine.streamChannel.createStreamChannel({ channelName });
    const raw = engine.call('StreamChannel_getChannelName', { channelName });
    assert.equal(raw.cut, cut, `${length}`);
    if (cut) {
      assert.throws(
        () => engine.streamChannel.getChannelName({ channelName }),
        (e) => e instanceof kiv.KivResultCutError && /streamChannel\.getChannelName.*cut/.test(e.message),
      );
    } else {
      assert.equal(engine.streamChannel.getChannelName({ channelName }).result, channelName);
    }
    engine.streamChannel.release({ channelName });
  }
});
