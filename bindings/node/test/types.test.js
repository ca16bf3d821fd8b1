'use strict';
// The TypeScript declarations compile and type a host's calls (test/types.ts).

const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const fs = require('node:fs');
const { spawnSync } = require('node:child_process');

const root = path.join(__dirname, '..');
const tsc = path.join(root, 'node_modules', 'typescript', 'bin', 'tsc');

test('the declarations type-check a host', { timeout: 120000, skip: !fs.existsSync(tsc) && 'typescript is not installed' }, () => {
  const run = spawnSync(
    process.execPath,
    [tsc, '--noEmit', '--strict', '--types', 'node', '--target', 'es2020', '--module', 'commonjs',
      path.join(__dirname, 'types.ts')],
    { encoding: 'utf8', cwd: root },
  );
  assert.equal(run.status, 0, run.stdout + run.stderr);
});
