'use strict';
// Carries events from the native queue to the engines of this JavaScript
// thread. SDK threads only copy events into the queue; here a batch is taken
// and decoded on the JavaScript thread.
//
// Liveness: while some engine has a request waiting for its result event, or
// was asked to listen, one asynchronous wait is kept pending on a worker
// thread; it keeps the event loop alive and wakes the thread as soon as events
// arrive. Otherwise no wait is pending (a running one is interrupted) and an
// unreferenced timer still delivers whatever arrives while the host's own
// work keeps the process up.
//
// On a worker thread with a koffi older than 3, whose asynchronous calls abort
// the process when the worker ends during one, a referenced timer polls
// instead of the asynchronous wait.
//
// The queue holds at most `queueLimit` bytes of events; what arrives past it
// is dropped, counted per engine and reported as an 'eventsDropped' event.

const { isMainThread } = require('node:worker_threads');
const { load, ASYNC_SAFE_AT_TEARDOWN } = require('./native');

const WAIT_MS = 1000; // bounds a wait that an interrupt failed to reach
const IDLE_POLL_MS = 25;
const BUSY_POLL_MS = 2;
const DEFAULT_QUEUE_LIMIT = 64 * 1024 * 1024; // as the native default
const MAX_QUEUE_LIMIT = 0xffffffff;
const FIRST_BATCH_BYTES = 1 << 20;
const BATCHES_PER_TURN = 16; // then yield to the event loop
const WORD = 4;

let pump = null;
let queueLimit = DEFAULT_QUEUE_LIMIT;

class EventPump {
  constructor() {
    this.native = load();
    this.queue = this.native.queueCreate();
    if (!this.queue) throw new Error('out of memory creating the event queue');
    this.batch = Buffer.allocUnsafe(FIRST_BATCH_BYTES);
    this.native.queueSetLimit(this.queue, queueLimit);
    this.engines = new Map(); // tag -> { engine: WeakRef, sink, dropped }
    this.held = new Map(); // engine -> holds: kept while it waits or listens
    this.nextTag = 1;
    this.holds = 0;
    this.waiting = false;
    this.asyncWait = isMainThread || ASYNC_SAFE_AT_TEARDOWN;
    this.busyTimer = null;
    this.dropped = 0; // the queue's count when drops were last reported
    this.idleTimer = null;
    this.continuation = null;
    this.littleEndian = require('node:os').endianness() === 'LE';
  }

  // A sink for a new engine: every event it receives reaches `engine`.
  register(engine) {
    const tag = this.nextTag++;
    const sink = this.native.sinkCreate(this.queue, tag);
    if (!sink) throw new Error('out of memory creating the event sink');
    this.engines.set(tag, { engine: new WeakRef(engine), sink, dropped: 0 });
    if (!this.idleTimer) {
      this.idleTimer = setInterval(() => this.drain(), IDLE_POLL_MS);
      this.idleTimer.unref();
    }
    return { tag, sink };
  }

  // Called once the engine and its sink are destroyed.
  unregister(tag) {
    this.engines.delete(tag);
    if (this.engines.size === 0 && this.idleTimer) {
      clearInterval(this.idleTimer);
      this.idleTimer = null;
    }
  }

  hold(engine) {
    this.held.set(engine, (this.held.get(engine) || 0) + 1);
    this.holds += 1;
    this.arm();
  }

  unhold(engine) {
    const left = this.held.get(engine) - 1;
    if (left > 0) this.held.set(engine, left);
    else this.held.delete(engine);
    this.holds -= 1;
    if (this.holds > 0) return;
    if (this.waiting) this.native.queueInterrupt(this.queue);
    if (this.busyTimer) clearInterval(this.busyTimer);
    this.busyTimer = null;
  }

  arm() {
    if (this.holds === 0) return;
    if (!this.asyncWait) {
      this.busyTimer ||= setInterval(() => this.drain(), BUSY_POLL_MS);
      return;
    }
    if (this.waiting) return;
    this.waiting = true;
    this.native.queueWait.async(this.queue, WAIT_MS, () => {
      this.waiting = false;
      this.drain();
      this.arm();
    });
  }

