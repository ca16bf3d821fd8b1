'use strict';
// Checks a call's parameters against the API description before the call,
// naming the first key that is missing or of the wrong kind (record fields
// and array elements by their path), and fills the keys the binding knows:
// a payload's "length" and an array's count.

const { KivParamsError } = require('./errors');
const { records } = require('./api.generated');

const isNumber = (v) => typeof v === 'number' && Number.isFinite(v);
const isObject = (v) => v !== null && typeof v === 'object' && !Array.isArray(v);
const KIND_CHECKS = {
  string: [(v) => typeof v === 'string', 'a string'],
  integer: [isNumber, 'a number'],
  unsigned: [isNumber, 'a number'],
  integer64: [isNumber, 'a number'],
  unsigned64: [isNumber, 'a number'],
  number: [isNumber, 'a number'],
  length: [isNumber, 'a number'],
  address: [isNumber, 'a number'],
  boolean: [(v) => typeof v === 'boolean', 'true or false'],
  object: [isObject, 'an object'],
  array: [Array.isArray, 'an array'],
  bytes: [(v) => Array.isArray(v) && v.every((b) => Number.isInteger(b) && b >= 0 && b <= 255), 'an array of numbers 0 to 255'],
};

function fail(api, path, problem) {
  throw new KivParamsError(api.name, path, problem);
}

function checkValue(api, path, field, value) {
  const [accepts, expected] = KIND_CHECKS[field.kind] || [() => true];
  if (!accepts(value)) fail(api, path, `must be ${expected}`);
  if (field.kind === 'bytes' && field.size !== undefined && value.length > field.size) {
    fail(api, path, `holds more than ${field.size} bytes`);
  }
  if (field.kind === 'object' && field.record) checkRecord(api, path, field.record, value);
  if (field.kind === 'array' && field.items) {
    const element = { kind: field.items, record: field.record };
    value.forEach((item, i) => checkValue(api, `${path}[${i}]`, element, item));
  }
}

// Record fields have defaults: only those given are checked.
function checkRecord(api, path, name, value) {
  for (const field of records[name] || []) {
    if (value[field.key] !== undefined) checkValue(api, `${path}.${field.key}`, field, value[field.key]);
  }
}

// Returns the parameters to send (a copy when a key was filled in). JSON text
// is checked as the object it holds and goes as it is; text that is not JSON
// is left for the library to refuse.
function checkParams(api, params, payload) {
  if (typeof params === 'string') {
    let parsed;
    try {
      parsed = JSON.parse(params);
    } catch {
      return params;
    }
    if (isObject(parsed)) {
      const path = findNul(parsed);
      if (path !== null) fail(api, path, 'holds a NUL character');
      checkParams(api, parsed, payload);
    }
    return params;
  }
  if (params === undefined || params === null) {
    if (api.keys.length === 0) return params;
    params = {};
  } else if (!isObject(params)) {
    fail(api, '(parameters)', 'must be an object');
  }
  if (api.buffer === 'payload' && (payload === undefined || payload === null)) {
    fail(api, 'message', 'needs the payload argument');
  }
  params = withCounts(api, params);
  params = withDefaults(api, params);
  for (const field of api.keys) {
    const value = params[field.key];
    if (value === undefined) {
      const filled = field.filledBy || (api.buffer === 'payload' && field.kind === 'length');
      if (filled || api.optionalKeys.includes(field.key)) continue;
      fail(api, field.key, 'is missing');
    }
    checkValue(api, field.key, field, value);
  }
  return params;
}

// A key left out whose record is all defaults is sent as {}, as the library
// wants every key present.
function withDefaults(api, params) {
  for (const field of api.keys) {
    if (field.default !== undefined && params[field.key] === undefined) {
      params = { ...params, [field.key]: structuredClone(field.default) };
    }
  }
  return params;
}

// An array's count key is filled from the array; a larger count would make
// the library read past the array's elements, so it is refused.
function withCounts(api, params) {
  for (const field of api.keys) {
    if (!field.countOf || !Array.isArray(params[field.countOf])) continue;
    const size = params[field.countOf].length;
    const count = params[field.key];
    if (count === undefined) params = { ...params, [field.key]: size };
    else if (isNumber(count) && !(count >= 0 && count <= size)) {
      fail(api, field.key, `is more than the ${size} elements of "${field.countOf}"`);
    }
  }
  return params;
}

// The SDK reads "length" bytes at the payload's address: a length beyond the
// payload would read past its end, so it is refused here.
function withLength(api, params, payload) {
  const size = payload ? payload.length : 0;
  if (params.length === undefined) return { ...params, length: size };
  if (isNumber(params.length) && !(params.length >= 0 && params.length <= size)) {
    throw new KivParamsError(api.name, 'length', `is outside the ${size} payload bytes`);
  }
  return params;
}

// The path of the first key or text in `value` that holds a NUL character
// ("channelName", "data.items[1].value"), or null.
function findNul(value, path = '') {
  if (typeof value === 'string') return value.includes('\0') ? path || '(parameters)' : null;
  if (value === null || typeof value !== 'object') return null;
  if (Array.isArray(value)) {
    for (let i = 0; i < value.length; i++) {
      const found = findNul(value[i], `${path}[${i}]`);
      if (found !== null) return found;
    }
    return null;
  }
  for (const [key, item] of Object.entries(value)) {
    const at = path ? `${path}.${key}` : key;
    if (key.includes('\0')) return at;
    const found = findNul(item, at);
    if (found !== null) return found;
  }
  return null;
}

module.exports = { checkParams, withLength, findNul };
