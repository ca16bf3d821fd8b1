// An ES-module host imports every value the declarations promise by name.
import test from 'node:test';
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';
import * as namespace from '../lib/index.js';
import {
  Engine,
  version,
  setLibraryOutput,
  setEventQueueLimit,
  DEFAULT_EVENT_QUEUE_LIMIT,
  once,
  on,
  apis,
  events,
  codes,
  KivError,
  KivCallError,
  KivParamsError,
  KivRequestError,
  KivResultCutError,
  KivStateError,
  ChannelType,
  KivLogLevel,
} from '../lib/index.js';

const require = createRequire(import.meta.url);

test('every export of the package is a named ES-module export', { timeout: 30000 }, () => {
  const named = { Engine, version, setLibraryOutput, setEventQueueLimit, DEFAULT_EVENT_QUEUE_LIMIT, once, on, apis, events, codes,
    KivError, KivCallError, KivParamsError, KivRequestError, KivResultCutError, KivStateError };
  const commonjs = require('../lib/index.js');
  // Nothing the CommonJS module exports is missing from the static names.
  assert.deepEqual(Object.keys(namespace).filter((k) => k !== 'default').sort(), Object.keys(commonjs).sort());
  for (const [name, value] of Object.entries(named)) assert.equal(value, commonjs[name], name);
  for (const error of [KivCallError, KivParamsError, KivRequestError, KivResultCutError, KivStateError]) {
    assert.ok(error.prototype instanceof KivError, error.name);
  }
  assert.equal(typeof version().version, 'string');
});

test('every enumeration of the description is a frozen named export', { timeout: 30000 }, () => {
  const { enumerations } = require('../lib/api.generated.js');
  assert.ok(Object.keys(enumerations).length >= 10);
  for (const [name, values] of Object.entries(enumerations)) {
    assert.equal(namespace[name], values, `${name} is not exported by name`);
    assert.ok(Object.isFrozen(values), name);
    for (const value of Object.values(values)) assert.ok(Number.isInteger(value), `${name}: ${value}`);
  }
  assert.equal(ChannelType.Message, 1);
  assert.equal(KivLogLevel.Error, 4);
  assert.throws(() => { ChannelType.Message = 2; }, TypeError);
});
