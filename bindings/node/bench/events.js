'use strict';
// Events per second into a JavaScript listener against the C host, in the
// same run: one user publishes N messages as fast as it can (on a worker
// thread here, on the main thread of the C host), another counts the message
// events it receives. Timing never fails anything; it is reported.
//   node bench/events.js [N] [PAYLOAD_BYTES] [LIMIT_S]   VELMO_KIV_C_HOST names the C host program,
//   VELMO_KIV_C_SENDER its publisher as a library (then also timed: the C
//   publisher in this process, a JavaScript listener receiving)
// The run ends after LIMIT_S seconds (120 by default) whatever it reached,
// with exit code 1 and what it counted. Beside each rate, the CPU time each
// host spent per event (every thread; the C host's where Linux reports it):
// on a shared machine it varies less than the rates do.

const { Worker, isMainThread, parentPort, workerData } = require('node:worker_threads');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const kiv = require('..');

const CHANNEL = 'bench';
const CLOCK_TICKS = 100; // USER_HZ of /proc/self/stat on Linux
const option = { channelType: 1 };

async function user(userId) {
  const engine = new kiv.Engine();
  engine.client.create({ config: { appId: 'bench', userId } });
  engine.client.setLogLevel({ level: 0 }); // log off, as for the C host
  await engine.client.login({ token: 't' });
  return engine;
}

async function publisher({ total, size }) {
  const engine = await user(`js-sender-${process.pid}`);
  const payload = Buffer.alloc(size, 'x');
  parentPort.postMessage({ start: process.hrtime.bigint() }); // the same monotonic clock
  // The typed call as a host writes it, one per message, none awaited before
  // the next is sent (as the C host sends without waiting for results).
  const published = [];
  for (let i = 0; i < total; i++) {
    published.push(engine.client.publish({ channelName: CHANNEL, option }, payload));
  }
  const outcomes = await Promise.allSettled(published);
  // The receiver waits for what was accepted, not for what was asked.
  parentPort.postMessage({ sent: outcomes.filter((o) => o.status === 'fulfilled').length });
  engine.close();
}

// CPU time of every thread of this process, in microseconds.
function processCpu() {
  const { user, system } = process.cpuUsage();
  return user + system;
}

// CPU time of the children waited for, in microseconds, where Linux tells it.
function childrenCpu() {
  try {
    const fields = fs.readFileSync('/proc/self/stat', 'utf8').split(') ')[1].split(' ');
    return ((Number(fields[13]) + Number(fields[14])) * 1e6) / CLOCK_TICKS; // cutime, cstime
  } catch {
    return NaN;
  }
}

async function javascriptRate(total, size, limitMs) {
  const cpuBefore = processCpu();
  const receiver = await user(`js-receiver-${process.pid}`);
  await receiver.client.subscribe({ channelName: CHANNEL, options: { withMessage: true } });
  let received = 0;
  let start = 0n;
  let expected = total; // lowered to what the publisher had accepted
  let finish;
  const done = new Promise((resolve) => (finish = resolve));
  const check = () => received >= expected && finish(process.hrtime.bigint());
  receiver.listen().on('onMessageEvent', (event) => {
    received += event.payloads[0].length === size ? 1 : 0;
    check();
  });
  const worker = new Worker(__filename, { workerData: { total, size } });
  // Listened for at once: the worker may be gone before the count is reached.
  const exited = new Promise((resolve) => worker.once('exit', resolve));
  worker.on('message', (m) => {
    if (m.start !== undefined) start = m.start;
    if (m.sent !== undefined) {
      expected = m.sent;
      check();
    }
  });
  worker.once('error', (error) => finish(error));
  const timer = setTimeout(() => finish(null), limitMs);
  const end = await done;
  clearTimeout(timer);
  await exited;
  receiver.close();
  if (typeof end !== 'bigint') {
    const why = end ? `the publisher failed: ${end.message}` : `time limit of ${limitMs} ms reached`;
    return { failed: why, events: received, expected, dropped: receiver.droppedEvents };
  }
  const seconds = Number(end - start) / 1e9;
  const cpuMicrosPerEvent = +((processCpu() - cpuBefore) / received).toFixed(2);
  return { events: received, seconds, rate: Math.round(received / seconds), cpuMicrosPerEvent, dropped: receiver.droppedEvents };
}

// The same events published by the C host's own publisher, loaded into this
// process (VELMO_KIV_C_SENDER, bench/c_event_rate/c_event_sender.c) and run
// on a thread of libuv's pool: only the listener differs from the C host's run.
async function listenerRate(total, size, limitMs) {
  const senderPath = process.env.VELMO_KIV_C_SENDER;
  if (!senderPath) return null;
  const run = require('koffi')
    .load(senderPath)
    .func('double c_event_sender_run(const char *path, const char *channel, int64_t total, int64_t size)');
  const receiver = await user(`js-listener-${process.pid}`);
  await receiver.client.subscribe({ channelName: CHANNEL, options: { withMessage: true } });
  let received = 0;
  let finish;
  const done = new Promise((resolve) => (finish = resolve));
  receiver.listen().on('onMessageEvent', (event) => {
    received += event.payloads[0].length === size ? 1 : 0;
    if (received === total) finish(process.hrtime.bigint());
  });
  const timer = setTimeout(() => finish(null), limitMs);
  const start = process.hrtime.bigint();
  run.async(process.env.VELMO_KIV_LIBRARY, CHANNEL, total, size, (error, seconds) => {
    if (error || seconds < 0) finish(error || new Error('the C publisher could not start'));
  });
  const end = await done;
  clearTimeout(timer);
  receiver.close();
  if (typeof end !== 'bigint') return { failed: end ? end.message : `time limit of ${limitMs} ms reached`, events: received };
  const seconds = Number(end - start) / 1e9;
  return { events: received, seconds, rate: Math.round(received / seconds) };
}

function cHostRate(total, size, limitMs) {
  const program = process.env.VELMO_KIV_C_HOST;
  if (!program) return null;
  const cpuBefore = childrenCpu();
  const output = execFileSync(program, [String(total), String(size)], {
    encoding: 'utf8',
    maxBuffer: 1 << 26,
    timeout: limitMs,
  });
  // The last line; the library's first log lines come before it.
  const report = JSON.parse(output.trim().split('\n').pop());
  const cpu = childrenCpu() - cpuBefore;
  if (Number.isFinite(cpu)) report.cpuMicrosPerEvent = +(cpu / report.events).toFixed(2);
  return report;
}

async function main() {
  const total = Number(process.argv[2] || 200000);
  const size = Number(process.argv[3] || 64);
  const limitMs = Number(process.argv[4] || 120) * 1000;
  const c = cHostRate(total, size, limitMs);
  const js = await javascriptRate(total, size, limitMs);
  const listener = await listenerRate(total, size, limitMs);
  const report = { total, payloadBytes: size, javascript: js, listenerWithCPublisher: listener, cHost: c };
  if (c && !js.failed) {
    report.goal = Math.min(100000, c.rate / 2);
    report.ratio = +(js.rate / c.rate).toFixed(3);
    if (c.cpuMicrosPerEvent) report.cpuRatio = +(c.cpuMicrosPerEvent / js.cpuMicrosPerEvent).toFixed(3);
  }
  if (c && listener && !listener.failed) report.listenerRatio = +(listener.rate / c.rate).toFixed(3);
  console.log(JSON.stringify(report, null, 2));
  if (js.failed || (listener && listener.failed)) process.exitCode = 1;
}

if (isMainThread) main();
else publisher(workerData);
