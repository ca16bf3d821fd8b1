'use strict';
// Events per second into a JavaScript listener against the C host, in the
// same run: one user publishes N messages as fast as it can (on a worker
// thread here, on the main thread of the C host), another counts the message
// events it receives. Timing never fails anything; it is reported.
//   node bench/events.js [N] [PAYLOAD_BYTES]     VELMO_KIV_C_HOST names the C host program

const { Worker, isMainThread, parentPort, workerData } = require('node:worker_threads');
const { execFileSync } = require('node:child_process');
const kiv = require('..');

const CHANNEL = 'bench';
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
  const params = { channelName: CHANNEL, length: size, option };
  parentPort.postMessage(process.hrtime.bigint()); // the same monotonic clock
  for (let i = 0; i < total; i++) engine.call('KivClient_publish_2d36e93', params, payload);
  engine.close();
}

async function javascriptRate(total, size) {
  const receiver = await user(`js-receiver-${process.pid}`);
  await receiver.client.subscribe({ channelName: CHANNEL, options: { withMessage: true } });
  let received = 0;
  let start = 0;
  const done = new Promise((resolve) => {
    receiver.listen().on('onMessageEvent', (event) => {
      received += event.payloads[0].length === size ? 1 : 0;
      if (received === total) resolve(process.hrtime.bigint());
    });
  });
  const worker = new Worker(__filename, { workerData: { total, size } });
  worker.once('message', (at) => (start = at));
  const end = await done;
  await new Promise((resolve) => worker.once('exit', resolve));
  receiver.close();
  const seconds = Number(end - start) / 1e9;
  return { events: total, seconds, rate: Math.round(total / seconds) };
}

function cHostRate(total, size) {
  const program = process.env.VELMO_KIV_C_HOST;
  if (!program) return null;
  const output = execFileSync(program, [String(total), String(size)], { encoding: 'utf8', maxBuffer: 1 << 26 });
  // The last line; the library's first log lines come before it.
  return JSON.parse(output.trim().split('\n').pop());
}

async function main() {
  const total = Number(process.argv[2] || 200000);
  const size = Number(process.argv[3] || 64);
  const c = cHostRate(total, size);
  const js = await javascriptRate(total, size);
  const report = { total, payloadBytes: size, javascript: js, cHost: c };
  if (c) {
    report.goal = Math.min(100000, c.rate / 2);
    report.ratio = +(js.rate / c.rate).toFixed(3);
  }
  console.log(JSON.stringify(report, null, 2));
}

if (isMainThread) main();
else publisher(workerData);
