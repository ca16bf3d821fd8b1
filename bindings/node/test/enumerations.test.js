'use strict';
// The enumerations name the numbers the loopback SDK reports, and the keys
// with a binding default may be left out of the typed calls.

const test = require('node:test');
const assert = require('node:assert/strict');
const { kiv, APP_ID, unique, newEngine, login, nextEvent } = require('./support');

const { ChannelType, LinkState, LinkOperation, ConnectionState, LockEventType } = kiv;

test('the named numbers are those of the events the loopback SDK sends', { timeout: 60000 }, async () => {
  const userId = unique('enum');
  const engine = newEngine();
  engine.client.create({ config: { appId: APP_ID, userId } });
  engine.client.setLogLevel({ level: kiv.KivLogLevel.None });
  const link = nextEvent(engine, 'onLinkStateEvent');
  const connection = nextEvent(engine, 'onConnectionStateChanged');
  await engine.client.login({ token: `token-${userId}` });
  const { event } = (await link).body;
  assert.equal(event.previousState, LinkState.Idle);
  assert.equal(event.currentState, LinkState.Connected);
  assert.equal(event.operation, LinkOperation.Login);
  assert.equal((await connection).body.state, ConnectionState.Connected);
});

test('retry and lockName may be left out: the binding sends false and ""', { timeout: 60000 }, async () => {
  const engine = await login(unique('defaults'));
  const channelName = unique('room');
  await engine.client.subscribe({ channelName, options: { withLock: true } });
  await engine.lock.setLock({ channelName, channelType: ChannelType.Message, lockName: 'pen', ttl: 30 });
  const acquiredEvent = nextEvent(engine, 'onLockEvent', (e) => e.body.event.eventType === LockEventType.Acquired);
  const acquired = await engine.lock.acquireLock({ channelName, channelType: ChannelType.Message, lockName: 'pen' });
  assert.equal(acquired.body.errorCode, 0);
  assert.equal(acquired.body.channelType, ChannelType.Message);
  assert.equal((await acquiredEvent).body.event.lockDetailList[0].lockName, 'pen');

  const data = { items: [{ key: 'topic', value: 'enumerations' }] };
  for (const write of ['setChannelMetadata', 'updateChannelMetadata', 'removeChannelMetadata']) {
    const done = await engine.storage[write]({ channelName, channelType: ChannelType.Message, data });
    assert.equal(done.body.errorCode, 0, write);
  }
  // The library itself still needs both keys: the defaults are the binding's.
  const raw = engine.call('KivLock_acquireLock_cd2dbc2', { channelName, channelType: 1, lockName: 'pen' });
  assert.equal(raw.code, kiv.codes.badParams);
});
