'use strict';
// The object a listener receives: { name, callback, body, payloads }. The body
// is parsed from the event's JSON text when it is first read, so that a
// listener that only looks at the name or the payloads (a message counter, a
// byte sink) does not pay for parsing and pruning it. It is an own enumerable
// property, so JSON.stringify, spreading and deep comparisons see it as a
// plain value, and it prints as one.

const { inspect } = require('node:util');
const description = require('./api.generated');

// The parsed body, native addresses removed; {} for text that is not JSON.
function parseBody(name, text) {
  let body;
  try {
    body = JSON.parse(text);
  } catch {
    return {};
  }
  const addresses = description.addressPaths[name];
  if (addresses) for (const path of addresses) removePath(body, path);
  return body;
}

// Removes the key at `path` ("*" for every element of an array) from a body:
// native addresses of the SDK's process mean nothing to JavaScript.
function removePath(value, path, at = 0) {
  if (value === null || typeof value !== 'object') return;
  const key = path[at];
  if (at === path.length - 1) {
    delete value[key];
  } else if (key === '*') {
    if (Array.isArray(value)) for (const item of value) removePath(item, path, at + 1);
  } else {
    removePath(value[key], path, at + 1);
  }
}

const UNPARSED = Symbol('unparsed');

class KivEvent {
  #name; // as delivered, whatever the host assigns to `name`
  #text;
  #body = UNPARSED; // parsed at the first read, or what the host assigned

  // One accessor shared by every event: defining it costs little, where a
  // getter made per event would cost as much as the parse it defers.
  static #bodyProperty = {
    enumerable: true,
    configurable: true,
    get() {
      if (this.#body === UNPARSED) this.#body = parseBody(this.#name, this.#text);
      return this.#body;
    },
    set(value) {
      this.#body = value;
    },
  };

  constructor(name, callback, text, payloads) {
    this.name = name;
    this.callback = callback;
    this.#name = name;
    this.#text = text;
    Object.defineProperty(this, 'body', KivEvent.#bodyProperty);
    this.payloads = payloads;
  }

  // Printed as the plain object it stands for, body included.
  [inspect.custom](depth, options, show) {
    const { name, callback, body, payloads } = this;
    return show({ name, callback, body, payloads }, options);
  }
}

module.exports = { KivEvent };
