'use strict';
// The binding's errors. Library return codes and SDK error codes travel in
// `code` as numbers; the binding's own refusals carry a string code.

class KivError extends Error {
  constructor(message, code) {
    super(message);
    this.name = new.target.name;
    this.code = code;
  }
}

// A call answered with a return code other than its success code.
class KivCallError extends KivError {
  constructor(apiName, code, result) {
    super(`${apiName} returned ${code} (${codeName(code)})`, code);
    this.apiName = apiName;
    this.result = result;
  }
}

// A parameter refused before the call; `key` names it.
class KivParamsError extends KivError {
  constructor(apiName, key, problem) {
    super(`${apiName}: "${key}" ${problem}`, -2);
    this.apiName = apiName;
    this.key = key;
  }
}

// The result event of a request carried a non-zero "errorCode".
class KivRequestError extends KivError {
  constructor(apiName, event, reason) {
    const code = event.body.errorCode;
    super(`${apiName} failed with error ${code}${reason ? `: ${reason}` : ''}`, code);
    this.apiName = apiName;
    this.event = event;
  }
}

// The engine cannot do this now: it is closed, its client was released, or
// the call was made from inside an event handler.
class KivStateError extends KivError {}

const CODE_NAMES = new Map();
function setCodeNames(codes) {
  for (const { code, name } of codes) CODE_NAMES.set(code, name);
}
function codeName(code) {
  return CODE_NAMES.get(code) || 'unknown code';
}

module.exports = {
  KivError,
  KivCallError,
  KivParamsError,
  KivRequestError,
  KivStateError,
  setCodeNames,
};
