'use strict';
// Checks a call's parameters against the API description before the call,
// naming the first key that is missing or of the wrong kind, and fills a
// publish call's "length" from its payload.

const { KivParamsError } = require('./errors');
const { records } = require('./api.generated');

const isNumber = (v) => typeof v === 'number' && Number.isFinite(v);
const KIND_CHECKS = {
  string: [(v) => typeof v === 'string', 'a string'],
  integer: [(v) => isNumber(v), 'a number'],
  unsigned: [(v) => isNumber(v), 'a number'],
  unsigned64: [(v) => isNumber(v) || typeof v === 'bigint', 'a number'],
  number: [(v) => isNumber(v), 'a number'],
  length: [(v) => isNumber(v), 'a number'],
  address: [(v) => isNumber(v), 'a number'],
  boolean: [(v) => typeof v === 'boolean', 'true or false'],
  object: [(v) => v !== null && typeof v === 'object' && !Array.isArray(v), 'an object'],
  array: [(v) => Array.isArray(v), 'an array'],
};

function checkValue(apiName, path, kind, record, value) {
  const check = KIND_CHECKS[kind];
  if (check && !check[0](value)) throw new KivParamsError(apiName, path, `must be ${check[1]}`);
  if (kind === 'object' && record && records[record]) {
    // Record fields have defaults: only those given are checked.
    for (const [key, fieldKind, fieldRecord] of records[record]) {
      if (value[key] !== undefined) {
        checkValue(apiName, `${path}.${key}`, fieldKind, fieldRecord, value[key]);
      }
    }
  }
}

// Returns the parameters to send (a copy when "length" was filled in).
function checkParams(api, params, payload) {
  if (typeof params === 'string') return params; // JSON text goes as it is
  if (params === undefined || params === null) {
    if (api.keys.length === 0) return params;
    params = {};
  } else if (typeof params !== 'object' || Array.isArray(params)) {
    throw new KivParamsError(api.name, '(parameters)', 'must be an object');
  }
  if (api.buffer === 'payload' && (payload === undefined || payload === null)) {
    throw new KivParamsError(api.name, 'message', 'needs the payload argument');
  }
  for (const [key, kind, record, filledBy] of api.keys) {
    if (api.buffer === 'payload' && key === 'length' && params[key] === undefined) continue;
    const value = params[key];
    if (value === undefined) {
      if (filledBy || api.optionalKeys.includes(key)) continue;
      throw new KivParamsError(api.name, key, 'is missing');
    }
    checkValue(api.name, key, kind, record, value);
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

module.exports = { checkParams, withLength };
