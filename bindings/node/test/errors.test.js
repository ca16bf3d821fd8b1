'use strict';
// Refusals before the call name the key; return codes and failed requests
// become Error subclasses carrying the code.

const test = require('node:test');
const assert = require('node:assert/strict');
const { kiv, unique, newEngine, login } = require('./support');

const LOGIN = 'KivClient_login_1fa04dd';

test('parameters are checked before the call, naming the call and the key', { timeout: 60000 }, async () => {
  const engine = await login(unique('checked'));
  const cases = [
    [() => engine.client.login({}), 'token', /is missing/],
    [() => engine.client.login({ token: 5 }), 'token', /must be a string/],
    [() => engine.client.subscribe({ channelName: 'c', options: [] }), 'options', /an object/],
    [() => engine.lock.setLock({ channelName: 'c', channelType: '2', lockName: 'l', ttl: 1 }), 'channelType', /a number/],
    [() => engine.client.publish({ channelName: 'c', option: {} }), 'message', /payload/],
    [() => engine.client.publish({ channelName: 'c', length: 4, option: {} }, 'abc'), 'length', /outside/],
    [() => engine.client.publish({ channelName: 'c', length: -1, option: {} }, 'abc'), 'length', /outside/],
    [() => engine.client.publish({ channelName: 'c', option: { channelType: '1' } }, 'x'), 'option.channelType', /a number/],
    [() => engine.presence.setState({ channelName: 'c', channelType: 1, items: [{ key: 1 }] }), 'items[0].key', /a string/],
    [() => engine.presence.setState({ channelName: 'c', channelType: 1, items: [], count: 2 }), 'count', /more than the 0/],
    [() => engine.client.login('{"token":7}'), 'token', /must be a string/],
    [() => engine.client.login('not json but refused by the library'), null, null],
  ];
  for (const [call, key, problem] of cases) {
    // An asynchronous method refuses through its Promise, never by throwing.
    let outcome;
    assert.doesNotThrow(() => (outcome = call()));
    if (key === null) {
      await assert.rejects(outcome, (e) => e instanceof kiv.KivCallError && e.code === -2 && /^client\.login returned -2/.test(e.message));
      continue;
    }
    await assert.rejects(outcome, (e) => {
      assert.ok(e instanceof kiv.KivParamsError, String(e));
      assert.equal(e.key, key);
      assert.equal(e.code, -2);
      assert.match(e.message, problem);
      // Named as the caller wrote it, with the caller's stack.
      assert.match(e.message, /^(client|lock|presence)\.\w+: "/);
      assert.match(e.stack, /errors\.test\.js/);
      return true;
    });
  }
  // A refused call left the engine usable.
  assert.equal((await engine.client.login({ token: 'again' })).body.errorCode, 0);
});

test('return codes become KivCallError with the code', { timeout: 60000 }, async () => {
  const engine = newEngine();
  await assert.rejects(engine.client.login({ token: 't' }), (e) => {
    assert.ok(e instanceof kiv.KivCallError && e.code === -7);
    assert.match(e.message, /^client\.login returned -7 \(noClient: no SDK client/);
    return true;
  });
  const cases = [
    [() => engine.invoke('KivClient_noSuchCall', {}), -1009],
    [() => engine.client.release(), -7],
    // The loopback SDK refuses an empty user id with 4, and gives its reason.
    [() => engine.client.create({ config: { appId: 'a', userId: '' } }), 4, /^client\.create returned 4: userId is missing/],
  ];
  for (const [call, code, message = /./] of cases) {
    assert.throws(call, (e) => e instanceof kiv.KivCallError && e.code === code && message.test(e.message));
  }
  // call() itself never throws for a code.
  assert.equal(engine.call('Nothing_call', {}).code, -4);
  assert.equal(engine.call('KivClient_noSuchCall', {}).code, -1009);
  assert.throws(() => engine.call('KivClient_login\0_1fa04dd', {}), TypeError);
  assert.throws(() => engine.call('KivClient_create', null, Buffer.from('no')), TypeError);
});

test('a failed request rejects with KivRequestError carrying the SDK code and the caller\'s stack', { timeout: 60000 }, async () => {
  const engine = await login(unique('failing'));
  await engine.client.logout();
  await assert.rejects(engine.client.logout(), (e) => {
    assert.ok(e instanceof kiv.KivRequestError);
    assert.ok(e.code > 0);
    assert.equal(e.event.callback, 'onLogoutResult');
    assert.match(e.message, /^client\.logout failed with error/);
    assert.match(e.stack, /errors\.test\.js/);
    return true;
  });
});

test('paramsLength is the UTF-8 byte length', { timeout: 60000 }, () => {
  const engine = newEngine();
  const created = engine.call('KivClient_create', { config: { appId: 'ä✓', userId: '用户' } });
  assert.deepEqual(created.result, { result: 0, errorCode: 0 });
  // Raw JSON text with non-ASCII characters is parsed whole, not cut short.
  const raw = engine.call(LOGIN, '{"token":"tökén-✓"}');
  assert.equal(raw.code, 0);
  assert.equal(raw.result.result, 0);
});
