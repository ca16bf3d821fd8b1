'use strict';
// The binding's errors. Library return codes and SDK error codes travel in
// `code` as numbers; the binding's own refusals carry a string code. Messages
// name the call as the user wrote it ("lock.acquireLock"); `apiName` keeps the
// library's name of the API.

class KivError extends Error {
  constructor(message, code) {
    super(message);
    this.name = new.target.name;
    this.code = code;
  }
}

// A call answered with a return code other than its success code: one of the
// library's own codes, named with its meaning, or the SDK's, with its reason.
class KivCallError extends KivError {
  constructor(apiName, code, result, reason) {
    const own = LIBRARY_CODES.get(code);
    const why = own ? ` (${own.name}: ${own.meaning})` : reason ? `: ${reason}` : '';
    super(`${callName(apiName)} returned ${code}${why}`, code);
    this.apiName = apiName;
    this.result = result;
  }
}

// A parameter refused before the call; `key` names it.
class KivParamsError extends KivError {
  constructor(apiName, key, problem) {
    super(`${callName(apiName)}: "${key}" ${problem}`, -2);
    this.apiName = apiName;
    this.key = key;
  }
}

// The result event of a request carried a non-zero "errorCode".
class KivRequestError extends KivError {
  constructor(apiName, event, reason) {
    const code = event.body.errorCode;
    super(`${callName(apiName)} failed with error ${code}${reason ? `: ${reason}` : ''}`, code);
    this.apiName = apiName;
    this.event = event;
  }
}

// A synchronous result longer than the library's result buffer: the text
// that came back was cut, so it is not returned as a result.
class KivResultCutError extends KivError {
  constructor(apiName, limit) {
    super(`${callName(apiName)}: the result was cut at ${limit} bytes by the library's result buffer`, 'ERR_KIV_RESULT_CUT');
    this.apiName = apiName;
  }
}

// The engine cannot do this now: it is closed, its client was released, or
// the call was made from inside an event handler.
class KivStateError extends KivError {}

// The error's stack as seen from the caller of an asynchronous method: its
// own first line, then the frames captured when the call was made.
function withCallerStack(error, callerStack) {
  if (error instanceof Error && typeof callerStack === 'string') {
    const frames = callerStack.slice(callerStack.indexOf('\n') + 1);
    error.stack = `${error.name}: ${error.message}\n${frames}`;
  }
  return error;
}

const LIBRARY_CODES = new Map();
const CALL_NAMES = new Map();
function setCodeNames(codes) {
  for (const entry of codes) LIBRARY_CODES.set(entry.code, entry);
}
function setCallNames(pairs) {
  for (const [apiName, call] of pairs) CALL_NAMES.set(apiName, call);
}
function callName(apiName) {
  return CALL_NAMES.get(apiName) || apiName;
}

module.exports = {
  KivError,
  KivCallError,
  KivParamsError,
  KivRequestError,
  KivResultCutError,
  KivStateError,
  setCodeNames,
  setCallNames,
  withCallerStack,
};