  // Ends a pending wait at once; used when the process is exiting.
  stop() {
    this.holds = 0;
    this.held.clear();
    if (this.waiting) this.native.queueInterrupt(this.queue);
    if (this.idleTimer) clearInterval(this.idleTimer);
    if (this.busyTimer) clearInterval(this.busyTimer);
    this.idleTimer = null;
    this.busyTimer = null;
  }

  setLimit(bytes) {
    this.native.queueSetLimit(this.queue, bytes);
  }

  // Delivers what is queued, a bounded number of batches per turn.
  drain() {
    if (this.continuation) return;
    for (let i = 0; i < BATCHES_PER_TURN; i++) {
      const size = this.take();
      if (size === 0) {
        this.reportDrops();
        // A batch buffer grown for one large event is given back.
        if (this.batch.length > FIRST_BATCH_BYTES) this.batch = Buffer.allocUnsafe(FIRST_BATCH_BYTES);
        return;
      }
      this.dispatch(this.batch, size);
    }
    this.continuation = setImmediate(() => {
      this.continuation = null;
      this.drain();
    });
  }

  // Tells each engine whose events were dropped since the last report, after
  // the events that did fit were delivered.
  reportDrops() {
    const total = this.native.queueDropped(this.queue);
    if (total === this.dropped) return;
    this.dropped = total;
    for (const entry of this.engines.values()) {
      const dropped = this.native.sinkDropped(entry.sink);
      if (dropped === entry.dropped) continue;
      const count = (dropped - entry.dropped) >>> 0; // the native counters wrap at 2^32
      entry.dropped = dropped;
      entry.engine.deref()?._dropped(count);
    }
  }

  take() {
    for (;;) {
      const size = this.native.queueTake(this.queue, this.batch, this.batch.length);
      if (size >= 0) return size;
      // One event larger than the batch buffer: grow it and take again.
      this.batch = Buffer.allocUnsafe(Math.max(-size, this.batch.length * 2));
    }
  }

  dispatch(batch, size) {
    const word = this.littleEndian
      ? (at) => batch.readUInt32LE(at)
      : (at) => batch.readUInt32BE(at);
    let at = 0;
    while (at < size) {
      const tag = word(at);
      const nameLength = word(at + WORD);
      const dataLength = word(at + 2 * WORD);
      const count = word(at + 3 * WORD);
      const lengths = [];
      for (let i = 0; i < count; i++) lengths.push(word(at + (4 + i) * WORD));
      at += (4 + count) * WORD;
      const name = batch.toString('latin1', at, at + nameLength);
      at += nameLength;
      const data = batch.toString('utf8', at, at + dataLength);
      at += dataLength;
      const payloads = new Array(count);
      for (let i = 0; i < count; i++) {
        // Copied: the batch buffer is reused for the next batch.
        payloads[i] = Buffer.from(batch.subarray(at, at + lengths[i]));
        at += lengths[i];
      }
      const engine = this.engines.get(tag)?.engine.deref();
      if (engine) engine._deliver(name, data, payloads);
    }
  }
}

function eventPump() {
  if (!pump) pump = new EventPump();
  return pump;
}

// Sets the most bytes of events this thread's queue holds, now and for a
// queue made later on this thread.
function setQueueLimit(bytes) {
  if (!Number.isInteger(bytes) || bytes < 0 || bytes > MAX_QUEUE_LIMIT) {
    throw new RangeError(`an event queue limit is a whole number of bytes from 0 to ${MAX_QUEUE_LIMIT}`);
  }
  queueLimit = bytes;
  if (pump) pump.setLimit(bytes);
}

module.exports = {
  eventPump,
  existingPump: () => pump,
  setQueueLimit,
  queueLimit: () => queueLimit,
  DEFAULT_QUEUE_LIMIT,
};
