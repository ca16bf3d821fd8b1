'use strict';
// Memory of a queue that fills while the JavaScript thread is blocked: a
// worker floods this thread's receiver for BLOCK_S seconds while this thread
// sleeps, then the queue drains. Reports RSS before, at the peak and after
// draining, and how many messages were delivered and dropped. Timing and
// sizes are reported, never asserted.
//   node bench/queue_memory.js [BLOCK_S] [PAYLOAD_BYTES] [LIMIT_S]

const { Worker, isMainThread, parentPort, workerData } = require('node:worker_threads');
const kiv = require('..');

const MiB = 1024 * 1024;
const rss = () => Math.round(process.memoryUsage.rss() / MiB);

async function user(userId) {
  const engine = new kiv.Engine();
  engine.client.create({ config: { appId: 'bench', userId } });
  engine.client.setLogLevel({ level: 0 });
  await engine.client.login({ token: 't' });
  return engine;
}

async function flooder({ channelName, size, blockMs }) {
  const engine = await user(`flooder-${process.pid}`);
  const payload = Buffer.alloc(size, 'x');
  const params = { channelName, length: size, option: { channelType: 1 } };
  let sent = 0;
  parentPort.postMessage({ started: true });
  const end = Date.now() + blockMs;
  while (Date.now() < end) {
    for (let i = 0; i < 1000; i++) if (engine.call('KivClient_publish_2d36e93', params, payload).code === 0) sent += 1;
  }
  parentPort.postMessage({ sent });
  engine.close();
}

async function main() {
  const blockMs = Number(process.argv[2] || 5) * 1000;
  const size = Number(process.argv[3] || 256);
  const limitMs = Number(process.argv[4] || 120) * 1000;
  setTimeout(() => {
    console.error('time limit reached');
    process.exit(1);
  }, limitMs).unref();
  const channelName = `memory-${process.pid}`;
  const receiver = await user(`receiver-${process.pid}`);
  await receiver.client.subscribe({ channelName, options: { withMessage: true } });
  let received = 0;
  receiver.listen().on('onMessageEvent', () => (received += 1));
  const before = rss();
  const worker = new Worker(__filename, { workerData: { channelName, size, blockMs } });
  const exited = new Promise((resolve) => worker.once('exit', resolve));
  let sent = null;
  worker.on('message', (m) => {
    if (m.started) Atomics.wait(new Int32Array(new SharedArrayBuffer(4)), 0, 0, blockMs); // blocked host
    if (m.sent !== undefined) sent = m.sent;
  });
  await exited;
  const peak = rss();
  while (sent === null || received + receiver.droppedEvents < sent) await new Promise((r) => setTimeout(r, 20));
  await new Promise((r) => setTimeout(r, 200));
  const after = rss();
  receiver.close();
  console.log(JSON.stringify({ blockMs, payloadBytes: size, limitBytes: require('../lib/event_pump').queueLimit(), sent, received,
    dropped: receiver.droppedEvents, rssMiB: { before, peak, afterDrain: after } }));
}

if (isMainThread) main();
else flooder(workerData);
