'use strict';
// velmo-kiv-wrapper: the VelmoKivWrapper library for Node.js. Every export is
// assigned by name, so that ES-module hosts can import each one by name.

const { Engine, version, setLibraryOutput } = require('./engine');
const errors = require('./errors');
const { setQueueLimit, DEFAULT_QUEUE_LIMIT } = require('./event_pump');
const description = require('./api.generated');
const nodeEvents = require('node:events');

exports.Engine = Engine;
exports.version = version;
exports.setLibraryOutput = setLibraryOutput;
exports.setEventQueueLimit = setQueueLimit;
// events.once and events.on, declared with the engine's event names and bodies
// (Node's own declarations type them for any emitter, as any[]).
exports.once = nodeEvents.once;
exports.on = nodeEvents.on;
exports.DEFAULT_EVENT_QUEUE_LIMIT = DEFAULT_QUEUE_LIMIT;
exports.apis = description.apis.map((api) => api.name);
exports.events = Object.keys(description.events);
exports.codes = Object.fromEntries(description.codes.map(({ code, name }) => [name, code]));
exports.KivError = errors.KivError;
exports.KivCallError = errors.KivCallError;
exports.KivParamsError = errors.KivParamsError;
exports.KivRequestError = errors.KivRequestError;
exports.KivResultCutError = errors.KivResultCutError;
exports.KivStateError = errors.KivStateError;
