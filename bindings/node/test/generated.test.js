'use strict';
// The committed API table and declarations are what the generator makes from
// the committed API description.

const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const { spawnSync } = require('node:child_process');

test('generated files are current', { timeout: 60000 }, () => {
  const generator = path.join(__dirname, '..', '..', '..', 'tools', 'bindgen', 'node_binding.py');
  const run = spawnSync('python3', [generator, '--check'], { encoding: 'utf8' });
  assert.equal(run.error, undefined, 'python3 runs the generator');
  assert.equal(run.status, 0, run.stdout + run.stderr);
});
