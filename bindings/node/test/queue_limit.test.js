'use strict';
// A JavaScript thread that does not take its events for a while: the queue
// stops at its limit, drops what does not fit, tells each engine how many of
// its events were dropped, and still delivers every request's outcome.

const test = require('node:test');
const assert = require('node:assert/strict');
const { kiv, MESSAGE_CHANNEL, unique, login } = require('./support');
const { existingPump } = require('../lib/event_pump');

// Blocks this thread, as a busy host would, until some event was dropped.
function blockUntilDropped(limitMs) {
  const pump = existingPump();
  const pause = new Int32Array(new SharedArrayBuffer(4));
  const deadline = Date.now() + limitMs;
  while (pump.native.queueDropped(pump.queue) === pump.dropped && Date.now() < deadline) Atomics.wait(pause, 0, 0, 5);
}

test('the event queue is bounded, its drops are reported, request outcomes are kept', { timeout: 120000 }, async () => {
  assert.throws(() => kiv.setEventQueueLimit(-1), RangeError);
  assert.throws(() => kiv.setEventQueueLimit(2 ** 32), RangeError);
  const senderId = unique('limit-sender');
  const [sender, receiver] = await Promise.all([login(senderId), login(unique('limit-receiver'))]);
  const channelName = unique('limit');
  await receiver.client.subscribe({ channelName, options: { withMessage: true } });
  const TOTAL = 400;
  let received = 0;
  const reports = [];
  receiver.listen().on('onMessageEvent', () => (received += 1));
  receiver.on('eventsDropped', (report) => reports.push(report));
  kiv.setEventQueueLimit(32 * 1024);
  try {
    const option = { channelType: MESSAGE_CHANNEL };
    const payload = Buffer.alloc(1024, 'x');
    const outcomes = [];
    for (let i = 0; i < TOTAL; i++) outcomes.push(sender.client.publish({ channelName, option }, payload));
    blockUntilDropped(60000);
    // Every publish outcome arrives though the queue was full.
    const settled = await Promise.all(outcomes);
    assert.ok(settled.every((e) => e.body.errorCode === 0));
    while (received + receiver.droppedEvents < TOTAL) await new Promise((r) => setTimeout(r, 10));
  } finally {
    kiv.setEventQueueLimit(kiv.DEFAULT_EVENT_QUEUE_LIMIT);
    receiver.unlisten();
  }
  // Each message was either delivered or counted as dropped, never both.
  assert.equal(received + receiver.droppedEvents, TOTAL);
  assert.ok(receiver.droppedEvents > 0 && received > 0, `${received} received, ${receiver.droppedEvents} dropped`);
  assert.equal(reports.reduce((sum, r) => sum + r.count, 0), receiver.droppedEvents);
  assert.equal(reports.at(-1).total, receiver.droppedEvents);
  assert.equal(sender.droppedEvents, 0);
});
