'use strict';
// Teardown in every order, handlers that throw or try to tear down, and the
// event loop kept alive exactly while a request waits or the host listens.

const test = require('node:test');
const assert = require('node:assert/strict');
const { kiv, MESSAGE_CHANNEL, unique, newEngine, login, nextEvent, runChild } = require('./support');

// Floods `receiver` with `count` messages from `sender` on a fresh channel.
async function flood(sender, receiver, count) {
  const channelName = unique('flood');
  await receiver.client.subscribe({ channelName, options: { withMessage: true } });
  const option = { channelType: MESSAGE_CHANNEL };
  for (let i = 0; i < count; i++) sender.call('KivClient_publish_2d36e93', { channelName, option }, 'x');
  return channelName;
}

test('teardown in every order, with events queued and requests waiting', { timeout: 120000 }, async () => {
  const orders = {
    'close with a request waiting': async (a) => {
      const waiting = a.client.logout();
      a.close();
      await assert.rejects(waiting, (e) => e instanceof kiv.KivStateError && e.code === 'ERR_KIV_CLOSED');
    },
    'release, then close': async (a) => {
      assert.equal(a.client.release().result, 0);
      a.close();
    },
    'release with a request waiting': async (a) => {
      const waiting = a.client.logout();
      a.client.release();
      await assert.rejects(waiting, kiv.KivStateError);
      a.close();
    },
    'close twice': async (a) => {
      a.close();
      a.close();
      await assert.rejects(a.client.logout(), (e) => e.code === 'ERR_KIV_CLOSED');
      assert.throws(() => a.client.release(), (e) => e.code === 'ERR_KIV_CLOSED');
    },
    'close while the other engine floods it': async (a, b) => {
      await flood(b, a, 2000);
      a.close();
    },
    'close the sender mid-flood, then the receiver': async (a, b) => {
      await flood(a, b, 2000);
      a.close();
      b.close();
    },
    're-create the client with events queued': async (a, b) => {
      await flood(b, a, 500);
      assert.equal(a.client.create({ config: { appId: 'again', userId: unique('again') } }).result, 0);
      a.close();
    },
  };
  for (const [name, run] of Object.entries(orders)) {
    const [a, b] = await Promise.all([login(unique('a')), login(unique('b'))]);
    await run(a, b);
    assert.ok(a.closed || (a.close(), a.closed), name);
    b.close();
  }
});

test('a handler that throws does not stop delivery; teardown inside a handler is refused', { timeout: 120000 }, async () => {
  const engine = await login(unique('thrower'));
  const errors = [];
  engine.on('error', (e) => errors.push(e));
  engine.on('onLogoutResult', () => {
    throw new Error('listener failed');
  });
  const refusals = [];
  engine.on('onLogoutResult', () => {
    for (const attempt of [() => engine.close(), () => engine.client.release(), () => engine.client.create({})]) {
      try {
        attempt();
      } catch (e) {
        refusals.push(e.code);
      }
    }
  });
  const done = await engine.client.logout();
  assert.equal(done.body.errorCode, 0);
  assert.equal(errors.length, 1);
  assert.match(errors[0].message, /listener failed/);
  assert.deepEqual(refusals, Array(3).fill('ERR_KIV_IN_EVENT_HANDLER'));
  assert.equal(engine.closed, false);
});

test('the event loop stays alive exactly while a request waits or the host listens', { timeout: 120000 }, async () => {
  const prelude = `const kiv = require('.'); const e = new kiv.Engine();
    e.client.create({ config: { appId: 'alive', userId: 'u-' + process.pid } });`;
  const cases = {
    // A login that nothing else waits for still completes before exit.
    'request waiting': [`e.client.login({ token: 't' }).then(() => console.log('settled'));`, /settled/],
    // Listening keeps the process up until unlisten().
    listening: [
      `e.listen(); e.on('onLoginResult', () => { console.log('heard'); e.unlisten(); });
       e.call('KivClient_login_1fa04dd', { token: 't' });`,
      /heard/,
    ],
    // Neither: the process exits at once, engines open.
    idle: [`e.call('KivClient_login_1fa04dd', { token: 't' }); console.log('left');`, /left/],
  };
  const runs = Object.entries(cases).map(async ([name, [body, expected]]) => {
    const { code, signal, output } = await runChild(prelude + body);
    assert.equal(signal, null, name);
    assert.equal(code, 0, `${name}: ${output}`);
    assert.match(output, expected, name);
  });
  await Promise.all(runs);
});

test('a process exiting with engines open does not crash (50 runs)', { timeout: 300000 }, async () => {
  const script = `const kiv = require('.');
    const users = [new kiv.Engine(), new kiv.Engine()];
    const channelName = 'exit-' + process.pid;
    users.forEach((e, i) => e.client.create({ config: { appId: 'exit', userId: 'u' + i + '-' + process.pid } }));
    Promise.all(users.map((e) => e.client.login({ token: 't' }))).then(async () => {
      await users[1].client.subscribe({ channelName, options: { withMessage: true } });
      users[1].listen().on('onMessageEvent', () => {});
      for (let i = 0; i < 300; i++)
        users[0].call('KivClient_publish_2d36e93', { channelName, option: { channelType: 1 } }, 'bye');
      const mode = process.argv[1];
      if (mode === 'now') process.exit(0);
      else if (mode === 'soon') setImmediate(() => process.exit(0));
      else users[1].unlisten(); // the loop runs dry with both engines open
    });`;
  const modes = ['now', 'soon', 'dry'];
  const outcomes = [];
  for (let batch = 0; batch < 10; batch++) {
    const runs = Array.from({ length: 5 }, (_, i) => runChild(script, { args: [modes[(batch + i) % 3]] }));
    outcomes.push(...(await Promise.all(runs)));
  }
  const failed = outcomes.filter((o) => o.code !== 0 || o.signal !== null);
  assert.deepEqual(failed, []);
});

test('process.exit from inside a handler, with a request waiting', { timeout: 120000 }, async () => {
  const { code, signal, output } = await runChild(`const kiv = require('.');
    const e = new kiv.Engine();
    e.client.create({ config: { appId: 'exit', userId: 'in-handler-' + process.pid } });
    e.on('onLoginResult', () => { e.client.logout(); process.exit(3); });
    e.client.login({ token: 't' });`);
  assert.deepEqual({ code, signal }, { code: 3, signal: null }, output);
});
