'use strict';
// Shared by the tests: engines closed after each test, logged-in users on the
// loopback SDK, names unique to a test (the loopback service is shared by
// every engine of the process), and child processes of the test runner.

const { after } = require('node:test');
const { randomUUID } = require('node:crypto');
const { spawn } = require('node:child_process');
const path = require('node:path');
const kiv = require('..');

const APP_ID = 'node-host-tests';
const MESSAGE_CHANNEL = 1;

const engines = [];
after(() => {
  for (const engine of engines.reverse()) engine.close();
});

function unique(prefix) {
  return `${prefix}-${randomUUID().slice(0, 10)}`;
}

function newEngine() {
  const engine = new kiv.Engine();
  engines.push(engine);
  return engine;
}

async function login(userId) {
  const engine = newEngine();
  const created = engine.client.create({ config: { appId: APP_ID, userId } });
  if (created.result !== 0) throw new Error(`create failed: ${JSON.stringify(created)}`);
  engine.client.setLogLevel({ level: 0 }); // keeps the test output readable
  await engine.client.login({ token: `token-${userId}` });
  return engine;
}

// Resolves with the first event named `callback` that `match` accepts.
function nextEvent(engine, callback, match = () => true) {
  return new Promise((resolve) => {
    engine.listen();
    const listener = (event) => {
      if (!match(event)) return;
      engine.off(callback, listener);
      engine.unlisten();
      resolve(event);
    };
    engine.on(callback, listener);
  });
}

// Runs a script in a child node process; resolves with its exit code, signal and output.
function runChild(source, { args = [], timeoutMs = 30000 } = {}) {
  return new Promise((resolve) => {
    const child = spawn(process.execPath, ['-e', source, ...args], {
      cwd: path.join(__dirname, '..'),
      env: process.env,
      stdio: ['ignore', 'pipe', 'pipe'],
    });
    let output = '';
    child.stdout.on('data', (d) => (output += d));
    child.stderr.on('data', (d) => (output += d));
    const timer = setTimeout(() => child.kill('SIGKILL'), timeoutMs);
    child.on('close', (code, signal) => {
      clearTimeout(timer);
      resolve({ code, signal, output });
    });
  });
}

module.exports = { kiv, APP_ID, MESSAGE_CHANNEL, unique, newEngine, login, nextEvent, runChild };
