'use strict';
// velmo-kiv-wrapper: the VelmoKivWrapper library for Node.js.

const { Engine, version } = require('./engine');
const errors = require('./errors');
const description = require('./api.generated');

module.exports = {
  Engine,
  version,
  apis: description.apis.map((api) => api.name),
  events: Object.keys(description.events),
  codes: Object.fromEntries(description.codes.map(({ code, name }) => [name, code])),
  ...errors,
};
