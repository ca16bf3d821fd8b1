'use strict';
// One engine handle: calls by API name with checked parameters, asynchronous
// requests settled by their result events, and events through EventEmitter.

const { EventEmitter } = require('node:events');
const { load, setLibraryOutput } = require('./native');
const { eventPump, existingPump } = require('./event_pump');
const { checkParams, withLength, findNul } = require('./params');
const { KivEvent } = require('./event');
const description = require('./api.generated');
const errors = require('./errors');

const { KivCallError, KivParamsError, KivRequestError, KivResultCutError, KivStateError, withCallerStack } = errors;
errors.setCodeNames(description.codes);

const API_BY_NAME = new Map(description.apis.map((api) => [api.name, api]));
// The events that may settle a request: only these are parsed on arrival.
const RESULT_EVENTS = new Set(description.apis.flatMap((api) => api.resultEvents));
// An API as the user calls it: "lock.acquireLock" for "KivLock_acquireLock_…".
const ACCESSOR_OF = Object.fromEntries(Object.entries(description.modules).map(([a, prefix]) => [prefix, a]));
const callName = (api) => (api ? `${ACCESSOR_OF[api.module]}.${api.method}` : null);
errors.setCallNames(description.apis.map((api) => [api.name, callName(api)]));
const CREATE = 'KivClient_create';
const RELEASE = 'KivClient_release';
const REQUEST_ID = /"requestId":(\d+)/; // read as text: ids may exceed 2^53
const ACCEPTED = /^\{"requestId":(\d+),"result":0\}$/; // a request the SDK started
// The library writes at most this many bytes of result text: a result that
// long which is not JSON was cut.
const RESULT_LIMIT = 65535;
// An empty payload still goes as a buffer (of length 0): koffi passes an
// empty Buffer as a null pointer, which the library reads as no payload.
const EMPTY_PAYLOAD = Buffer.alloc(1);

let handlerDepth = 0; // > 0 while an event listener runs on this thread
const openEngines = new Set(); // native records of the engines not yet destroyed

function refuseInHandler(what) {
  if (handlerDepth > 0) {
    throw new KivStateError(`${what} is refused inside an event handler`, 'ERR_KIV_IN_EVENT_HANDLER');
  }
}

// Native handles of an engine dropped without close(): destroyed on collection.
const collected = new FinalizationRegistry((native) => destroyNative(native));

function destroyNative(native) {
  openEngines.delete(native);
  if (!native.handle) return;
  const { pump, handle, tag, sink } = native;
  native.handle = null;
  // The engine first (releasing its client: no SDK thread delivers any
  // more), then its sink.
  pump.native.engineDestroy(handle, sink);
  pump.unregister(tag);
}

class Engine extends EventEmitter {
  constructor() {
    super();
    const pump = eventPump();
    const handle = pump.native.createEngine(null);
    if (!handle) throw new Error('CreateQuonKivEngine failed');
    const { tag, sink } = pump.register(this);
    this._native = { pump, handle, tag, sink };
    if (!pump.native.engineAdopt(handle, sink)) {
      destroyNative(this._native);
      throw new Error('out of memory recording the engine');
    }
    this.droppedEvents = 0; // events of this engine the full queue dropped
    openEngines.add(this._native);
    this._pending = new Map(); // requestId text -> { api, resolve, reject }
    this._listening = false;
    collected.register(this, this._native, this);
    for (const [accessor, methods] of Object.entries(MODULES)) {
      this[accessor] = new methods(this);
    }
  }

  get closed() {
    return !this._native.handle;
  }

  // Calls an API as it is: returns { code, result } and never throws for a
  // return code. params: an object (sent as JSON), JSON text, or undefined.
  // payload: the message bytes of a publish call.
  call(apiName, params, payload) {
    const code = this._send(apiName, params, payload);
    const raw = this._native.pump.native.result() || '';
    const { result, cut } = parseResult(raw);
    return { code, result, raw, cut };
  }

