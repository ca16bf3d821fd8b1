'use strict';
// Worker threads that end while their engines are busy: the process neither
// aborts nor keeps the engines of a thread that is gone.

const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const { runChild } = require('./support');

// A worker with two logged-in engines, one flooding the other, a request
// waiting and the receiver listening; then the worker ends as `mode` says.
// Afterwards the main thread asks the loopback service whether the worker's
// users are still in their channel.
const SCRIPT = `
const { Worker } = require('node:worker_threads');
const kiv = require('.');
const [mode, tag] = process.argv.slice(1);
const channelName = 'worker-' + tag;
const workerSource = \`
  const { parentPort, workerData } = require('node:worker_threads');
  const kiv = require(workerData.root);
  const { channelName, mode } = workerData;
  (async () => {
    const users = [new kiv.Engine(), new kiv.Engine()];
    users.forEach((e, i) => e.client.create({ config: { appId: 'workers', userId: channelName + '-u' + i } }));
    await Promise.all(users.map((e) => e.client.login({ token: 't' })));
    await Promise.all(users.map((e) => e.client.subscribe({ channelName, options: { withMessage: true, withPresence: true } })));
    users[1].listen().on('onMessageEvent', () => {});
    users[0].presence.whereNow({ userId: 'nobody' }).catch(() => {});
    const option = { channelType: 1 };
    const flood = () => {
      for (let i = 0; i < 200; i++) users[0].call('KivClient_publish_2d36e93', { channelName, option }, 'busy');
      setImmediate(flood);
    };
    flood();
    parentPort.on('message', () => process.exit(0));
    parentPort.postMessage('busy');
  })();
\`;
const worker = new Worker(workerSource, { eval: true, workerData: { root: process.cwd(), channelName, mode } });
worker.once('message', () => {
  if (mode === 'terminate') worker.terminate();
  else if (mode === 'worker-exit') worker.postMessage('exit');
  else process.exit(0);
});
worker.once('exit', async () => {
  const e = new kiv.Engine();
  e.client.create({ config: { appId: 'workers', userId: channelName + '-observer' } });
  await e.client.login({ token: 't' });
  const users = await e.streamChannel.getSubscribedUserList({ channelName, topic: '' }).catch((x) => x);
  const where = await Promise.all([0, 1].map((i) => e.presence.whereNow({ userId: channelName + '-u' + i })));
  console.log('RESULT ' + JSON.stringify(where.map((w) => w.body.channels.length)));
  e.close();
});
`;

test('a worker ending while its engines are busy neither aborts the process nor leaves its engines open', { timeout: 240000 }, async () => {
  const modes = ['terminate', 'worker-exit', 'main-exit'];
  const runs = [];
  for (let round = 0; round < 5; round++) {
    const batch = modes.map((mode) => runChild(SCRIPT, { args: [mode, `${mode}-${round}-${process.pid}`], timeoutMs: 60000 }).then((r) => ({ mode, ...r })));
    runs.push(...(await Promise.all(batch)));
  }
  for (const { mode, code, signal, output } of runs) {
    assert.deepEqual({ mode, code, signal }, { mode, code: 0, signal: null }, output);
    assert.doesNotMatch(output, /FATAL|napi/, mode);
    // The worker's users left their channel when the worker ended.
    if (mode !== 'main-exit') assert.match(output, /RESULT \[0,0\]/, `${mode}: ${output}`);
  }
});
