'use strict';
// Two users chat on one channel; every line typed is published by the first
// user and arrives at the second as a message event with its bytes.
//   node chat.js [CHANNEL]     then type lines; an empty line or Ctrl-D ends
const readline = require('node:readline');
const { Engine, KivError } = require('velmo-kiv-wrapper');

const channelName = process.argv[2] || 'lobby';
const option = { channelType: 1 }; // a message channel

async function join(userId) {
  const engine = new Engine();
  engine.client.create({ config: { appId: 'node-chat', userId } });
  engine.client.setLogLevel({ level: 0 });
  await engine.client.login({ token: `token-${userId}` });
  await engine.client.subscribe({ channelName, options: { withMessage: true } });
  return engine;
}

async function main() {
  const [alice, bob] = await Promise.all([join('alice'), join('bob')]);
  // Listening keeps the process up until the users leave.
  bob.listen().on('onMessageEvent', ({ body, payloads }) => {
    console.log(`[bob] ${body.event.publisher}: ${payloads[0].toString('utf8')}`);
  });
  bob.on('error', (error) => console.error('a listener failed:', error));

  const lines = readline.createInterface({ input: process.stdin });
  console.log(`alice and bob are in "${channelName}"; type a line for alice to send`);
  for await (const line of lines) {
    if (!line) break;
    try {
      await alice.client.publish({ channelName, option }, line);
    } catch (error) {
      if (!(error instanceof KivError)) throw error;
      console.error(`not sent (${error.code}): ${error.message}`);
    }
  }
  lines.close();
  await alice.client.logout();
  alice.close();
  bob.close();
}

main().catch((error) => {
  console.error(error);
  process.exitCode = 1;
});