  // Makes the call; returns its code, the result text stays in
  // native.result() until this thread's next call.
  _send(apiName, params, payload) {
    const handle = this._native.handle;
    if (!handle) throw new KivStateError('the engine is closed', 'ERR_KIV_CLOSED');
    if (typeof apiName !== 'string' || apiName.includes('\0')) {
      throw new TypeError('an API name is a string without NUL characters');
    }
    const api = API_BY_NAME.get(apiName);
    const name = callName(api) || apiName;
    if (apiName === CREATE || apiName === RELEASE) refuseInHandler(name);
    let buffer = null;
    if (apiName === CREATE) {
      // Its buffer is always this engine's sink, never bytes of the host's.
      if (payload !== undefined && payload !== null) {
        throw new TypeError(`${CREATE} takes no payload: its buffer is the engine's event sink`);
      }
      buffer = this._native.sink;
    } else if (payload !== undefined && payload !== null) {
      buffer = toBuffer(payload);
    }
    if (api && api.buffer === 'payload' && params && typeof params === 'object') {
      params = withLength(api, params, buffer);
    }
    const text =
      params === undefined || params === null ? null : typeof params === 'string' ? params : JSON.stringify(params);
    // JSON.stringify escapes a NUL, and the SDK would take the text only up
    // to it. Only text holding the escape is searched for the key that has it.
    if (typeof params === 'object' && text !== null && text.includes('\\u0000')) {
      const path = findNul(params);
      if (path !== null) throw new KivParamsError(apiName, path, 'holds a NUL character');
    }
    if (text !== null && text.includes('\0')) {
      // It would end the text early, and the library would read past it.
      throw new TypeError('parameter text must not hold NUL characters');
    }
    const bufferLength = buffer === null || !Buffer.isBuffer(buffer) ? 0 : buffer.length;
    if (bufferLength === 0 && Buffer.isBuffer(buffer)) buffer = EMPTY_PAYLOAD;
    const native = this._native.pump.native;
    // paramsLength is in UTF-8 bytes, not UTF-16 units; koffi passes the
    // text NUL-terminated.
    const code = native.call(
      handle,
      apiName,
      text,
      text === null ? 0 : Buffer.byteLength(text, 'utf8'),
      buffer,
      bufferLength,
    );
    // Both release the client (create replaces it): its requests will not be answered.
    if ((apiName === RELEASE || apiName === CREATE) && code === 0) {
      this._failPending('the client was released');
    }
    return code;
  }

  // Calls a described API after checking its parameters. Synchronous APIs
  // return their result; asynchronous ones a Promise of their result event,
  // and never throw: their refusals reject it.
  invoke(apiName, params, payload) {
    return this._invokeFrom(this.invoke, apiName, params, payload);
  }

  // `entry` is the method the host called: a rejection carries the host's
  // stack from there, captured now, as the failure may come later from an event.
  _invokeFrom(entry, apiName, params, payload) {
    const api = API_BY_NAME.get(apiName);
    if (!api || api.mode !== 'async') return this._invoke(api, apiName, params, payload);
    const caller = {};
    Error.captureStackTrace(caller, entry);
    try {
      return this._invoke(api, apiName, params, payload, caller);
    } catch (error) {
      return Promise.reject(withCallerStack(error, caller.stack));
    }
  }

  // `caller` holds the host's stack for a request's later rejection.
  _invoke(api, apiName, params, payload, caller) {
    if (!api) throw new KivCallError(apiName, -1009, null);
    const checked = checkParams(api, params, payload);
    const code = this._send(apiName, checked, payload);
    const raw = this._native.pump.native.result() || '';
    // A request's usual answer is taken as it is, without parsing.
    const accepted = api.mode === 'async' && code === api.code ? ACCEPTED.exec(raw) : null;
    if (accepted) return this._await(api, accepted[1], caller);
    const { result, cut } = parseResult(raw);
    if (cut) throw new KivResultCutError(apiName, RESULT_LIMIT);
    if (code !== api.code) throw new KivCallError(apiName, code, result, this.errorReason(code));
    // A failure the SDK reported at once ("KivClient_create" with a refused
    // configuration, a request it would not start) is an error too.
    if (result && typeof result.result === 'number' && result.result !== 0) {
      throw new KivCallError(apiName, result.result, result, this.errorReason(result.result));
    }
    if (api.mode !== 'async') return result;
    const match = REQUEST_ID.exec(raw);
    if (!match) return Promise.resolve(result);
    return this._await(api, match[1], caller);
  }

  // Keeps the event loop alive for this engine's events until unlisten().
  listen() {
    if (this._listening || this.closed) return this;
    this._listening = true;
    this._native.pump.hold(this);
    return this;
  }

  unlisten() {
    if (!this._listening) return this;
    this._listening = false;
    this._native.pump.unhold(this);
    return this;
  }

  // Destroys the engine (releasing its client) and then its sink. Safe to call
  // twice; refused inside an event handler, where the host should defer it.
  close() {
    refuseInHandler('close()');
    this._destroy();
  }

  _destroy() {
    if (this.closed) return;
    this.unlisten();
    collected.unregister(this);
    destroyNative(this._native);
    this._failPending('the engine was closed');
  }

  errorReason(code) {
    return this._native.pump.native.errorReason(code) || '';
  }

