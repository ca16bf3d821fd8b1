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
// The enumerations: frozen objects of named numbers (test/exports.test.mjs checks this list).
exports.ChannelType = description.enumerations.ChannelType;
exports.PresenceEventType = description.enumerations.PresenceEventType;
exports.TopicEventType = description.enumerations.TopicEventType;
exports.LockEventType = description.enumerations.LockEventType;
exports.StorageType = description.enumerations.StorageType;
exports.StorageEventType = description.enumerations.StorageEventType;
exports.LinkState = description.enumerations.LinkState;
exports.LinkOperation = description.enumerations.LinkOperation;
exports.LinkServiceType = description.enumerations.LinkServiceType;
exports.ConnectionState = description.enumerations.ConnectionState;
exports.ConnectionStateReason = description.enumerations.ConnectionStateReason;
exports.TokenEventType = description.enumerations.TokenEventType;
exports.ServerType = description.enumerations.ServerType;
exports.KivLogLevel = description.enumerations.KivLogLevel;
exports.KivError = errors.KivError;
exports.KivCallError = errors.KivCallError;
exports.KivParamsError = errors.KivParamsError;
exports.KivRequestError = errors.KivRequestError;
exports.KivResultCutError = errors.KivResultCutError;
exports.KivStateError = errors.KivStateError;
