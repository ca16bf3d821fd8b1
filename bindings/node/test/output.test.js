'use strict';
// The library's console log lines stay off the host's standard output unless
// the host asks for them; the host's own lines are untouched.

const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const { spawn } = require('node:child_process');

const HOST = `const kiv = require('.');
  if (process.argv[1]) kiv.setLibraryOutput(process.argv[1]);
  const e = new kiv.Engine();
  e.client.create({ config: { appId: 'output', userId: 'u-' + process.pid } });
  e.client.login({ token: 't' }).then((event) => {
    console.log(JSON.stringify({ host: event.body.errorCode }));
    e.close();
  });`;

function run(env, args = []) {
  return new Promise((resolve) => {
    const child = spawn(process.execPath, ['-e', HOST, ...args], {
      cwd: path.join(__dirname, '..'),
      env: { ...process.env, ...env },
      stdio: ['ignore', 'pipe', 'pipe'],
    });
    let stdout = '';
    let stderr = '';
    child.stdout.on('data', (d) => (stdout += d));
    child.stderr.on('data', (d) => (stderr += d));
    child.on('close', (code) => resolve({ code, stdout, stderr }));
  });
}

const LOG_LINE = /\]\[I\]\[/; // "[time][thread][I][source] text"

test('the library log reaches standard output only when asked for', { timeout: 60000 }, async () => {
  const cases = [
    // [environment, argument, log lines on stdout, on stderr]
    [{ VELMO_KIV_LIBRARY_OUTPUT: '' }, [], false, false],
    [{ VELMO_KIV_LIBRARY_OUTPUT: 'stderr' }, [], false, true],
    [{ VELMO_KIV_LIBRARY_OUTPUT: 'stdout' }, [], true, false],
    [{ VELMO_KIV_LIBRARY_OUTPUT: '' }, ['stderr'], false, true],
  ];
  const outcomes = await Promise.all(cases.map(([env, args]) => run(env, args)));
  outcomes.forEach(({ code, stdout, stderr }, i) => {
    const [env, args, onStdout, onStderr] = cases[i];
    const label = JSON.stringify([env, args]);
    assert.equal(code, 0, `${label}: ${stderr}`);
    assert.equal(LOG_LINE.test(stdout), onStdout, `${label} stdout: ${stdout}`);
    assert.equal(LOG_LINE.test(stderr), onStderr, `${label} stderr: ${stderr}`);
    // The host's own line is there, whole, either way.
    assert.ok(stdout.split('\n').includes('{"host":0}'), label);
  });
  assert.throws(() => require('..').setLibraryOutput('file'), TypeError);
});