  // The pump is held once while any request of this engine waits.
  _await(api, requestId, caller) {
    return new Promise((resolve, reject) => {
      if (this._pending.size === 0) this._native.pump.hold(this);
      this._pending.set(requestId, { api, caller, resolve, reject });
    });
  }

  // Ends the wait for a request: its result (an event) or an error carrying
  // the stack of the host's call.
  _settle(waiter, requestId, outcome) {
    this._pending.delete(requestId);
    if (this._pending.size === 0) this._native.pump.unhold(this);
    if (outcome instanceof Error) waiter.reject(withCallerStack(outcome, waiter.caller && waiter.caller.stack));
    else waiter.resolve(outcome);
  }

  _failPending(why) {
    for (const [requestId, waiter] of [...this._pending]) {
      this._settle(waiter, requestId, new KivStateError(`${callName(waiter.api)}: ${why}`, 'ERR_KIV_CLOSED'));
    }
  }

  // One event from the pump, on the JavaScript thread. Its body is parsed
  // here only when it may settle a request; otherwise when a listener reads it.
  _deliver(name, data, payloads) {
    if (this.closed) return;
    const event = new KivEvent(name, description.events[name] || name, data, payloads);
    // Read before the listeners run, which may assign another body.
    const body = this._pending.size > 0 && RESULT_EVENTS.has(name) ? event.body : null;
    handlerDepth += 1;
    try {
      this._emitSafely(event.callback, event);
      this._emitSafely('event', event);
    } finally {
      handlerDepth -= 1;
    }
    const requestId = body ? body.requestId_str : undefined;
    const waiter = requestId === undefined ? undefined : this._pending.get(requestId);
    if (waiter && waiter.api.resultEvents.includes(name)) {
      const { errorCode } = body;
      this._settle(
        waiter,
        requestId,
        errorCode ? new KivRequestError(waiter.api.name, event, this.errorReason(errorCode)) : event,
      );
    }
  }

  // Events of this engine that did not fit in the full queue.
  _dropped(count) {
    this.droppedEvents += count;
    this._emitSafely('eventsDropped', { count, total: this.droppedEvents });
  }

  // A listener that throws does not stop delivery to the others, not even to
  // the other listeners of the same event: each is called on its own, and the
  // error goes to 'error' listeners, or becomes a process warning.
  _emitSafely(eventName, event) {
    for (const listener of this.rawListeners(eventName)) {
      try {
        listener.call(this, event);
      } catch (error) {
        if (eventName !== 'error' && this.listenerCount('error') > 0) {
          this._emitSafely('error', error);
        } else {
          process.emitWarning(error instanceof Error ? error : new Error(String(error)), 'KivHandlerError');
        }
      }
    }
  }
}

// A result text as JSON; text that is not JSON is returned as it is, and
// is `cut` when it filled the library's result buffer.
function parseResult(raw) {
  if (!raw) return { result: null, cut: false };
  try {
    return { result: JSON.parse(raw), cut: false };
  } catch {
    return { result: raw, cut: Buffer.byteLength(raw, 'utf8') >= RESULT_LIMIT };
  }
}

function toBuffer(payload) {
  if (Buffer.isBuffer(payload)) return payload;
  if (typeof payload === 'string') return Buffer.from(payload, 'utf8');
  if (ArrayBuffer.isView(payload)) return Buffer.from(payload.buffer, payload.byteOffset, payload.byteLength);
  if (payload instanceof ArrayBuffer) return Buffer.from(payload);
  throw new TypeError('a payload is a Buffer, a typed array, an ArrayBuffer or a string');
}

// One class per API module, with one method per API name of the module.
function moduleClass(prefix, apis) {
  class Module {
    constructor(engine) {
      this.engine = engine;
    }
  }
  Object.defineProperty(Module, 'name', { value: `${prefix}Module` });
  for (const api of apis) {
    const method = function (params, payload) {
      if (api.buffer === 'eventSink') payload = undefined;
      return this.engine._invokeFrom(method, api.name, params, payload);
    };
    Module.prototype[api.method] = method;
  }
  return Module;
}

const MODULES = {};
for (const [accessor, prefix] of Object.entries(description.modules)) {
  MODULES[accessor] = moduleClass(prefix, description.apis.filter((api) => api.module === prefix));
}

// Engines still open when the process exits are destroyed first, so that no
// SDK thread runs while the process is torn down.
process.on('exit', () => {
  for (const native of [...openEngines]) destroyNative(native);
  const pump = existingPump();
  if (pump) pump.stop();
});

function version() {
  const build = [0];
  const text = load().version(build);
  return { version: text || '', build: build[0] };
}

module.exports = { Engine, version, setLibraryOutput };
