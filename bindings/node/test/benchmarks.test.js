'use strict';
// The benchmarks run to their end at a small size: every message is counted
// as delivered or dropped, and none waits forever. Their figures are not
// judged here.

const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const { execFile } = require('node:child_process');

function bench(file, args) {
  return new Promise((resolve) => {
    execFile(process.execPath, [path.join(__dirname, '..', 'bench', file), ...args], { timeout: 120000 },
      (error, stdout, stderr) => resolve({ error, stdout, stderr }));
  });
}

const lastJson = (text) => JSON.parse(text.slice(text.lastIndexOf('\n{') + 1));

test('the event-rate benchmark counts every accepted message and ends', { timeout: 150000 }, async () => {
  const { error, stdout, stderr } = await bench('events.js', ['3000', '16', '100']);
  assert.equal(error, null, stderr);
  const report = JSON.parse(stdout.slice(stdout.indexOf('{')));
  assert.deepEqual([report.javascript.events, report.javascript.dropped, report.javascript.failed], [3000, 0, undefined]);
  // With the C publisher loaded into the process, every message reaches the listener.
  if (process.env.VELMO_KIV_C_SENDER) {
    assert.deepEqual([report.listenerWithCPublisher.events, report.listenerWithCPublisher.failed], [3000, undefined]);
  }
});

test('the queue-memory benchmark accounts for every message it sent', { timeout: 150000 }, async () => {
  const { error, stdout, stderr } = await bench('queue_memory.js', ['1', '64', '100']);
  assert.equal(error, null, stderr);
  const report = lastJson(`\n${stdout.trim()}`);
  assert.ok(report.sent > 0);
  assert.equal(report.received + report.dropped, report.sent);
});
